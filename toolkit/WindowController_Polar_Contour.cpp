// Polar plot and contour plot windows: create, write, clear. Saving goes
// through saveWindowContentsForUnit like every other content.
#include "WindowController.h"

#include <QMdiArea>
#include <QSize>

#include "ContourPlot.h"
#include "MainWindow.h"
#include "PolarPlot.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"

namespace {
// Plot windows open at three quarters of the default window size.
QSize plotWindowSize() { return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4); }

// Shows a new plot in its own window and makes it the current content.
void showPlotWindow(WindowController* controller, QWidget* widget, UIK_ContentController* content) {
    const QSize size = plotWindowSize();
    if (!controller->windowedMode) {
        widget->setWindowFlags(Qt::Window);
        widget->setWindowTitle(content->title);
        widget->resize(size);
        if (UIK_Pref_Maximized())
            widget->showMaximized();
        else
            widget->show();
        return;
    }
    SubWindow* window = controller->createSubWindow(widget, content, content->title, size.width(), size.height());
    if (window == nullptr) return;
    window->setProperty("unit", content->unitNumber);
    if (controller->mdiArea != nullptr) controller->mdiArea->setActiveSubWindow(window);
    if (controller->mainWindow != nullptr) controller->mainWindow->setCurrentContent(content);
}
}  // namespace

void WindowController::createPolarPlotForUnit(int unit, QVariantMap properties) {
    auto* plot = new PolarPlot(unit, properties, mainWindow);
    polarPlots.insert(unitKey(unit), plot);
    showPlotWindow(this, plot, plot);
}

void WindowController::writePolarPlotForUnit(int unit, void* data, QString dataType, int nrows, int ncols,
                                             QVariantMap series) {
    if (PolarPlot* plot = polarPlots.value(unitKey(unit)))
        plot->writeCurve(data, dataType, nrows, ncols, series);
    else
        showErrorBox(tr("Polar Plot for unit number %1 does not exist").arg(unit));
    // The design program waits until its data block has been read.
    emit endWindowSyncOperation();
}

void WindowController::clearPolarPlotForUnit(int unit) {
    if (PolarPlot* plot = polarPlots.value(unitKey(unit)))
        plot->clearCurves();
    else
        showErrorBox(tr("Polar Plot for unit number %1 does not exist").arg(unit));
}

void WindowController::createContourPlotForUnit(int unit, QVariantMap properties) {
    auto* plot = new ContourPlot(unit, properties, mainWindow);
    contourPlots.insert(unitKey(unit), plot);
    showPlotWindow(this, plot, plot);
}

void WindowController::writeContourPlotForUnit(int unit, QVariantMap properties, UIK_Contour_Callback callback) {
    // The data routine is called here, while the design program waits, and
    // never again after the answer below.
    if (ContourPlot* plot = contourPlots.value(unitKey(unit)))
        plot->writeData(properties, callback);
    else
        showErrorBox(tr("Contour Plot for unit number %1 does not exist").arg(unit));
    emit endWindowSyncOperation();
}

void WindowController::clearContourPlotForUnit(int unit) {
    if (ContourPlot* plot = contourPlots.value(unitKey(unit)))
        plot->clearData();
    else
        showErrorBox(tr("Contour Plot for unit number %1 does not exist").arg(unit));
}
