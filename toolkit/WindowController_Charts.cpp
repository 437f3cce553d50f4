// Bar chart and pie chart windows: create, and write a data block.
#include "WindowController.h"

#include <QMdiArea>
#include <QSize>

#include "BarChart.h"
#include "MainWindow.h"
#include "PieChart.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"

namespace {
// Chart windows open at three quarters of the default window size.
QSize chartWindowSize() { return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4); }

// Shows a new chart: a sub-window of the main window that becomes the
// current content, or a window of its own outside windowed mode.
template <class Chart>
void showChart(WindowController& controller, Chart* chart) {
    const QString title = chart->UIK_ContentController::title;
    const QSize size = chartWindowSize();
    if (!controller.windowedMode) {
        chart->setWindowFlags(Qt::Window);
        chart->setWindowTitle(title);
        chart->resize(size);
        if (UIK_Pref_Maximized())
            chart->showMaximized();
        else
            chart->show();
        return;
    }
    SubWindow* window = controller.createSubWindow(chart, chart, title, size.width(), size.height());
    if (window == nullptr) return;
    if (controller.mdiArea != nullptr) controller.mdiArea->setActiveSubWindow(window);
    // The new chart is what File > Save and Print act on.
    if (controller.mainWindow != nullptr) controller.mainWindow->setCurrentContent(chart);
}
}  // namespace

void WindowController::createBarchartForUnit(int unit, QVariantMap properties) {
    auto* chart = new BarChart(unit, properties, mainWindow);
    barCharts.insert(unitKey(unit), chart);
    showChart(*this, chart);
}

void WindowController::writeBarchartForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    if (BarChart* chart = barCharts.value(unitKey(unit)))
        chart->writeGroups(data, dataType, nrows, ncols);
    else
        showErrorBox(tr("Bar Chart for unit number %1 does not exist").arg(unit));
    // The design program waits until its data block has been read.
    emit endWindowSyncOperation();
}

void WindowController::createPieChartForUnit(int unit, QVariantMap properties) {
    auto* chart = new PieChart(unit, properties, mainWindow);
    pieCharts.insert(unitKey(unit), chart);
    showChart(*this, chart);
}

void WindowController::writePieChartForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    // A pie chart that is gone has nothing to show the values in; the design
    // program is released all the same.
    if (PieChart* chart = pieCharts.value(unitKey(unit))) chart->writeValues(data, dataType, nrows, ncols);
    emit endWindowSyncOperation();
}
