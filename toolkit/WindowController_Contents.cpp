// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of unit windows other than text: XY, polar and contour plots,
// bar and pie charts, spreadsheets and canvases. Each is created in a window
// of its own, written, cleared, and saved to a file like every content.
#include "WindowController.h"

#include <QMdiArea>

#include "BarChart.h"
#include "Canvas.h"
#include "ContourPlot.h"
#include "MainWindow.h"
#include "PieChart.h"
#include "PolarPlot.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"
#include "UIK_Spreadsheet.h"
#include "XYPlot.h"

QSize WindowController::contentWindowSize() {
    return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4);
}

QWidget* WindowController::mainWidget() const { return mainWindow; }

void WindowController::showContent(QWidget* widget, UIK_ContentController* content, QSize size, QSize limit) {
    contents.insert(unitKey(content->unitNumber), content);
    if (!windowedMode) {
        widget->setWindowFlags(Qt::Window);
        widget->setWindowTitle(content->title);
        widget->resize(size);
        if (UIK_Pref_Maximized())
            widget->showMaximized();
        else
            widget->show();
        return;
    }
    SubWindow* window = createSubWindow(widget, content, content->title, size.width(), size.height());
    // The sub-window's frame and title bar come on top of the content.
    if (limit.isValid() && !window->isMaximized()) window->resize(window->sizeHint().boundedTo(limit));
    mdiArea->setActiveSubWindow(window);
    // The new content is what File > Save and Print act on.
    if (mainWindow != nullptr) mainWindow->setCurrentContent(content);
}

// ---- XY plots ----

void WindowController::writeXYPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series,
                                   const std::function<void()>& release) {
    // The design program waits only until its data block has been read: it
    // computes its next curve while this one is drawn. Its later requests
    // queue behind this one, so nothing changes order.
    if (XYPlot* plot = xyPlots.value(unitKey(unit)))
        return plot->writeCurve(data, dataType, nrows, ncols, series, release);
    showErrorBox(tr("XY Plot for unit number %1 does not exist").arg(unit));
    if (release) release();
}

void WindowController::clearXYPlot(int unit) {
    onContent<XYPlot>(unit, "XY Plot", [](XYPlot* plot) { plot->clearCurves(); });
}

bool WindowController::saveWindowContentsForUnit(int unit, QVariantMap properties, QString* failure) {
    const QString fileName = properties.value("saveFileName").toString();
    bool saved = false;
    QString reason;
    if (UIK_ContentController* content = contentForUnit(unit)) {
        saved = content->saveContents(fileName, &reason);
        if (!saved) showErrorBox(tr("Unable to write %1").arg(content->contentsFileName(fileName)));
    } else {
        reason = tr("Window for unit number %1 does not exist").arg(unit);
        showErrorBox(reason);
    }
    if (failure != nullptr) *failure = reason;
    return saved;
}

// ---- Spreadsheets: opened through unit I/O as a window of type "spreadsheet" ----

void WindowController::createSpreadsheetForUnit(int unit, QString windowName, QSize size) {
    // A unit has one spreadsheet; opening it again brings that one forward.
    if (spreadsheets.contains(unitKey(unit))) {
        activateWindowForUnit(unit);
        return;
    }
    auto* sheet = new UIK_Spreadsheet(unit, windowName, mainWindow);
    showContent(sheet, sheet, size.isValid() ? size : contentWindowSize());
}

// ---- Bar and pie charts ----

void WindowController::writeBarchartForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    onContent<BarChart>(unit, "Bar Chart", [&](BarChart* chart) { chart->writeGroups(data, dataType, nrows, ncols); });
}

void WindowController::writePieChartForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    // A pie chart that is gone has nothing to show the values in.
    onContent<PieChart>(unit, nullptr, [&](PieChart* chart) { chart->writeValues(data, dataType, nrows, ncols); });
}

// ---- Polar and contour plots ----

void WindowController::writePolarPlotForUnit(int unit, void* data, QString dataType, int nrows, int ncols,
                                             QVariantMap series) {
    onContent<PolarPlot>(unit, "Polar Plot",
                         [&](PolarPlot* plot) { plot->writeCurve(data, dataType, nrows, ncols, series); });
}

void WindowController::clearPolarPlotForUnit(int unit) {
    onContent<PolarPlot>(unit, "Polar Plot", [](PolarPlot* plot) { plot->clearCurves(); });
}

void WindowController::writeContourPlotForUnit(int unit, QVariantMap properties, UIK_Contour_Callback callback) {
    onContent<ContourPlot>(unit, "Contour Plot", [&](ContourPlot* plot) { plot->writeData(properties, callback); });
}

void WindowController::clearContourPlotForUnit(int unit) {
    onContent<ContourPlot>(unit, "Contour Plot", [](ContourPlot* plot) { plot->clearData(); });
}

// ---- Canvases ----

void WindowController::createCanvasForUnit(int unit, QVariantMap properties) {
    auto* canvas = new Canvas(unit, properties, mainWidget());
    // Big enough for the whole canvas, but no larger than its own maximum
    // where given, else the size of every content window; the canvas
    // scrolls inside a smaller window.
    const QSize given = canvas->maxWindowSize();
    const QSize limit(given.width() > 0 ? given.width() : contentWindowSize().width(),
                      given.height() > 0 ? given.height() : contentWindowSize().height());
    showContent(canvas, canvas, canvas->sizeHint().boundedTo(limit), limit);
}

void WindowController::clearCanvasForUnit(int unit, QVariantMap) {
    onContent<Canvas>(unit, nullptr, [](Canvas* canvas) { canvas->clear(); });
}

void WindowController::createObjectOnCanvasForUnit(int objectId, int canvasUnit, QVariantMap properties) {
    onContent<Canvas>(canvasUnit, nullptr, [&](Canvas* canvas) { canvas->addObject(objectId, properties); });
}
