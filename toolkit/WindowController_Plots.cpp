// XY plot windows (create, write a curve, clear) and saving a unit window's
// contents to a file.
#include "WindowController.h"

#include <QMdiArea>
#include <QPointer>
#include <QSize>

#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_ContentController.h"
#include "UIK_Preferences.h"
#include "Work_Aside.h"
#include "XYPlot.h"

namespace {
// Curves longer than this are read on a worker thread: some tens of
// milliseconds for the longest response curves.
constexpr int Rows_Read_Aside = 100000;

// Plot windows open at three quarters of the default window size.
QSize plotWindowSize() { return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4); }
}  // namespace

void WindowController::createXYPlotForUnit(int unit, QVariantMap properties) {
    auto* plot = new XYPlot(unit, properties, mainWindow);
    xyPlots.insert(unitKey(unit), plot);
    const QString title = plot->UIK_ContentController::title;
    const QSize size = plotWindowSize();

    if (!windowedMode) {
        plot->setWindowFlags(Qt::Window);
        plot->setWindowTitle(title);
        plot->resize(size);
        if (UIK_Pref_Maximized())
            plot->showMaximized();
        else
            plot->show();
        return;
    }

    SubWindow* window = createSubWindow(plot, plot, title, size.width(), size.height());
    if (window == nullptr) return;
    window->setProperty("unit", unit);
    if (mdiArea != nullptr) mdiArea->setActiveSubWindow(window);
    // The new plot is what File > Save and Print act on.
    if (mainWindow != nullptr) mainWindow->setCurrentContent(plot);
}

void WindowController::writeXYPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series) {
    XYPlot* plot = xyPlots.value(unitKey(unit));
    if (plot == nullptr) {
        showErrorBox(tr("XY Plot for unit number %1 does not exist").arg(unit));
        emit endWindowSyncOperation();
        return;
    }
    // The design program waits only until its data block has been read: it
    // computes its next curve while this one is drawn. Its later requests
    // queue behind this one, so nothing changes order.
    QVector<QPointF> points;
    const auto read = [&] { points = XYPlot::curvePoints(data, dataType, nrows, ncols); };
    const QPointer<XYPlot> target(plot);
    if (nrows > Rows_Read_Aside)
        Run_Aside(read);  // the design program holds its block still until released
    else
        read();
    emit endWindowSyncOperation();
    if (target) target->addCurve(points, series);
}

void WindowController::clearXYPlot(int unit) {
    if (XYPlot* plot = xyPlots.value(unitKey(unit)))
        plot->clearCurves();
    else
        showErrorBox(tr("XY Plot for unit number %1 does not exist").arg(unit));
}

void WindowController::saveWindowContentsForUnit(int unit, QVariantMap properties) {
    const QString fileName = properties.value("saveFileName").toString();
    bool saved = false;
    QString failure;
    if (UIK_ContentController* content = contentForUnit(unit)) {
        saved = content->saveContents(fileName, &failure);
        if (!saved) showErrorBox(tr("Unable to write %1").arg(content->contentsFileName(fileName)));
    } else {
        failure = tr("Window for unit number %1 does not exist").arg(unit);
        showErrorBox(failure);
    }
    // The design program waits until the file has been written, and learns
    // whether it was.
    emit windowContentsSaved(saved, failure);
    emit endWindowSyncOperation();
}
