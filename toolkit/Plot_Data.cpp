#include "Plot_Data.h"

#include <QBrush>
#include <QPen>
#include <QSize>
#include <qwt_plot_curve.h>
#include <qwt_symbol.h>
#include <type_traits>

#include "Significant_Digits.h"

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

    auto* curve = new QwtPlotCurve();
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
