// SPDX-License-Identifier: GPL-3.0-or-later
#include "XYPlot.h"

#include "Plot_Data.h"
#include "Plot_Export.h"
#include "Plot_Navigator.h"
#include "Work_Aside.h"

#include <QAction>
#include <QBrush>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPen>
#include <QPointer>
#include <QPointF>
#include <QResizeEvent>
#include <QSizeF>
#include <QVector>
#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_layout.h>
#include <qwt_scale_engine.h>
#include <qwt_symbol.h>
#include <type_traits>

namespace {
constexpr double Not_Given = -1.0;    // scale bound or step left to the axis
constexpr int Logarithmic_Scale = 1;  // "xScaleType" / "yScaleType"
const char* const Default_Export_Name = "xyplot.png";

}  // namespace

XYPlot::XYPlot(int unit, const QVariantMap& properties, QWidget* parent)
    : Plot_Content(unit, properties, Default_Export_Name, parent) {
    setCanvasBackground(QColor(Qt::white));

    insertLegend(new QwtLegend(), QwtPlot::RightLegend);

    grid = new QwtPlotGrid();
    grid->setMajorPen(QColor(Qt::gray), 0, Qt::DotLine);
    grid->attach(this);

    applyProperties(properties);
    replot();

    navigator = attachNavigator();
}

QSize XYPlot::minimumSizeHint() const {
    QSize hint = QwtPlot::minimumSizeHint();
    if (legend() != nullptr) hint.rwidth() -= legend()->sizeHint().width() + plotLayout()->spacing();
    return hint;
}

void XYPlot::resizeEvent(QResizeEvent* event) {
    fitLegend(event->size().width());
    QwtPlot::resizeEvent(event);
}

void XYPlot::fitLegend(int width) {
    if (legend() != nullptr) legendWidth_ = legend()->sizeHint().width() + plotLayout()->spacing();
    const bool room = width >= minimumSizeHint().width() + legendWidth_;
    if (room && legend() == nullptr) {
        insertLegend(new QwtLegend(), QwtPlot::RightLegend);
        updateLegend();
    } else if (!room && legend() != nullptr) {
        insertLegend(nullptr);
    }
}

void XYPlot::applyProperties(const QVariantMap& properties) {
    setTitle(properties.value("windowTitle").toString());
    if (properties.contains("chartBackgroundColor"))
        setCanvasBackground(Plot_Colour(properties.value("chartBackgroundColor")));
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

void XYPlot::writeCurve(const void* data, const QString& dataType, int nrows, int ncols, const QVariantMap& series,
                        const std::function<void()>& release) {
    // Some tens of milliseconds for the longest response curves.
    constexpr int Rows_Read_Aside = 100000;
    QVector<QPointF> points;
    const auto read = [&] { points = curvePoints(data, dataType, nrows, ncols); };
    const QPointer<XYPlot> self(this);  // the GUI goes on while a long block is read
    if (nrows > Rows_Read_Aside)
        Run_Aside(read);
    else
        read();
    if (release) release();
    if (self) addCurve(points, series);
}

QVector<QPointF> XYPlot::curvePoints(const void* data, const QString& dataType, int nrows, int ncols) {
    // Coordinates carry six significant digits, as the plot shows them.
    return Plot_Points(data, dataType, nrows, ncols, Plot_Precision::Six_Digits);
}

void XYPlot::addCurve(const QVector<QPointF>& points, const QVariantMap& series) {
    QwtPlotCurve* curve = Plot_New_Curve(series);
    curve->attach(this);
    curve->setSamples(points);
    curves.append(curve);
    const QString hideText = series.value("hideItem").toString().trimmed();
    if (!hideText.isEmpty()) {
        auto* hide = new QAction(hideText, this);
        hide->setObjectName(QStringLiteral("hideCurveAction"));
        hide->setCheckable(true);
        connect(hide, &QAction::toggled, this, [this, curve](bool hidden) {
            curve->setVisible(!hidden);
            replot();
        });
        navigator->addContextAction(hide);
        hideActions.append(hide);
    }
    replot();
    navigator->showNewData();
}

void XYPlot::clearCurves() {
    qDeleteAll(hideActions);
    hideActions.clear();
    qDeleteAll(curves);  // a deleted item detaches itself from the plot
    curves.clear();
    replot();
    navigator->showNewData();
}

bool XYPlot::exportChart(const QString& fileName, QString* failure) {
    return navigator->withFullView([this, &fileName, failure] { return exportView(fileName, failure); });
}
