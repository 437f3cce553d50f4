// SPDX-License-Identifier: GPL-3.0-or-later
// The call interface of bar charts and pie charts.
//
// A bar chart shows groups of bars: each row of a written block is one group,
// its values the heights of the bars of the group, in the colours of the
// legend. A pie chart shows one slice per written value, named and coloured
// in the order of its records' lists.
//
// Colour lists travel in the property map as string lists: each colour of the
// record (0xRRGGBB, the top byte ignored) becomes "#rrggbb", six lower-case
// hexadecimal digits, which the window layer reads as a colour name. An empty
// list leaves the window layer's default colours in place.
#pragma once

#include <string>
#include <vector>

#include "UIK_Call_Interface.h"

struct UIK_Barchart_Record {
    int unit = 0;
    UIK_Text windowTitle;
    UIK_Text xAxisName;
    UIK_Text yAxisName;
    unsigned chartBackgroundColor = 0xFFFFFF;
    std::vector<UIK_Text> legendNames;   // one per bar of a group
    std::vector<unsigned> legendColors;  // one per bar of a group; empty: the default colours
};

struct UIK_PieChart_Record {
    int unit = 0;
    UIK_Text windowTitle;
    unsigned chartBackgroundColor = 0xFFFFFF;
    unsigned textColor = 0x000000;
    std::vector<UIK_Text> names;   // one per slice
    std::vector<unsigned> colors;  // one per slice; empty: the default colours
};

// "#rrggbb" of a colour 0xRRGGBB (the top byte ignored).
std::string UIK_Colour_Name(unsigned colour);

// Bar chart: the create call takes a new unit.
int UIK_createBarchart(UIK_Barchart_Record& chart);
// nrows groups of ncols bars; data holds nrows rows of ncols values of
// `data_type`. Replaces what the chart showed. Waits until the window layer
// has read the data.
int UIK_writeBarchart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols);

// Pie chart: the create call takes a new unit.
int UIK_createPieChart(UIK_PieChart_Record& chart);
// One slice per value of the nrows x ncols block, in order (row after row).
// Replaces what the chart showed. Waits until the window layer has read the
// data.
int UIK_writePieChart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols);
