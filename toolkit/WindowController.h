// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI-thread object behind every request of the design program: it owns
// the main window and one table of unit windows' contents keyed by unit
// number. Requests for text windows go to `texts`, dialogs to `dialogs`, the
// program's menus and timers to `menus`, and those for one content to that
// content (onContent). The glue (GlueManager) calls it on the GUI thread; the
// window layer's tests call it directly. It knows nothing of the glue or the
// design program's thread (see Program_Session).
//
// Its members are implemented by concern:
//   WindowController.cpp           start-up, teardown, error boxes, end of the program
//   WindowController_Windows.cpp   sub-windows: creating, moving, activating, closing
//   WindowController_Contents.cpp  plots, charts, spreadsheets, canvases, saving contents
#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "UIK_Call_Interface.h"
#include "Unit_Contents.h"

class QMdiArea;
class QMdiSubWindow;
class QWidget;
class BarChart;
class Canvas;
class ContourPlot;
class MainWindow;
class PieChart;
class PolarPlot;
class Program_Dialogs;
class Program_Menus;
class SubWindow;
class Text_Windows;
class UIK_Spreadsheet;
class UIK_TextEdit;
class XYPlot;

class WindowController : public QObject {
    Q_OBJECT
public:
    // Creates the console window (and with it the main window). The design
    // program and the glue that carries its requests here are put under it
    // by Program_Session.
    WindowController();
    ~WindowController() override;

    // Units -4, -3 and -2 are one console: stored and looked up as -2.
    static int unitKey(int unit) { return (unit == -4 || unit == -3) ? -2 : unit; }

    // ---- The contents of unit windows by unitKey, and views of each kind ----
    UIK_Contents contents;
    const UIK_Contents_Of<UIK_TextEdit> textWindows{contents};
    const UIK_Contents_Of<XYPlot> xyPlots{contents};
    const UIK_Contents_Of<UIK_Spreadsheet> spreadsheets{contents};
    const UIK_Contents_Of<BarChart> barCharts{contents};
    const UIK_Contents_Of<PolarPlot> polarPlots{contents};
    const UIK_Contents_Of<ContourPlot> contourPlots{contents};
    const UIK_Contents_Of<PieChart> pieCharts{contents};
    const UIK_Contents_Of<Canvas> canvases{contents};

    Program_Menus* const menus;      // the design program's menus and timers
    Text_Windows* const texts;       // text windows, unit I/O and the console
    Program_Dialogs* const dialogs;  // form dialogs, alert box, file-name dialogs
    QMdiArea* mdiArea = nullptr;
    bool windowedMode = true;
    MainWindow* mainWindow = nullptr;

    // The content of a unit (nullptr when none).
    UIK_ContentController* contentForUnit(int unit) const { return contents.value(unitKey(unit)); }
    // The sub-window whose "unit" property is `unit` (windowed mode).
    SubWindow* subWindowForUnit(int unit) const;
    // Puts `content` (a widget that is also a UIK_ContentController) into a
    // new sub-window of the main window's document area, creating the main
    // window with the first one.
    SubWindow* createSubWindow(QWidget* widget, UIK_ContentController* content, const QString& title, int width,
                               int height);
    // Enters `content` in the table under its unit and shows it in a new
    // window of `size` (`limit` bounds the sub-window with its frame): a
    // sub-window that becomes the current content, or outside windowed mode
    // a window of its own.
    void showContent(QWidget* widget, UIK_ContentController* content, QSize size, QSize limit = QSize());
    // Content windows open at three quarters of the default window size.
    static QSize contentWindowSize();
    QWidget* mainWidget() const;  // the main window (nullptr: none), parent of new contents
    // Creates the `Kind` (a plot or chart) of `unit` from `properties` and
    // shows it in a content window.
    template <class Kind>
    Kind* create(int unit, const QVariantMap& properties) {
        auto* content = new Kind(unit, properties, mainWidget());
        showContent(content, content, contentWindowSize());
        return content;
    }
    // Calls `act` on the content of `unit` if it is a `Kind`, else shows
    // "<noun> for unit number <unit> does not exist" (no box for a null noun).
    template <class Kind, class Act>
    void onContent(int unit, const char* noun, Act act) {
        if (Kind* content = dynamic_cast<Kind*>(contentForUnit(unit)))
            act(content);
        else if (noun != nullptr)
            showErrorBox(tr("%1 for unit number %2 does not exist").arg(tr(noun)).arg(unit));
    }
    // Modal error box: title "Error", the text, one OK button.
    void showErrorBox(const QString& text);

    // ---- End (WindowController.cpp) ----
    // Closes every window and ends the application (the design program has
    // stopped and the preferences say so).
    void closeOnProgramStop();

    // ---- Sub-windows (WindowController_Windows.cpp) ----
    // 1, or 0 when the unit has no window.
    int closeWindowForUnit(int unit);
    void moveWindowForUnit(int unit, int x, int y);
    void activateWindowForUnit(int unit);
    // The content of `window` becomes the one the main window's menus act on.
    void subWindowActivated(QMdiSubWindow* window);
    // `content` is going: it leaves the table.
    void willDestroy(UIK_ContentController* content);

    // ---- Plots, charts, spreadsheets, canvases (WindowController_Contents.cpp) ----
    // Writes of a content that does not exist show an error box.
    // Reads the curve from `data` (nrows rows of ncols values), calls
    // `release` (the block is no longer needed) and then draws it.
    void writeXYPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series,
                     const std::function<void()>& release = {});
    void clearXYPlot(int unit);
    // Saves the unit window's contents under properties["saveFileName"];
    // false, with the reason in *failure, when nothing was written.
    bool saveWindowContentsForUnit(int unit, QVariantMap properties, QString* failure = nullptr);
    // A spreadsheet of `size` (invalid: the size of content windows).
    void createSpreadsheetForUnit(int unit, QString windowName, QSize size = QSize());
    void writeBarchartForUnit(int unit, void* data, QString dataType, int nrows, int ncols);
    void writePieChartForUnit(int unit, void* data, QString dataType, int nrows, int ncols);
    void writePolarPlotForUnit(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series);
    void clearPolarPlotForUnit(int unit);
    // Calls `callback` for the data now and never after this returns.
    void writeContourPlotForUnit(int unit, QVariantMap properties, UIK_Contour_Callback callback);
    void clearContourPlotForUnit(int unit);
    // Canvas requests for a unit without a canvas are ignored.
    void createCanvasForUnit(int unit, QVariantMap properties);
    void clearCanvasForUnit(int unit, QVariantMap properties);
    void createObjectOnCanvasForUnit(int objectId, int canvasUnit, QVariantMap properties);
};
