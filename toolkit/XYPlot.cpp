#include "XYPlot.h"

#include "Plot_Export.h"

#include <QBrush>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPen>
#include <QPointF>
#include <QSizeF>
#include <QVector>
#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_engine.h>
#include <qwt_symbol.h>
#include <type_traits>

namespace {
constexpr int Margin = 15;                   // pixels around the plot
constexpr double Not_Given = -1.0;           // scale bound or step left to the axis
constexpr int Logarithmic_Scale = 1;         // "xScaleType" / "yScaleType"
constexpr int Significant_Digits = 6;        // reals are plotted with six significant digits
constexpr int Dot_Outline_Width = 2;         // pen width of the point symbols
const char* const Default_Export_Name = "xyplot.png";

// 0xRRGGBB; the top byte carries nothing.
QColor colourFrom(const QVariant& value) { return QColor(QRgb(value.toUInt() & 0xFFFFFFu)); }

// Every value goes through its text form, as the plot shows it: integers in
// decimal, reals in the general format with six significant digits.
template <class T>
double throughText(const void* data, qint64 index) {
    const T value = static_cast<const T*>(data)[index];
    if constexpr (std::is_integral_v<T>)
        return QString::number(static_cast<qlonglong>(value)).toDouble();
    else
        return QString::number(static_cast<double>(value), 'g', Significant_Digits).toDouble();
}

using ValueReader = double (*)(const void*, qint64);

// The reader of a data-type name; nullptr for a type the plot cannot read.
ValueReader readerFor(const QString& dataType) {
    const QString type = dataType.trimmed();
    if (type == QLatin1String("INTEGER*4")) return &throughText<qint32>;
    if (type == QLatin1String("INTEGER*8")) return &throughText<qint64>;
    if (type == QLatin1String("REAL*4")) return &throughText<float>;
    if (type == QLatin1String("REAL*8")) return &throughText<double>;
    if (type == QLatin1String("REAL*16")) return &throughText<long double>;
    return nullptr;
}

// Row r of the block is the point (first value, second value); further
// columns are ignored. A block without two columns, or of an unknown type,
// has no points (reading it would run past its end or misread it).
QVector<QPointF> readPoints(const void* data, const QString& dataType, int nrows, int ncols) {
    QVector<QPointF> points;
    const ValueReader read = readerFor(dataType);
    if (data == nullptr || read == nullptr || nrows <= 0 || ncols < 2) return points;
    points.reserve(nrows);
    for (qint64 row = 0; row < nrows; ++row) {
        const qint64 first = row * ncols;
        points.append(QPointF(read(data, first), read(data, first + 1)));
    }
    return points;
}

bool hasNonBlank(const QString& text) {
    for (const QChar c : text)
        if (c != QLatin1Char(' ')) return true;
    return false;
}
}  // namespace

XYPlot::XYPlot(int unit, const QVariantMap& properties, QWidget* parent)
    : QwtPlot(parent), UIK_ContentController(unit, properties.value("windowTitle").toString()) {
    setAutoReplot(false);
    setAutoFillBackground(true);
    setContentsMargins(Margin, Margin, Margin, Margin);
    setPalette(QPalette(QColor(Qt::white)));
    setCanvasBackground(QColor(Qt::white));

    insertLegend(new QwtLegend(), QwtPlot::RightLegend);

    grid = new QwtPlotGrid();
    grid->setMajorPen(QColor(Qt::gray), 0, Qt::DotLine);
    grid->attach(this);

    applyProperties(properties);
    replot();
}

void XYPlot::applyProperties(const QVariantMap& properties) {
    setTitle(properties.value("windowTitle").toString());
    if (properties.contains("chartBackgroundColor"))
        setCanvasBackground(colourFrom(properties.value("chartBackgroundColor")));
    applyAxisScale(QwtPlot::xBottom, properties, QStringLiteral("x"));
    applyAxisScale(QwtPlot::yLeft, properties, QStringLiteral("y"));
    if (properties.value("xScaleType").toInt() == Logarithmic_Scale)
        setAxisScaleEngine(QwtPlot::xBottom, new QwtLogScaleEngine());
    if (properties.value("yScaleType").toInt() == Logarithmic_Scale)
        setAxisScaleEngine(QwtPlot::yLeft, new QwtLogScaleEngine());
    setAxisTitle(QwtPlot::xBottom, properties.value("xAxisName").toString());
    setAxisTitle(QwtPlot::yLeft, properties.value("yAxisName").toString());
    grid->enableY(properties.value("showHgridLines").toInt() != 0);  // horizontal lines at the left-axis ticks
    grid->enableX(properties.value("showVgridLines").toInt() != 0);  // vertical lines at the bottom-axis ticks
}

// A fixed scale only when both bounds are given; a step that is not given
// lets the axis choose its ticks.
void XYPlot::applyAxisScale(int axis, const QVariantMap& properties, const QString& prefix) {
    const double lower = properties.value(prefix + "ScaleLB", Not_Given).toDouble();
    const double upper = properties.value(prefix + "ScaleUB", Not_Given).toDouble();
    const double step = properties.value(prefix + "ScaleStep", Not_Given).toDouble();
    if (lower == Not_Given || upper == Not_Given) return;
    setAxisScale(axis, lower, upper, step == Not_Given ? 0.0 : step);
}

void XYPlot::writeCurve(const void* data, const QString& dataType, int nrows, int ncols, const QVariantMap& series) {
    const QVector<QPointF> points = readPoints(data, dataType, nrows, ncols);

    const QString label = series.value("curveLabel").toString();
    const QColor lineColour = colourFrom(series.value("curveColor"));
    const int lineWidth = series.value("curveLineWidth").toInt();
    const QColor dotColour = colourFrom(series.value("dotColor"));
    const int dotSize = series.value("dotSize").toInt();
    const int symbolStyle = series.value("symbolStyle", int(QwtSymbol::NoSymbol)).toInt();
    const int fitted = series.value("fittedCurve").toInt();

    auto* curve = new QwtPlotCurve();
    curve->setPen(lineColour, lineWidth, Qt::SolidLine);
    curve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    if (fitted != 0) curve->setCurveAttribute(static_cast<QwtPlotCurve::CurveAttribute>(fitted));

    if (hasNonBlank(label)) {
        curve->setTitle(label);
        curve->setItemAttribute(QwtPlotItem::Legend, true);
    } else {
        curve->setItemAttribute(QwtPlotItem::Legend, false);
    }

    const QPen dotPen(QBrush(dotColour), Dot_Outline_Width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    curve->setSymbol(new QwtSymbol(static_cast<QwtSymbol::Style>(symbolStyle), QBrush(dotColour, Qt::SolidPattern),
                                   dotPen, QSize(dotSize, dotSize)));

    curve->attach(this);
    curve->setSamples(points);
    curves.append(curve);
    replot();
}

void XYPlot::clearCurves() {
    qDeleteAll(curves);  // a deleted item detaches itself from the plot
    curves.clear();
    replot();
}

QString XYPlot::exportFileName(const QString& fileName) {
    return Plot_Export_File_Name(fileName, Default_Export_Name);
}

bool XYPlot::exportChart(const QString& fileName) { return Plot_Export(this, fileName, Default_Export_Name); }

bool XYPlot::exportChart() {
    return Plot_Export_Interactive(this, UIK_ContentController::title, Default_Export_Name);
}

void XYPlot::save(const QString& fileName) { exportChart(fileName); }

bool XYPlot::saveAs() { return exportChart(); }

void XYPlot::print() { Plot_Print(this); }

void XYPlot::setContentFont(const QFont& font) { setFont(font); }

QFont XYPlot::contentFont() const { return font(); }
