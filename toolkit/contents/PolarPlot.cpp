// SPDX-License-Identifier: GPL-3.0-or-later
#include "PolarPlot.h"

#include "Plot_Data.h"
#include "Plot_Export.h"
#include "Plot_Navigator.h"

#include <QBrush>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QSizeF>
#include <QVector>
#include <QtMath>
#include <cmath>
#include <qwt_legend.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <qwt_scale_engine.h>
#include <qwt_scale_map.h>
#include <qwt_symbol.h>

namespace {
constexpr int Ring_Steps = 5;           // at most this many rings
constexpr double Plot_Fraction = 0.82;  // of the canvas's shorter side; the rest holds the azimuth labels
const char* const Default_Export_Name = "polarplot.png";

// Row r of the block is (azimuth, radius); further columns are ignored. A
// block without two columns, or of an unknown type, has no points.
QVector<QPointF> readPoints(const void* data, const QString& dataType, int nrows, int ncols) {
    QVector<QPointF> points = Plot_Points(data, dataType, nrows, ncols, Plot_Precision::Exact);
    for (QPointF& p : points) p = PolarPlot::pointAt(p.x(), p.y());
    return points;
}

QString degrees(int angle) { return QString::number(angle) + QChar(0x00B0); }
}  // namespace

// ---- PolarGrid ----

PolarGrid::PolarGrid() : QwtPlotItem(QwtText(QStringLiteral("Polar Grid"))) {
    setItemAttribute(QwtPlotItem::Legend, false);
    setZ(10.0);  // below the curves
    rings_ = {0.2, 0.4, 0.6, 0.8, 1.0};
}

void PolarGrid::setRings(const QList<double>& radii) {
    rings_ = radii;
    itemChanged();
}

void PolarGrid::draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF&) const {
    const QPointF centre(xMap.transform(0.0), yMap.transform(0.0));
    const double outer = outerRadius();
    auto pixels = [&](double radius) { return xMap.transform(radius) - centre.x(); };
    const QFontMetricsF metrics(painter->font(), painter->device());

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);

    // Rings, the outer one solid, each with its radius where it meets the
    // line halfway between the first two spokes (clear of the azimuths).
    const QColor lineColour(Qt::gray);
    const double labelAngle = qDegreesToRadians(Spoke_Step_Degrees / 2.0);
    const QPointF labelDirection(std::cos(labelAngle), -std::sin(labelAngle));
    for (int i = 0; i < rings_.size(); ++i) {
        const double r = pixels(rings_[i]);
        const bool isOuter = i == rings_.size() - 1;
        painter->setPen(QPen(lineColour, 0, isOuter ? Qt::SolidLine : Qt::DotLine));
        painter->drawEllipse(centre, r, r);
        painter->setPen(QPen(Qt::darkGray));
        painter->drawText(centre + r * labelDirection + QPointF(2.0, -2.0), QString::number(rings_[i], 'g', 6));
    }

    // Spokes from the centre to the outer ring, with their azimuth outside it.
    const double reach = pixels(outer);
    for (int angle = 0; angle < 360; angle += Spoke_Step_Degrees) {
        const QPointF direction(std::cos(qDegreesToRadians(double(angle))),
                                -std::sin(qDegreesToRadians(double(angle))));  // pixel y grows downwards
        painter->setPen(QPen(lineColour, 0, Qt::DotLine));
        painter->drawLine(centre, centre + reach * direction);
        const QString label = degrees(angle);
        const QSizeF size = metrics.size(Qt::TextSingleLine, label);
        const QPointF middle = centre + (reach + 0.6 * qMax(size.width(), size.height())) * direction;
        painter->setPen(QPen(Qt::darkGray));
        painter->drawText(QRectF(middle - QPointF(size.width() / 2, size.height() / 2), size), Qt::AlignCenter, label);
    }
    painter->restore();
}

// ---- PolarPlot ----

PolarPlot::PolarPlot(int unit, const QVariantMap& properties, QWidget* parent)
    : Plot_Content(unit, properties, Default_Export_Name, parent) {
    setCanvasBackground(QColor(Qt::white));

    insertLegend(new QwtLegend(), QwtPlot::RightLegend);
    // The rings carry the radial scale; Cartesian axes would mislead.
    enableAxis(QwtPlot::xBottom, false);
    enableAxis(QwtPlot::yLeft, false);

    if (auto* plotCanvas = qobject_cast<QwtPlotCanvas*>(canvas())) plotCanvas->setFrameStyle(QFrame::NoFrame);

    grid = new PolarGrid();
    grid->attach(this);

    setTitle(properties.value("windowTitle").toString());
    if (properties.contains("chartBackgroundColor"))
        setCanvasBackground(Plot_Colour(properties.value("chartBackgroundColor")));

    updateRings();
    replot();
    navigator = attachNavigator();
}

QPointF PolarPlot::pointAt(double azimuthDegrees, double radius) {
    const double angle = qDegreesToRadians(azimuthDegrees);
    return QPointF(radius * std::cos(angle), radius * std::sin(angle));
}

void PolarPlot::writeCurve(const void* data, const QString& dataType, int nrows, int ncols, const QVariantMap& series) {
    const QVector<QPointF> points = readPoints(data, dataType, nrows, ncols);
    QwtPlotCurve* curve = Plot_New_Curve(series);
    curve->attach(this);
    curve->setSamples(points);
    curves.append(curve);
    updateRings();
    replot();
    navigator->showNewData();
}

void PolarPlot::clearCurves() {
    qDeleteAll(curves);  // a deleted item detaches itself from the plot
    curves.clear();
    updateRings();
    replot();
    navigator->showNewData();
}

// Rings at round radii up to the first one that holds every point.
void PolarPlot::updateRings() {
    double largest = 0.0;
    for (const QwtPlotCurve* curve : curves)
        for (size_t i = 0; i < curve->dataSize(); ++i) {
            const QPointF p = curve->sample(int(i));
            const double r = std::hypot(p.x(), p.y());
            if (std::isfinite(r)) largest = qMax(largest, r);
        }
    if (largest <= 0.0) largest = 1.0;

    QwtLinearScaleEngine engine;
    double lower = 0.0, upper = largest, step = 0.0;
    engine.autoScale(Ring_Steps, lower, upper, step);
    const QwtScaleDiv division = engine.divideScale(0.0, upper, Ring_Steps, 0, step);
    QList<double> rings;
    for (double tick : division.ticks(QwtScaleDiv::MajorTick))
        if (tick > 0.0) rings.append(tick);
    if (rings.isEmpty() || rings.last() < largest) rings.append(qMax(upper, largest));
    grid->setRings(rings);

    const double outer = grid->outerRadius();
    setAxisScale(QwtPlot::xBottom, -outer, outer);
    setAxisScale(QwtPlot::yLeft, -outer, outer);
}

QwtScaleMap PolarPlot::squareMap(int axisId, QwtScaleMap map, const QRectF& canvasRect) const {
    const QwtScaleDiv& x = axisScaleDiv(QwtPlot::xBottom);
    const QwtScaleDiv& y = axisScaleDiv(QwtPlot::yLeft);
    const double reach = qMax(std::fabs(x.range()), std::fabs(y.range())) / 2.0;
    const QwtScaleDiv& own = axisId == QwtPlot::xBottom ? x : y;
    const double middle = (own.lowerBound() + own.upperBound()) / 2.0;
    const double half = Plot_Fraction * qMin(canvasRect.width(), canvasRect.height()) / 2.0;
    const QPointF centre = canvasRect.center();
    map.setScaleInterval(middle - reach, middle + reach);
    if (axisId == QwtPlot::xBottom)
        map.setPaintInterval(centre.x() - half, centre.x() + half);
    else
        map.setPaintInterval(centre.y() + half, centre.y() - half);  // pixel y grows downwards
    return map;
}

QwtScaleMap PolarPlot::canvasMap(int axisId) const {
    const QwtScaleMap map = QwtPlot::canvasMap(axisId);
    if ((axisId != QwtPlot::xBottom && axisId != QwtPlot::yLeft) || canvas() == nullptr) return map;
    return squareMap(axisId, map, canvas()->contentsRect());
}

// The screen and the exports both draw through here, so both keep the
// circles round whatever the shape of the canvas.
void PolarPlot::drawItems(QPainter* painter, const QRectF& canvasRect, const QwtScaleMap maps[axisCnt]) const {
    QwtScaleMap square[axisCnt];
    for (int axis = 0; axis < axisCnt; ++axis) square[axis] = maps[axis];
    square[QwtPlot::xBottom] = squareMap(QwtPlot::xBottom, maps[QwtPlot::xBottom], canvasRect);
    square[QwtPlot::yLeft] = squareMap(QwtPlot::yLeft, maps[QwtPlot::yLeft], canvasRect);
    QwtPlot::drawItems(painter, canvasRect, square);
}

bool PolarPlot::exportChart(const QString& fileName, QString* failure) {
    return navigator->withFullView([this, &fileName, failure] { return exportView(fileName, failure); });
}
