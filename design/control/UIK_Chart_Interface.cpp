#include "UIK_Chart_Interface.h"

#include <cstdio>

namespace {

UIK_Request request_for(const char* signal, int unit) {
    UIK_Request r;
    r.signal = signal;
    r.unit = unit;
    return r;
}

void put(UIK_Request& r, const char* key, UIK_Value value) { r.properties.emplace_back(key, std::move(value)); }

std::vector<std::string> trimmed_items(const std::vector<UIK_Text>& items) {
    std::vector<std::string> list;
    list.reserve(items.size());
    for (const auto& item : items) list.push_back(item.trimmed());
    return list;
}

std::vector<std::string> colour_names(const std::vector<unsigned>& colours) {
    std::vector<std::string> list;
    list.reserve(colours.size());
    for (unsigned colour : colours) list.push_back(UIK_Colour_Name(colour));
    return list;
}

// A write of a data block that the window layer reads while the caller waits.
int write_block(const char* signal, int unit, const void* data, const std::string& data_type, int nrows,
                int ncols) {
    UIK_Request r = request_for(signal, unit);
    r.data = data;
    r.dataType = UIK_Trim_Trailing(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
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
    UIK_Request r = request_for("createBarchart", chart.unit);
    put(r, "windowTitle", chart.windowTitle.trimmed());
    put(r, "xAxisName", chart.xAxisName.trimmed());
    put(r, "yAxisName", chart.yAxisName.trimmed());
    put(r, "chartBackgroundColor", chart.chartBackgroundColor);
    put(r, "legendNames", trimmed_items(chart.legendNames));
    put(r, "legendColors", colour_names(chart.legendColors));
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writeBarchart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    return write_block("writeBarchart", chart_unit, data, data_type, nrows, ncols);
}

int UIK_createPieChart(UIK_PieChart_Record& chart) {
    chart.unit = UIK_Next_Unit_Number();
    UIK_Request r = request_for("createPieChart", chart.unit);
    put(r, "windowTitle", chart.windowTitle.trimmed());
    put(r, "chartBackgroundColor", chart.chartBackgroundColor);
    put(r, "textColor", chart.textColor);
    put(r, "names", trimmed_items(chart.names));
    put(r, "colors", colour_names(chart.colors));
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writePieChart(int chart_unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    return write_block("writePieChart", chart_unit, data, data_type, nrows, ncols);
}
