// The GUI-thread object that carries out every request of the design program:
// it owns the main window, one table of content widgets per kind keyed by
// unit number, the program's menus and timers, and the design program's
// thread.
//
// Its slots are implemented by concern:
//   WindowController.cpp          start-up, teardown, error boxes, end of the program
//   WindowController_Windows.cpp  sub-windows and text windows
//   WindowController_Dialogs.cpp  form dialogs, alert box, file-name dialog
//   WindowController_Plots.cpp    XY plots and saving window contents
//   WindowController_Menus.cpp    program menus and timers
//   WindowController_Spreadsheets.cpp, WindowController_Charts.cpp (bar and
//   pie charts), WindowController_Polar_Contour.cpp, WindowController_Canvas.cpp
//                                 the other content kinds
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QRect>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "UIK_Call_Interface.h"

class QApplication;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QWidget;
class GlueManager;
class MainWindow;
class ProgramThread;
class SubWindow;
class UIK_ContentController;
class UIK_FormDialog;
class UIK_TextEdit;
class UIK_Timer;
class XYPlot;
class UIK_Spreadsheet;
class BarChart;
class PieChart;
class PolarPlot;
class ContourPlot;
class Canvas;

class WindowController : public QObject {
    Q_OBJECT
public:
    // Creates the console window (and with it the main window), the glue, and
    // starts the design program's thread running `program`. An empty
    // `program` starts no thread (tests of the window layer drive the
    // controller themselves).
    explicit WindowController(QApplication* application, std::function<void()> program);
    ~WindowController() override;

    // Kinds of the routines handed to the design program's thread.
    enum { Menu_Routine = 1, Timer_Routine = 2 };

    // Units -4, -3 and -2 are one console: stored and looked up as -2.
    static int unitKey(int unit) { return (unit == -4 || unit == -3) ? -2 : unit; }

    // ---- Content tables (hash from unit number to content widget) ----
    QHash<int, UIK_TextEdit*> textWindows;
    QHash<int, XYPlot*> xyPlots;
    QHash<int, UIK_FormDialog*> dialogs;
    QHash<int, UIK_Timer*> timers;
    QHash<int, UIK_Spreadsheet*> spreadsheets;
    QHash<int, BarChart*> barCharts;
    QHash<int, PolarPlot*> polarPlots;
    QHash<int, ContourPlot*> contourPlots;
    QHash<int, PieChart*> pieCharts;
    QHash<int, Canvas*> canvases;

    ProgramThread* programThread = nullptr;
    QMdiArea* mdiArea = nullptr;
    bool windowedMode = true;
    UIK_TextEdit* readingWindow = nullptr;  // the text window with a read in progress
    QList<QMenu*> programMenus;
    MainWindow* mainWindow = nullptr;
    QMap<QString, UIK_Callback> callbacks;
    bool callbackRunning = false;
    bool idle = false;
    // The console's title, and its place when it was last closed, for
    // opening it again.
    QString consoleTitle;
    QRect consolePlace;
    bool consoleMaximized = false;

    // The content of a unit in any table (nullptr when none).
    UIK_ContentController* contentForUnit(int unit) const;
    // The sub-window whose "unit" property is `unit` (windowed mode).
    SubWindow* subWindowForUnit(int unit) const;
    // Puts `content` (a widget that is also a UIK_ContentController) into a
    // new sub-window of the main window's document area, creating the main
    // window with the first one.
    SubWindow* createSubWindow(QWidget* widget, UIK_ContentController* content, const QString& title, int width,
                               int height);
    // The text window of `unit`. A console unit whose window has been closed
    // gets the console again (empty, same title and place), so the design
    // program's report and questions are never lost; nullptr for another
    // unit without a text window.
    UIK_TextEdit* textWindowForWriting(int unit);
    // Modal error box: title "Error", the text, one OK button.
    void showErrorBox(const QString& text);

signals:
    void finishRead(QString text);
    void finishReadSpreadsheet(void* data);
    void gotFileName(QString text);
    // Answer of getSaveFileName: the path ("" when cancelled) and the
    // 1-based file type chosen (0 when cancelled).
    void gotSaveFileName(QString text, int fileType);
    void endModalDialog(QStringList data);
    void endAlertDialog();
    void endWindowSyncOperation();
    // The outcome of saveWindowContentsForUnit, raised just before its
    // endWindowSyncOperation: whether the file was written and, when it was
    // not, why (the writer's or the file system's words).
    void windowContentsSaved(bool saved, QString failure);

public slots:
    // ---- Start and end (WindowController.cpp) ----
    void destroyProgramThread();
    // A menu or timer routine handed to the design program's thread returned.
    void programRoutineDone(int kind, int id);
    void closeOnProgramStop();

    // ---- Sub-windows and text windows (WindowController_Windows.cpp) ----
    void createWindowForUnit(int unit, QString windowName, QString accessString);
    int writeTextToUnit(int unit, QString text);
    // Writes the lines the design program's thread gathered in the glue
    // before its request number `requestsBefore` + 1, each unit's run of
    // lines in one insertion.
    void writePendingText(qulonglong requestsBefore);
    int startReadingInput(int unit);
    void endReadText();
    int closeWindowForUnit(int unit);
    void hideWindowForUnit(int unit);
    void moveWindowForUnit(int unit, int x, int y);
    void activateWindowForUnit(int unit);
    void cascadeWindows();
    void tileWindows();
    void subWindowActivated(QMdiSubWindow* window);
    void willDestroy(UIK_ContentController* content);

    // ---- Form dialogs, alert box, file-name dialog (WindowController_Dialogs.cpp) ----
    void createDialog(int unit, QVariantMap properties);
    void addLabelToDialog(int unit, int labelId, QString text);
    void addComboBoxToDialog(int unit, int labelId, QVariantMap properties);
    void addCheckBoxToDialog(int unit, int labelId, QString title, bool checked);
    void addLineEditToDialog(int unit, int labelId, QString title, QString placeholder, QString text);
    void addFileDialogToDialog(int unit, int labelId, QVariantMap properties);
    void addRadioButtonsToDialog(int unit, int labelId, QVariantMap properties);
    void showDialogForUnit(int unit);
    void showAlertBox(QString title, QString text);
    void getFileName(int unit, bool newFile);
    // Save-file dialog titled `caption` in the working directory, one name
    // filter per entry of `fileTypes`, entry `selectedType` (1-based) chosen
    // at first; answers with gotSaveFileName.
    void getSaveFileName(QString caption, QStringList fileTypes, int selectedType);

    // ---- XY plots and saving contents (WindowController_Plots.cpp) ----
    void createXYPlotForUnit(int unit, QVariantMap properties);
    void writeXYPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series);
    void clearXYPlot(int unit);
    void saveWindowContentsForUnit(int unit, QVariantMap properties);

    // ---- Program menus and timers (WindowController_Menus.cpp) ----
    void addMenuItem(int unit, QString menuName, QString itemName, UIK_Callback callback, QString itemShortcut);
    void addMenuItem(QString menuName, QString itemName, UIK_Callback callback, QString itemShortcut);
    void enableMenuItem(int unit, QString menuName, QString itemName, bool state);
    void setMenuItemCheckable(int unit, QString menuName, QString itemName, bool state);
    void setMenuItemChecked(int unit, QString menuName, QString itemName, bool state);
    bool isMenuItemChecked(int unit, QString menuName, QString itemName);
    void menuItemActivated();
    void runIdle();
    void createTimer(int timerId, QVariantMap properties, UIK_Callback callback);
    void destroyTimer(UIK_Timer* timer);
    void destroyTimerWithId(int timerId);

    // ---- Spreadsheets (WindowController_Spreadsheets.cpp) ----
    void createSpreadsheetForUnit(int unit, QString windowName);
    void closeSpreadsheetForUnit(int unit);
    void writeSpreadsheetForUnit(int unit, void* data, QString dataType, int nrows, int ncols);
    void readSpreadsheetForUnit(int unit, void* data, QString dataType, int nrows, int ncols);
    void setHorizontalLabelsForUnit(int unit, QStringList labels);
    void setVerticalLabelsForUnit(int unit, QStringList labels);

    // ---- Bar and pie charts (WindowController_Charts.cpp) ----
    void createBarchartForUnit(int unit, QVariantMap properties);
    void writeBarchartForUnit(int unit, void* data, QString dataType, int nrows, int ncols);
    void createPieChartForUnit(int unit, QVariantMap properties);
    void writePieChartForUnit(int unit, void* data, QString dataType, int nrows, int ncols);

    // ---- Polar and contour plots (WindowController_Polar_Contour.cpp) ----
    void createPolarPlotForUnit(int unit, QVariantMap properties);
    void writePolarPlotForUnit(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series);
    void clearPolarPlotForUnit(int unit);
    void createContourPlotForUnit(int unit, QVariantMap properties);
    void writeContourPlotForUnit(int unit, QVariantMap properties, UIK_Contour_Callback callback);
    void clearContourPlotForUnit(int unit);

    // ---- Canvases (WindowController_Canvas.cpp) ----
    void createCanvasForUnit(int unit, QVariantMap properties);
    void clearCanvasForUnit(int unit, QVariantMap properties);
    void createObjectOnCanvasForUnit(int objectId, int canvasUnit, QVariantMap properties);

private:
    void connectGlue(GlueManager* glue);
    GlueManager* glue_ = nullptr;
};
