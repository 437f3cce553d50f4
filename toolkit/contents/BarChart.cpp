// SPDX-License-Identifier: GPL-3.0-or-later
#include "BarChart.h"

#include "Plot_Data.h"
#include "Plot_Export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <QSizeF>
#include <qwt_column_symbol.h>
#include <qwt_legend.h>
#include <qwt_plot_multi_barchart.h>
#include <qwt_scale_draw.h>
#include <qwt_text.h>

namespace {
constexpr double Group_Width = 0.7;       // of the distance between two groups
constexpr int Most_Labelled_Groups = 20;  // beyond this the axis chooses its own ticks
const char* const Default_Export_Name = "barchart.png";

// Groups sit at 0, 1, 2, ... on the bottom axis; the user counts them from 1.
class GroupScaleDraw : public QwtScaleDraw {
public:
    QwtText label(double value) const override { return QString::number(qRound(value) + 1); }
};
}  // namespace

// ---- Shared with the pie chart ----

QList<QColor> ChartData::colourList(const QVariant& value) {
    QList<QColor> colours;
    for (const QString& item : value.toStringList()) {
        const QString name = item.trimmed();
        bool isNumber = false;
        const uint number = name.toUInt(&isNumber);
        colours.append(isNumber ? QColor(QRgb(number & 0xFFFFFFu)) : QColor(name));
    }
    return colours;
}

QList<QColor> ChartData::namedColours(const QStringList& names) {
    QList<QColor> colours;
    for (QString name : names) colours.append(QColor(name.remove(QLatin1Char(' '))));
    return colours;
}

// ---- Bar chart ----

const QStringList BarChart::Default_Colour_Names = {QStringLiteral("crimson"), QStringLiteral("steel blue"),
                                                    QStringLiteral("lime green"), QStringLiteral("dark orange"),
                                                    QStringLiteral("medium orchid")};

BarChart::BarChart(int unit, const QVariantMap& properties, QWidget* parent)
    : Plot_Content(unit, properties, Default_Export_Name, parent) {
    setObjectName(QStringLiteral("barChart"));

    setTitle(properties.value("windowTitle").toString());
    setCanvasBackground(Plot_Colour(properties.value("chartBackgroundColor", 0xFFFFFFu)));
    setAxisTitle(QwtPlot::xBottom, properties.value("xAxisName").toString());
    setAxisTitle(QwtPlot::yLeft, properties.value("yAxisName").toString());
    setAxisScaleDraw(QwtPlot::xBottom, new GroupScaleDraw());
    setAxisMaxMinor(QwtPlot::xBottom, 0);

    auto* legend = new QwtLegend();
    legend->setObjectName(QStringLiteral("barChartLegend"));
    insertLegend(legend, QwtPlot::RightLegend);

    legendColours = ChartData::colourList(properties.value("legendColors"));
    createBars(properties.value("legendNames").toStringList());
    updateGroupAxis(0);
    replot();
}

// One symbol per bar of a group, in the bar's colour; the legend names the
// bars.
void BarChart::createBars(const QStringList& legendNames) {
    bars = new QwtPlotMultiBarChart();
    bars->setStyle(QwtPlotMultiBarChart::Grouped);
    bars->setLayoutPolicy(QwtPlotMultiBarChart::ScaleSamplesToAxes);
    bars->setLayoutHint(Group_Width);
    bars->setItemAttribute(QwtPlotItem::Legend, true);
    // The group axis leaves room around the groups itself: no canvas margins.
    bars->setItemAttribute(QwtPlotItem::Margins, false);

    QList<QwtText> titles;
    for (const QString& name : legendNames) titles.append(QwtText(name));
    bars->setBarTitles(titles);

    const int coloured = qMax(legendColours.size(), Default_Colour_Names.size());
    for (int bar = 0; bar < coloured; ++bar) {
        const QColor colour = barColour(bar);
        if (!colour.isValid()) continue;
        auto* symbol = new QwtColumnSymbol(QwtColumnSymbol::Box);
        symbol->setLineWidth(1);
        symbol->setFrameStyle(QwtColumnSymbol::Plain);
        symbol->setPalette(QPalette(colour));
        bars->setSymbol(bar, symbol);
    }
    bars->attach(this);
}

QColor BarChart::barColour(int bar) const {
    if (bar < 0) return QColor();
    if (bar < legendColours.size() && legendColours[bar].isValid()) return legendColours[bar];
    static const QList<QColor> defaults = ChartData::namedColours(Default_Colour_Names);
    return bar < defaults.size() ? defaults[bar] : QColor();
}

void BarChart::writeGroups(const void* data, const QString& dataType, int nrows, int ncols) {
    QVector<QVector<double>> groups;
    if (nrows > 0 && ncols > 0) {
        const QVector<double> heights = Plot_Values(data, dataType, qint64(nrows) * ncols, Plot_Precision::Six_Digits);
        if (!heights.isEmpty()) {
            groups.reserve(nrows);
            for (int row = 0; row < nrows; ++row) groups.append(heights.mid(row * ncols, ncols));
        }
    }
    bars->setSamples(groups);
    updateGroupAxis(groups.size());
    replot();
}

// Half a group's distance of room on either side; one labelled tick per
// group while they fit.
void BarChart::updateGroupAxis(int groups) {
    if (groups <= 0) {
        setAxisScale(QwtPlot::xBottom, -0.5, 0.5, 1.0);
        return;
    }
    setAxisScale(QwtPlot::xBottom, -0.5, groups - 0.5, groups <= Most_Labelled_Groups ? 1.0 : 0.0);
}
