// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Chart_Interface.h"

#include <cstdio>

namespace {

std::vector<std::string> colour_names(const std::vector<unsigned>& colours) {
    std::vector<std::string> list;
    list.reserve(colours.size());
    for (unsigned colour : colours) list.push_back(UIK_Colour_Name(colour));
    return list;
}

// A write of a data block that the window layer reads while the caller waits.
int write_block(UIK_Op op, int unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    UIK_Request r = UIK_Block_Request(op, unit, data, data_type, nrows, ncols);
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

}  // namespace

std::string UIK_Colour_Name(unsigned colour) {
    char name[8];
    std::snprintf(name, sizeof name, "#%06x", colour & 0xFFFFFFu);
    return name;
}

int UIK_createBarchart(UIK_Barchart_Record& chart) {
    chart.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createBarchart, chart.unit);
    UIK_Put(r, "windowTitle", chart.windowTitle.trimmed());
    UIK_Put(r, "xAxisName", chart.xAxisName.trimmed());
    UIK_Put(r, "yAxisName", chart.yAxisName.trimmed());
    UIK_Put(r, "chartBackgroundColor", chart.chartBackgroundColor);
    UIK_Put(r, "legendNames", UIK_Trimmed_Items(chart.legendNames));
    UIK_Put(r, "legendColors", colour_names(chart.legendColors));
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writeBarchart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    return write_block(UIK_Op::writeBarchart, chart_unit, data, data_type, nrows, ncols);
}

int UIK_createPieChart(UIK_PieChart_Record& chart) {
    chart.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createPieChart, chart.unit);
    UIK_Put(r, "windowTitle", chart.windowTitle.trimmed());
    UIK_Put(r, "chartBackgroundColor", chart.chartBackgroundColor);
    UIK_Put(r, "textColor", chart.textColor);
    UIK_Put(r, "names", UIK_Trimmed_Items(chart.names));
    UIK_Put(r, "colors", colour_names(chart.colors));
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writePieChart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    return write_block(UIK_Op::writePieChart, chart_unit, data, data_type, nrows, ncols);
}
