// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFontDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressBar>

#include "Content_Files.h"
#include <QSignalMapper>
#include <QStatusBar>
#include <QToolBar>

#include "UIK_ContentController.h"
#include "UIK_TextEdit.h"

MainWindow::MainWindow(QMdiArea* area) : area_(area) {
    setObjectName(QStringLiteral("mainWindow"));
    setCentralWidget(area_);
    windowMapper_ = new QSignalMapper(this);
    connect(windowMapper_, &QSignalMapper::mappedWidget, this, &MainWindow::setActiveSubWindow);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    setCurrentContent(nullptr);
}

MainWindow::~MainWindow() {
    // The document area and its sub-windows go down with this window; they
    // must not report activations to a half-destroyed window or controller.
    disconnectContent();
    currentContent_ = nullptr;
    if (area_ != nullptr) area_->disconnect();
}

void MainWindow::createActions() {
    auto make = [this](const QString& name, const QString& text, const QString& tip) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        action->setStatusTip(tip);
        return action;
    };

    openDesignAct_ = make(QStringLiteral("actionOpenDesign"), tr("&Open Design…"),
                          tr("Opens a saved design record and designs it again"));
    connect(openDesignAct_, &QAction::triggered, this, [this] {
        if (QAction* item = programOpenDesign()) item->trigger();
    });

    saveAct_ = make(QStringLiteral("actionSave"), tr("&Save"), tr("Saves output to file"));
    saveAct_->setShortcuts(QKeySequence::Save);
    connect(saveAct_, &QAction::triggered, this, &MainWindow::save);

    saveAsAct_ = make(QStringLiteral("actionSaveAs"), tr("Save &As"),
                      tr("Prompt for file name and saves output to file"));
    saveAsAct_->setShortcuts(QKeySequence::SaveAs);
    connect(saveAsAct_, &QAction::triggered, this, &MainWindow::saveAs);

    printSetupAct_ = make(QStringLiteral("actionPrintSetup"), tr("P&rint Setup"), tr("Displays printer setup dialog"));
    connect(printSetupAct_, &QAction::triggered, this, &MainWindow::printSetup);

    printAct_ = make(QStringLiteral("actionPrint"), tr("&Print"), tr("Prints output"));
    printAct_->setShortcuts(QKeySequence::Print);
    connect(printAct_, &QAction::triggered, this, &MainWindow::print);

    quitAct_ = make(QStringLiteral("actionQuit"), tr("&Quit"), tr("Close all windows and exit"));
    quitAct_->setShortcuts(QKeySequence::Quit);
    connect(quitAct_, &QAction::triggered, qApp, &QApplication::closeAllWindows);

    cutAct_ = make(QStringLiteral("actionCut"), tr("C&ut"),
                   tr("Cut the current selection's contents to the clipboard"));
    cutAct_->setShortcuts(QKeySequence::Cut);
    connect(cutAct_, &QAction::triggered, this, &MainWindow::cut);

    copyAct_ = make(QStringLiteral("actionCopy"), tr("&Copy"),
                    tr("Copy the current selection's contents to the clipboard"));
    copyAct_->setShortcuts(QKeySequence::Copy);
    connect(copyAct_, &QAction::triggered, this, &MainWindow::copy);

    pasteAct_ = make(QStringLiteral("actionPaste"), tr("&Paste"),
                     tr("Paste the clipboard's contents into the current selection"));
    pasteAct_->setShortcuts(QKeySequence::Paste);
    connect(pasteAct_, &QAction::triggered, this, &MainWindow::paste);

    undoAct_ = make(QStringLiteral("actionUndo"), tr("&Undo"), tr("Undo last event"));
    undoAct_->setShortcuts(QKeySequence::Undo);
    connect(undoAct_, &QAction::triggered, this, &MainWindow::undo);

    redoAct_ = make(QStringLiteral("actionRedo"), tr("&Redo"), tr("Redo last event"));
    redoAct_->setShortcuts(QKeySequence::Redo);
    connect(redoAct_, &QAction::triggered, this, &MainWindow::redo);

    fontAct_ = make(QStringLiteral("actionFont"), tr("&Font"), tr("Select the current font through the font dialog"));
    connect(fontAct_, &QAction::triggered, this, &MainWindow::chooseFont);

    closeAct_ = make(QStringLiteral("actionClose"), tr("Cl&ose"), tr("Close the active window"));
    closeAct_->setShortcut(QKeySequence(QStringLiteral("Ctrl+F4")));
    connect(closeAct_, &QAction::triggered, this, [this] {
        // The current sub-window is the active one, also while another
        // application has the focus.
        if (QMdiSubWindow* window = area_->currentSubWindow()) window->close();
    });

    closeAllAct_ = make(QStringLiteral("actionCloseAll"), tr("Close &All"), tr("Close all the windows"));
    connect(closeAllAct_, &QAction::triggered, area_, &QMdiArea::closeAllSubWindows);

    tileAct_ = make(QStringLiteral("actionTile"), tr("&Tile"), tr("Tile the windows"));
    connect(tileAct_, &QAction::triggered, area_, &QMdiArea::tileSubWindows);

    cascadeAct_ = make(QStringLiteral("actionCascade"), tr("&Cascade"), tr("Cascade the windows"));
    connect(cascadeAct_, &QAction::triggered, area_, &QMdiArea::cascadeSubWindows);

    nextAct_ = make(QStringLiteral("actionNext"), tr("Ne&xt"), tr("Move the focus to the next window"));
    nextAct_->setShortcuts(QKeySequence::NextChild);
    connect(nextAct_, &QAction::triggered, area_, &QMdiArea::activateNextSubWindow);

    previousAct_ = make(QStringLiteral("actionPrevious"), tr("Pre&vious"), tr("Move the focus to the previous window"));
    previousAct_->setShortcuts(QKeySequence::PreviousChild);
    connect(previousAct_, &QAction::triggered, area_, &QMdiArea::activatePreviousSubWindow);

    stopAct_ = make(QStringLiteral("actionStop"), tr("&Stop"), tr("Stop the design or search now running"));
    stopAct_->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(stopAct_, &QAction::triggered, this, &MainWindow::stopRequested);

    for (QAction* action : {cutAct_, copyAct_, pasteAct_, undoAct_, redoAct_, printAct_, printSetupAct_, stopAct_})
        action->setEnabled(false);
}

QAction* MainWindow::programOpenDesign() const {
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        if (!menu->objectName().startsWith(QLatin1String("programMenu_")) || !menu->menuAction()->isVisible() ||
            !menu->isEnabled())
            continue;
        for (QAction* item : menu->actions())
            if (item->text() == openDesignAct_->text().remove(QLatin1Char('&')) && item->isEnabled()) return item;
    }
    return nullptr;
}

void MainWindow::createMenus() {
    fileMenu_ = menuBar()->addMenu(tr("&File"));
    fileMenu_->setObjectName(QStringLiteral("menuFile"));
    fileMenu_->addAction(openDesignAct_);
    openDesignAct_->setEnabled(false);
    connect(fileMenu_, &QMenu::aboutToShow, this,
            [this] { openDesignAct_->setEnabled(programOpenDesign() != nullptr); });
    fileMenu_->addSeparator();
    fileMenu_->addAction(saveAct_);
    fileMenu_->addAction(saveAsAct_);
    fileMenu_->addSeparator();
    fileMenu_->addAction(printSetupAct_);
    fileMenu_->addAction(printAct_);
    fileMenu_->addAction(quitAct_);

    editMenu_ = menuBar()->addMenu(tr("&Edit"));
    editMenu_->setObjectName(QStringLiteral("menuEdit"));
    editMenu_->addAction(cutAct_);
    editMenu_->addAction(copyAct_);
    editMenu_->addAction(pasteAct_);
    editMenu_->addSeparator();
    editMenu_->addAction(undoAct_);
    editMenu_->addAction(redoAct_);
    editMenu_->addSeparator();
    editMenu_->addAction(fontAct_);

    windowMenu_ = menuBar()->addMenu(tr("&Window"));
    windowMenu_->setObjectName(QStringLiteral("menuWindow"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
    updateWindowMenu();
}

void MainWindow::createToolBar() {
    QToolBar* design = addToolBar(tr("Design"));
    design->setObjectName(QStringLiteral("toolBarDesign"));
    design->addAction(stopAct_);
}

void MainWindow::createStatusBar() {
    progressLabel_ = new QLabel(this);
    progressLabel_->setObjectName(QStringLiteral("progressLabel"));
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setRange(0, 0);  // busy: how long the work takes is not known
    progressBar_->setMaximumWidth(120);
    progressBar_->setVisible(false);
    statusBar()->addWidget(progressBar_);
    statusBar()->addWidget(progressLabel_, 1);
}

void MainWindow::showProgress(const QString& text) {
    const bool running = !text.isEmpty();
    progressLabel_->setText(text);
    progressBar_->setVisible(running);
    stopAct_->setEnabled(running);
}

void MainWindow::disconnectContent() {
    for (const QMetaObject::Connection& c : contentConnections_) disconnect(c);
    contentConnections_.clear();
}

void MainWindow::setCurrentContent(UIK_ContentController* content) {
    disconnectContent();
    currentContent_ = content;
    const bool hasContent = content != nullptr;
    UIK_TextEdit* text = (hasContent && content->isTextContent()) ? dynamic_cast<UIK_TextEdit*>(content) : nullptr;

    for (QAction* action : {saveAct_, saveAsAct_, printAct_, printSetupAct_}) action->setEnabled(hasContent);
    for (QAction* action : {cutAct_, copyAct_, pasteAct_, undoAct_, redoAct_}) action->setVisible(text != nullptr);
    if (text == nullptr) return;

    // Start from the window's present state; the signals keep it current.
    const bool selection = text->textCursor().hasSelection();
    cutAct_->setEnabled(selection);
    copyAct_->setEnabled(selection);
    undoAct_->setEnabled(text->isUndoRedoEnabled() && text->document()->isUndoAvailable());
    redoAct_->setEnabled(text->isUndoRedoEnabled() && text->document()->isRedoAvailable());
    contentConnections_ << connect(text, &QPlainTextEdit::copyAvailable, cutAct_, &QAction::setEnabled)
                        << connect(text, &QPlainTextEdit::copyAvailable, copyAct_, &QAction::setEnabled)
                        << connect(text, &QPlainTextEdit::undoAvailable, undoAct_, &QAction::setEnabled)
                        << connect(text, &QPlainTextEdit::redoAvailable, redoAct_, &QAction::setEnabled);
}

void MainWindow::save() {
    if (currentContent_ != nullptr) currentContent_->save(QString());
}

void MainWindow::saveAs() {
    if (currentContent_ != nullptr) currentContent_->saveAs();
}

void MainWindow::printSetup() {
    QPageSetupDialog dialog(&Content_Printer(), this);
    dialog.setObjectName(QStringLiteral("pageSetupDialog"));
    dialog.exec();
}

void MainWindow::print() {
    if (currentContent_ != nullptr) currentContent_->print();
}

void MainWindow::cut() {
    if (currentContent_ != nullptr) currentContent_->cut();
}

void MainWindow::copy() {
    if (currentContent_ != nullptr) currentContent_->copy();
}

void MainWindow::paste() {
    if (currentContent_ != nullptr) currentContent_->paste();
}

void MainWindow::undo() {
    if (currentContent_ != nullptr) currentContent_->undo();
}

void MainWindow::redo() {
    if (currentContent_ != nullptr) currentContent_->redo();
}

void MainWindow::chooseFont() {
    if (currentContent_ == nullptr) return;
    bool ok = false;
    // Text windows hold column-aligned reports: only fixed-pitch families.
    const QFontDialog::FontDialogOptions options = currentContent_->isTextContent() ? QFontDialog::MonospacedFonts
                                                                                    : QFontDialog::FontDialogOptions();
    const QFont font = QFontDialog::getFont(&ok, currentContent_->contentFont(), this, tr("Select Font"), options);
    // The dialog runs an event loop: the content may have gone meanwhile.
    if (ok && currentContent_ != nullptr) currentContent_->setContentFont(font);
}

void MainWindow::updateWindowMenu() {
    windowMenu_->clear();
    windowMenu_->addAction(closeAct_);
    windowMenu_->addAction(closeAllAct_);
    windowMenu_->addSeparator();
    windowMenu_->addAction(tileAct_);
    windowMenu_->addAction(cascadeAct_);
    windowMenu_->addSeparator();
    windowMenu_->addAction(nextAct_);
    windowMenu_->addAction(previousAct_);
    windowListSeparator_ = windowMenu_->addSeparator();

    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    windowListSeparator_->setVisible(!windows.isEmpty());
    QMdiSubWindow* active = area_->currentSubWindow();
    for (QMdiSubWindow* window : windows) {
        if (!window->isVisible()) break;
        QString title = window->windowTitle();
        QAction* action = windowMenu_->addAction(title.replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, windowMapper_, qOverload<>(&QSignalMapper::map));
        windowMapper_->setMapping(action, window);
    }
}

void MainWindow::setActiveSubWindow(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window)) area_->setActiveSubWindow(sub);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) raise();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A sub-window that refuses to close keeps the main window open.
    bool refused = false;
    for (QMdiSubWindow* window : area_->subWindowList())
        if (!window->close()) refused = true;
    if (refused) {
        event->ignore();
        return;
    }
    emit willDestroy();
    event->accept();
}
