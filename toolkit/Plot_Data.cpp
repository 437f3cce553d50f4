// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_Data.h"

#include <QBrush>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <QPen>
#include <QSize>
#include <cmath>
#include <system_error>
#include <thread>
#include <qwt_clipper.h>
#include <qwt_painter.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>
#include <qwt_series_data.h>
#include <qwt_symbol.h>
#include <type_traits>

#include "Significant_Digits.h"

namespace {

constexpr int Significant_Digits = 6;  // reals are shown with six significant digits
constexpr int Dot_Outline_Width = 2;   // pen width of the point symbols
constexpr int Rows_Worth_Splitting = 65536;

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

// A curve that draws a long polyline into a raster (the screen, a saved
// image) as the eye sees it: within each device pixel column the line runs
// from the column's first point through its lowest and highest to its last,
// so only those four points a column are drawn, and a saved response of
// 786,433 points becomes a few thousand. Every draw reduces the full data
// anew for the scales of that draw, so zooming, panning, resizing and the
// navigator's tracker work on every point. A fitted curve, a filled one, and
// vector output (PDF, printers) are drawn point by point as QwtPlotCurve
// draws them.
class Plot_Curve : public QwtPlotCurve {
protected:
    void drawLines(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& canvasRect,
                   int from, int to) const override {
        QPolygonF polyline;
        if (!reducible(painter, canvasRect, from, to) || !reduce(painter, xMap, yMap, from, to, polyline)) {
            QwtPlotCurve::drawLines(painter, xMap, yMap, canvasRect, from, to);
            return;
        }
        if (testPaintAttribute(ClipPolygons)) {
            // As QwtPlotCurve clips: to the canvas widened by the pen.
            const qreal pen = qMax(qreal(1.0), painter->pen().widthF());
            polyline = QwtClipper::clipPolygonF(canvasRect.adjusted(-pen, -pen, pen, pen), polyline, false);
        }
        QwtPainter::drawPolyline(painter, polyline);
    }

private:
    // Below this many points a column on average, reducing saves nothing.
    static constexpr int Points_Per_Column_Worth_Reducing = 4;
    // Device columns further out are left to QwtPlotCurve (a view zoomed
    // beyond any use).
    static constexpr double Farthest_Column = 1e15;
    // Mapping a point takes a few nanoseconds; a second thread costs some
    // tens of microseconds to start.
    static constexpr int Points_Worth_Two_Threads = 100000;

    bool reducible(QPainter* painter, const QRectF& canvasRect, int from, int to) const {
        if (testCurveAttribute(Fitted) || brush().style() != Qt::NoBrush) return false;
        if (painter->paintEngine() == nullptr || painter->paintEngine()->type() != QPaintEngine::Raster) return false;
        const QTransform device = painter->deviceTransform();
        if (device.type() > QTransform::TxScale) return false;  // columns are device columns
        const double columns = std::fabs(device.m11()) * canvasRect.width();
        return to - from + 1 > Points_Per_Column_Worth_Reducing * columns;
    }

    // The reduced polyline in paint coordinates, rounded as QwtPlotCurve
    // rounds its points where the painter aligns them; false when a point
    // does not map to a finite position.
    bool reduce(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap, int from, int to,
                QPolygonF& polyline) const {
        const QTransform device = painter->deviceTransform();
        const Device_Columns columns{device.m11(), device.dx(), QwtPainter::roundingAlignment(painter)};
        const auto* array = dynamic_cast<const QwtPointSeriesData*>(data());
        if (array == nullptr) {
            const QwtSeriesData<QPointF>& points = *data();
            return reduce(columns, xMap, yMap, from, to, polyline,
                          [&](int i) { return points.sample(static_cast<size_t>(i)); });
        }
        // The points of setSamples are read from their array, a long curve
        // in two halves on two cores; the halves' polylines joined draw as
        // the whole's does.
        const QVector<QPointF> samples = array->samples();
        const auto at = [&](int i) { return samples[i]; };
        if (to - from < Points_Worth_Two_Threads || std::thread::hardware_concurrency() < 2)
            return reduce(columns, xMap, yMap, from, to, polyline, at);
        const int middle = from + (to - from) / 2;
        QPolygonF second;
        bool secondDone = false;
        std::thread worker;
        try {
            worker = std::thread([&] { secondDone = reduce(columns, xMap, yMap, middle + 1, to, second, at); });
        } catch (const std::system_error&) {
            return reduce(columns, xMap, yMap, from, to, polyline, at);  // no thread to be had
        }
        const bool firstDone = reduce(columns, xMap, yMap, from, middle, polyline, at);
        worker.join();
        polyline += second;
        return firstDone && secondDone;
    }

    struct Device_Columns {
        double scale, shift;  // device x = scale * paint x + shift
        bool align;           // paint coordinates rounded to whole pixels
    };

    template <class Sample>
    bool reduce(const Device_Columns& device, const QwtScaleMap& xMap, const QwtScaleMap& yMap, int from, int to,
                QPolygonF& polyline, const Sample& sample) const {
        struct Column {
            QPointF first, low, high, last;
            int lowAt = 0, highAt = 0;
        } column;
        long long columnIndex = 0;
        bool open = false;
        const auto close = [&] {
            polyline += column.first;
            const bool lowFirst = column.lowAt <= column.highAt;
            const QPointF& a = lowFirst ? column.low : column.high;
            const QPointF& b = lowFirst ? column.high : column.low;
            if (a != column.first) polyline += a;
            if (b != a) polyline += b;
            if (column.last != b) polyline += column.last;
        };
        for (int i = from; i <= to; ++i) {
            const QPointF s = sample(i);
            double x = xMap.transform(s.x()), y = yMap.transform(s.y());
            if (!std::isfinite(x) || !std::isfinite(y)) return false;
            if (device.align) x = qRound(x), y = qRound(y);
            const double at = device.scale * x + device.shift;
            if (!(std::fabs(at) < Farthest_Column)) return false;
            long long index = static_cast<long long>(at);  // the floor, without a call
            if (at < index) --index;
            const QPointF point(x, y);
            if (!open || index != columnIndex) {
                if (open) close();
                column = Column{point, point, point, point, i, i};
                columnIndex = index;
                open = true;
                continue;
            }
            column.last = point;
            if (y < column.low.y()) column.low = point, column.lowAt = i;
            if (y > column.high.y()) column.high = point, column.highAt = i;
        }
        if (open) close();
        return true;
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
    points.resize(nrows);
    QPointF* out = points.data();
    const auto read_rows = [=](qint64 begin, qint64 end) {
        for (qint64 row = begin; row < end; ++row) {
            const qint64 first = row * ncols;
            out[row] = QPointF(read(data, first), read(data, first + 1));
        }
    };
    // A long block is read on two cores: a six-digit value takes some tens
    // of nanoseconds, a response curve has up to 786,433 rows.
    if (nrows < Rows_Worth_Splitting || std::thread::hardware_concurrency() < 2) {
        read_rows(0, nrows);
        return points;
    }
    std::thread second;
    try {
        second = std::thread(read_rows, nrows / 2, nrows);
    } catch (const std::system_error&) {
        read_rows(nrows / 2, nrows);  // no thread to be had: all on this one
    }
    read_rows(0, nrows / 2);
    if (second.joinable()) second.join();
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
    const int style = series.value("curveStyle", int(QwtPlotCurve::Lines)).toInt();
    if (style >= QwtPlotCurve::NoCurve && style <= QwtPlotCurve::Steps)
        curve->setStyle(static_cast<QwtPlotCurve::CurveStyle>(style));
    // A curve the user may hide is a backdrop to the others.
    if (has_non_blank(series.value("hideItem").toString())) curve->setZ(curve->z() - 1.0);
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
