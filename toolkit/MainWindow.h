// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: File, Edit and Window menus over the document area that
// holds every unit window. The File and Edit menus act on the current content,
// the content of the active sub-window.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QMetaObject>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QSignalMapper;
class UIK_ContentController;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QMdiArea* area);
    ~MainWindow() override;

    // Makes `content` the one the File and Edit menus act on (nullptr: none)
    // and sets the menus' actions to suit it: text windows get the edit
    // actions, plots and charts only Save, Save As, Print and Print Setup.
    void setCurrentContent(UIK_ContentController* content);
    UIK_ContentController* currentContent() const { return currentContent_; }

    // Paste is enabled only while a text window reads a line.
    QAction* pasteAction() const { return pasteAct_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* editMenu() const { return editMenu_; }
    QMenu* windowMenu() const { return windowMenu_; }
    QMdiArea* area() const { return area_; }

    // The design program's progress in the status bar: `text` says what runs
    // and how far; an empty text means nothing runs. Stop (toolbar, Esc) is
    // enabled only while something runs.
    void showProgress(const QString& text);
    QAction* stopAction() const { return stopAct_; }

signals:
    void willDestroy();
    // The user asked that the design or search now running stop.
    void stopRequested();

public slots:
    void save();
    void saveAs();
    void printSetup();
    void print();
    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    void chooseFont();
    void updateWindowMenu();
    void setActiveSubWindow(QWidget* window);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void disconnectContent();

    QMdiArea* area_;
    QSignalMapper* windowMapper_ = nullptr;
    UIK_ContentController* currentContent_ = nullptr;
    QList<QMetaObject::Connection> contentConnections_;

    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;

    // File > Open Design… stands for the design program's own menu item of
    // that text: usable only where that item is (a program menu shown and
    // not busy), and triggering it.
    QAction* programOpenDesign() const;
    QAction* openDesignAct_ = nullptr;
    QAction* saveAct_ = nullptr;
    QAction* saveAsAct_ = nullptr;
    QAction* printSetupAct_ = nullptr;
    QAction* printAct_ = nullptr;
    QAction* quitAct_ = nullptr;
    QAction* cutAct_ = nullptr;
    QAction* copyAct_ = nullptr;
    QAction* pasteAct_ = nullptr;
    QAction* undoAct_ = nullptr;
    QAction* redoAct_ = nullptr;
    QAction* fontAct_ = nullptr;
    QAction* closeAct_ = nullptr;
    QAction* closeAllAct_ = nullptr;
    QAction* tileAct_ = nullptr;
    QAction* cascadeAct_ = nullptr;
    QAction* nextAct_ = nullptr;
    QAction* previousAct_ = nullptr;
    QAction* windowListSeparator_ = nullptr;
    QAction* stopAct_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
};
