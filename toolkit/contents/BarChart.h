// SPDX-License-Identifier: GPL-3.0-or-later
// A bar chart window on QwtPlot: a title, two axis titles, a legend on the
// right naming the bars of a group, and one QwtPlotMultiBarChart that draws
// every written row as a group of bars side by side. Exports itself like an
// XY plot (image or PDF).
//
// Also the reading of data blocks and colours shared with the pie chart.
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

#include "Plot_Content.h"

class QwtPlotMultiBarChart;

namespace ChartData {
// A colour list as the call interface sends it: colour names, normally
// "#rrggbb"; a decimal number is read as 0xRRGGBB. An item that is neither
// gives an invalid colour, so its place keeps the default colour.
QList<QColor> colourList(const QVariant& value);
// Colours of the platform's colour database by their written names
// ("steel blue"): the blanks are dropped to find them ("steelblue").
QList<QColor> namedColours(const QStringList& names);
}  // namespace ChartData

class BarChart : public Plot_Content {
    Q_OBJECT
public:
    // The colours of the bars of a group when the chart is given none.
    static const QStringList Default_Colour_Names;

    // Builds the chart from the property map ("windowTitle", "xAxisName",
    // "yAxisName", "chartBackgroundColor", "legendNames", "legendColors").
    BarChart(int unit, const QVariantMap& properties, QWidget* parent = nullptr);

    // Shows a block of nrows x ncols values stored row after row: row r is
    // group r, its values the heights of its bars. Replaces the groups shown
    // before and redraws once.
    void writeGroups(const void* data, const QString& dataType, int nrows, int ncols);

    // The colour of bar `bar` of every group (invalid: Qwt's plain bar).
    QColor barColour(int bar) const;

    QwtPlotMultiBarChart* bars = nullptr;  // the groups of bars
    QList<QColor> legendColours;           // as given; empty: the default colours

private:
    void createBars(const QStringList& legendNames);
    void updateGroupAxis(int groups);
};
