// SPDX-License-Identifier: GPL-3.0-or-later
// A polar plot window on QwtPlot: one curve per data series written to it,
// each point given by its azimuth in degrees (0 along the positive x axis,
// counter-clockwise) and its radius, drawn at x = r·cos(azimuth),
// y = r·sin(azimuth) with equal scales on both axes inside circular grid
// rings and radial spokes; a legend on the right; zoom, pan and value
// reading (Plot_Navigator, the view kept square); export of the whole plot
// to an image or PDF file.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QVariantMap>
#include <qwt_plot_item.h>

#include "Plot_Content.h"

class QwtPlotCurve;
class Plot_Navigator;

// The polar grid: rings at the radial ticks (the outermost one bounds the
// plot), spokes every 30 degrees, the radius of each ring and the azimuth of
// each spoke as labels. Centred on the origin of the plot's scales.
class PolarGrid : public QwtPlotItem {
public:
    PolarGrid();

    // Ring radii in ascending order; the last is the outer radius.
    void setRings(const QList<double>& radii);
    QList<double> rings() const { return rings_; }
    double outerRadius() const { return rings_.isEmpty() ? 1.0 : rings_.last(); }

    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem + 1; }
    void draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
              const QRectF& canvasRect) const override;

    static constexpr int Spoke_Step_Degrees = 30;

private:
    QList<double> rings_;
};

class PolarPlot : public Plot_Content {
    Q_OBJECT
public:
    // Builds the plot and applies the properties "windowTitle" (plot title
    // and window title) and "chartBackgroundColor" (0xRRGGBB canvas colour).
    PolarPlot(int unit, const QVariantMap& properties, QWidget* parent = nullptr);

    // Adds one curve from a block of nrows x ncols values stored row after
    // row (row r is the point of azimuth = first value in degrees, radius =
    // second value), of the data type "INTEGER*4", "INTEGER*8", "REAL*4",
    // "REAL*8" or "REAL*16", drawn as the series map says ("curveLabel",
    // "curveColor", "dotColor", "symbolStyle", "curveLineWidth", "dotSize").
    // The rings grow to hold the largest radius. Redraws once.
    void writeCurve(const void* data, const QString& dataType, int nrows, int ncols, const QVariantMap& series);
    // Removes and deletes every curve, then redraws.
    void clearCurves();

    // The plot point of (azimuth in degrees, radius).
    static QPointF pointAt(double azimuthDegrees, double radius);

    // The maps of the bottom and left axes give both axes the same scale, a
    // square around the canvas centre holding the view: the outer ring, or
    // what the user zoomed to (the larger of its width and height).
    QwtScaleMap canvasMap(int axisId) const override;

    QList<QwtPlotCurve*> curves;  // the curves received, in order
    PolarGrid* grid = nullptr;
    Plot_Navigator* navigator = nullptr;

    using Plot_Content::exportChart;  // the interactive one

public slots:
    // Writes the plot in its full view, all rings, whatever the zoom.
    bool exportChart(const QString& fileName, QString* failure = nullptr) override;

protected:
    void drawItems(QPainter* painter, const QRectF& canvasRect, const QwtScaleMap maps[axisCnt]) const override;

private:
    void updateRings();
    // `map` of the bottom (horizontal) or left axis turned into the equal
    // scale of the square plot area inside `canvasRect`.
    QwtScaleMap squareMap(int axisId, QwtScaleMap map, const QRectF& canvasRect) const;
};
