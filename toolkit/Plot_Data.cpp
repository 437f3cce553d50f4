#include "Plot_Data.h"

#include <QBrush>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QSize>
#include <cmath>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>
#include <qwt_symbol.h>
#include <type_traits>

#include "Significant_Digits.h"
#include "Work_Aside.h"

namespace {

constexpr int Significant_Digits = 6;  // reals are shown with six significant digits
constexpr int Dot_Outline_Width = 2;   // pen width of the point symbols

template <class T>
double exact(const void* data, qint64 index) {
    return static_cast<double>(static_cast<const T*>(data)[index]);
}

}  // namespace

double Plot_Six_Digits_Reference(double value) { return QString::number(value, 'g', Significant_Digits).toDouble(); }

double Plot_Six_Digits(double value) {
    double rounded;
    return Six_Significant_Digits(value, rounded) ? rounded : Plot_Six_Digits_Reference(value);
}

namespace {

template <class T>
double through_text(const void* data, qint64 index) {
    const T value = static_cast<const T*>(data)[index];
    if constexpr (std::is_integral_v<T>)
        return QString::number(static_cast<qlonglong>(value)).toDouble();
    else
        return Plot_Six_Digits(static_cast<double>(value));
}

using Value_Reader = double (*)(const void*, qint64);

template <class T>
Value_Reader reader(Plot_Precision precision) {
    return precision == Plot_Precision::Exact ? &exact<T> : &through_text<T>;
}

// The reader of a data-type name; nullptr for a type that cannot be read.
Value_Reader reader_for(const QString& dataType, Plot_Precision precision) {
    const QString type = dataType.trimmed();
    if (type == QLatin1String("INTEGER*4")) return reader<qint32>(precision);
    if (type == QLatin1String("INTEGER*8")) return reader<qint64>(precision);
    if (type == QLatin1String("REAL*4")) return reader<float>(precision);
    if (type == QLatin1String("REAL*8")) return reader<double>(precision);
    if (type == QLatin1String("REAL*16")) return reader<long double>(precision);
    return nullptr;
}

// A curve that draws its long polylines as a plain QwtPlotCurve does, with
// two savings that keep the picture the same:
// - While every point of it maps inside the canvas, as in the full view, it
//   leaves out Qwt's polygon clipping. Clipping then gives back the polygon
//   point for point, but costs two copies of a polygon of every point (tens
//   of megabytes for the long response curves). A zoomed view, or a fitted
//   curve (whose spline may leave the points' bounds), is clipped as before.
// - Drawn into an image (a saved plot), a curve of more than
//   Points_Drawn_Aside points is drawn by the same call on a worker thread
//   (Run_Aside; a painter on an image may be used from any one thread at a
//   time), so that a plot of hundreds of thousands of points does not hold
//   the GUI for a second.
class Plot_Curve : public QwtPlotCurve {
protected:
    void drawLines(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& canvasRect,
                   int from, int to) const override {
        if (testCurveAttribute(Fitted) || !insideCanvas(xMap, yMap, canvasRect)) {
            QwtPlotCurve::drawLines(painter, xMap, yMap, canvasRect, from, to);
            return;
        }
        // The attribute is read only while drawing. A repaint of this curve
        // while a worker draws it (the GUI goes on meanwhile) finds the
        // attribute already off and writes nothing.
        auto* self = const_cast<Plot_Curve*>(this);
        const bool clipping = testPaintAttribute(ClipPolygons);
        if (clipping) self->setPaintAttribute(ClipPolygons, false);
        const bool into_image = painter->device() != nullptr && painter->device()->devType() == QInternal::Image;
        if (into_image && to - from > Points_Drawn_Aside)
            drawAside(painter, xMap, yMap, canvasRect, from, to);
        else
            QwtPlotCurve::drawLines(painter, xMap, yMap, canvasRect, from, to);
        if (clipping) self->setPaintAttribute(ClipPolygons, true);
    }

private:
    // About 30 ms of drawing for the steepest response curves.
    static constexpr int Points_Drawn_Aside = 32768;

    void drawAside(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& canvasRect,
                   int from, int to) const {
        Run_Aside([&] { QwtPlotCurve::drawLines(painter, xMap, yMap, canvasRect, from, to); });
    }

    // The points' bounds map into the canvas; Qwt clips to the canvas widened
    // by the pen width (at least a pixel), beyond the half pixel by which it
    // may round a point.
    bool insideCanvas(const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& canvasRect) const {
        const QRectF bounds = boundingRect();
        if (bounds.width() < 0.0 || bounds.height() < 0.0) return false;  // no points
        const QRectF mapped = QwtScaleMap::transform(xMap, yMap, bounds).normalized();
        return std::isfinite(mapped.left()) && std::isfinite(mapped.right()) && std::isfinite(mapped.top()) &&
               std::isfinite(mapped.bottom()) && canvasRect.contains(mapped);
    }
};

bool has_non_blank(const QString& text) {
    for (const QChar c : text)
        if (c != QLatin1Char(' ')) return true;
    return false;
}

}  // namespace

QColor Plot_Colour(const QVariant& value) { return QColor(QRgb(value.toUInt() & 0xFFFFFFu)); }

QVector<double> Plot_Values(const void* data, const QString& dataType, qint64 count, Plot_Precision precision) {
    QVector<double> values;
    const Value_Reader read = reader_for(dataType, precision);
    if (data == nullptr || read == nullptr || count <= 0) return values;
    values.reserve(static_cast<int>(count));
    for (qint64 i = 0; i < count; ++i) values.append(read(data, i));
    return values;
}

QVector<QPointF> Plot_Points(const void* data, const QString& dataType, int nrows, int ncols,
                             Plot_Precision precision) {
    QVector<QPointF> points;
    const Value_Reader read = reader_for(dataType, precision);
    if (data == nullptr || read == nullptr || nrows <= 0 || ncols < 2) return points;
    points.reserve(nrows);
    for (qint64 row = 0; row < nrows; ++row) {
        const qint64 first = row * ncols;
        points.append(QPointF(read(data, first), read(data, first + 1)));
    }
    return points;
}

QwtPlotCurve* Plot_New_Curve(const QVariantMap& series) {
    const QString label = series.value("curveLabel").toString();
    const QColor dotColour = Plot_Colour(series.value("dotColor"));
    const int dotSize = series.value("dotSize").toInt();
    const int symbolStyle = series.value("symbolStyle", int(QwtSymbol::NoSymbol)).toInt();
    const int fitted = series.value("fittedCurve").toInt();

    auto* curve = new Plot_Curve();
    curve->setPen(Plot_Colour(series.value("curveColor")), series.value("curveLineWidth").toInt(), Qt::SolidLine);
    curve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    if (fitted != 0) curve->setCurveAttribute(static_cast<QwtPlotCurve::CurveAttribute>(fitted));
    if (has_non_blank(label)) {
        curve->setTitle(label);
        curve->setItemAttribute(QwtPlotItem::Legend, true);
    } else {
        curve->setItemAttribute(QwtPlotItem::Legend, false);
    }
    const QPen dotPen(QBrush(dotColour), Dot_Outline_Width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    curve->setSymbol(new QwtSymbol(static_cast<QwtSymbol::Style>(symbolStyle), QBrush(dotColour, Qt::SolidPattern),
                                   dotPen, QSize(dotSize, dotSize)));
    return curve;
}
