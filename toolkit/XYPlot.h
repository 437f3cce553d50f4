// SPDX-License-Identifier: GPL-3.0-or-later
// An XY plot window on QwtPlot: a title, two axes with optional fixed scales
// and logarithmic engines, a grid, a legend on the right, one curve per data
// series written to it, zoom, pan and value reading under the cursor
// (Plot_Navigator), and export of the plot to an image or PDF file.
#pragma once

#include <QList>
#include <QPointF>
#include <QVector>
#include <QString>
#include <QVariantMap>
#include <functional>

#include "Plot_Content.h"

class QAction;
class QwtPlotCurve;
class QwtPlotGrid;
class Plot_Navigator;

class XYPlot : public Plot_Content {
    Q_OBJECT
public:
    // Builds the plot and applies the plot property map ("windowTitle",
    // "chartBackgroundColor", axis names, scale types and bounds, grid flags).
    XYPlot(int unit, const QVariantMap& properties, QWidget* parent = nullptr);

    // Adds one curve from a block of nrows x ncols values stored row after
    // row (row r is the point x = first value, y = second value), of the
    // data type "INTEGER*4", "INTEGER*8", "REAL*4", "REAL*8" or "REAL*16",
    // drawn as the series property map says. Calls `release` once the block
    // has been read (it is no longer needed), then redraws once. Long blocks
    // are read on a worker thread while the GUI goes on (see Run_Aside).
    void writeCurve(const void* data, const QString& dataType, int nrows, int ncols, const QVariantMap& series,
                    const std::function<void()>& release = {});
    // The points of such a block, as writeCurve draws them.
    static QVector<QPointF> curvePoints(const void* data, const QString& dataType, int nrows, int ncols);
    // Adds one curve of points read before (curvePoints); redraws once.
    void addCurve(const QVector<QPointF>& points, const QVariantMap& series);
    // Removes and deletes every curve, then redraws.
    void clearCurves();

    // The smallest size that keeps the axes and their labels readable; the
    // legend is not counted, it goes when there is no room for it.
    QSize minimumSizeHint() const override;

    QList<QwtPlotCurve*> curves;  // the curves received, in order
    // The context-menu items of the curves the user may hide ("hideItem"):
    // checked hides the curve.
    QList<QAction*> hideActions;
    QwtPlotGrid* grid = nullptr;
    Plot_Navigator* navigator = nullptr;  // zoom, pan, tracker and point mark

    using Plot_Content::exportChart;  // the interactive one

public slots:
    // Writes the plot in its full view, as the data were drawn before any
    // zoom (see Plot_Content::exportChart).
    bool exportChart(const QString& fileName, QString* failure = nullptr) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows the legend on the right when a plot `width` wide has room for it
    // beside the axes, and removes it otherwise.
    void fitLegend(int width);
    int legendWidth_ = 0;  // the legend's width with its spacing, when last shown
    void applyProperties(const QVariantMap& properties);
    void applyAxisScale(int axis, const QVariantMap& properties, const QString& prefix);
};
