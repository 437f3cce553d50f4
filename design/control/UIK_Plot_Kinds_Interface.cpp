#include "UIK_Plot_Kinds_Interface.h"

#include <charconv>
#include <string>
#include <utility>

namespace {

UIK_Request request_for(const char* signal, int unit) {
    UIK_Request r;
    r.signal = signal;
    r.unit = unit;
    return r;
}

void put(UIK_Request& r, const char* key, UIK_Value value) { r.properties.emplace_back(key, std::move(value)); }

// A real as the shortest decimal text that reads back as the same double,
// with a decimal point whatever the process's locale.
std::string decimal(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::vector<std::string> decimal_list(const std::vector<double>& values) {
    std::vector<std::string> list;
    list.reserve(values.size());
    for (double v : values) list.push_back(decimal(v));
    return list;
}

std::vector<std::string> decimal_list(const std::vector<unsigned>& values) {
    std::vector<std::string> list;
    list.reserve(values.size());
    for (unsigned v : values) list.push_back(std::to_string(v));
    return list;
}

}  // namespace

int UIK_createPolarPlot(UIK_PolarPlot_Record& plot) {
    plot.unit = UIK_Next_Unit_Number();
    UIK_Request r = request_for("createPolarPlot", plot.unit);
    put(r, "windowTitle", plot.windowTitle.trimmed());
    put(r, "chartBackgroundColor", plot.chartBackgroundColor);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writePolarPlot(int plot_unit, const void* data, const std::string& data_type, int nrows, int ncols,
                       const UIK_PolarSeries_Record& series) {
    UIK_Request r = request_for("writePolarPlot", plot_unit);
    r.data = data;
    r.dataType = UIK_Trim_Trailing(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
    put(r, "curveLabel", series.curveLabel.trimmed());
    put(r, "curveColor", series.curveColor);
    put(r, "dotColor", series.dotColor);
    put(r, "symbolStyle", series.symbolStyle);
    put(r, "curveLineWidth", series.curveLineWidth);
    put(r, "dotSize", series.dotSize);
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_clearPolarPlot(UIK_PolarPlot_Record& plot) {
    UIK_Request r = request_for("clearPolarPlot", plot.unit);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_createContourPlot(UIK_ContourPlot_Record& plot) {
    plot.unit = UIK_Next_Unit_Number();
    UIK_Request r = request_for("createContourPlot", plot.unit);
    put(r, "windowTitle", plot.windowTitle.trimmed());
    put(r, "showHgridLines", plot.showHgridLines);
    put(r, "showVgridLines", plot.showVgridLines);
    put(r, "showImageBlend", plot.showImageBlend);
    put(r, "showContourLines", plot.showContourLines);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writeContourPlot(int plot_unit, const UIK_ContourData_Record& data, UIK_Contour_Callback callback) {
    UIK_Request r = request_for("writeContourPlot", plot_unit);
    put(r, "rightAxisName", data.rightAxisName.trimmed());
    put(r, "xmin", data.xmin);
    put(r, "xmax", data.xmax);
    put(r, "ymin", data.ymin);
    put(r, "ymax", data.ymax);
    put(r, "zmin", data.zmin);
    put(r, "zmax", data.zmax);
    put(r, "colorList", decimal_list(data.colorList));
    put(r, "threshList", decimal_list(data.threshList));
    put(r, "contourList", decimal_list(data.contourList));
    r.contourCallback = callback;
    // The window layer calls the routine while this waits.
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_clearContourPlot(UIK_ContourPlot_Record& plot) {
    UIK_Request r = request_for("clearContourPlot", plot.unit);
    UIK_Carry_Out(r);
    return 1;
}
