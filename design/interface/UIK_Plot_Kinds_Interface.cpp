// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Plot_Kinds_Interface.h"

#include <charconv>
#include <string>
#include <utility>

namespace {

std::vector<std::string> decimal_list(const std::vector<double>& values) {
    std::vector<std::string> list;
    list.reserve(values.size());
    for (double v : values) list.push_back(UIK_Number_Text(v));
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
    UIK_Request r = UIK_Request_For(UIK_Op::createPolarPlot, plot.unit);
    UIK_Put(r, "windowTitle", plot.windowTitle.trimmed());
    UIK_Put(r, "chartBackgroundColor", plot.chartBackgroundColor);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writePolarPlot(int plot_unit, const void* data, const std::string& data_type, int nrows, int ncols,
                       const UIK_PolarSeries_Record& series) {
    UIK_Request r = UIK_Block_Request(UIK_Op::writePolarPlot, plot_unit, data, data_type, nrows, ncols);
    UIK_Put_Curve_Style(r, series);
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_clearPolarPlot(UIK_PolarPlot_Record& plot) {
    UIK_Request r = UIK_Request_For(UIK_Op::clearPolarPlot, plot.unit);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_createContourPlot(UIK_ContourPlot_Record& plot) {
    plot.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createContourPlot, plot.unit);
    UIK_Put(r, "windowTitle", plot.windowTitle.trimmed());
    UIK_Put(r, "showHgridLines", plot.showHgridLines);
    UIK_Put(r, "showVgridLines", plot.showVgridLines);
    UIK_Put(r, "showImageBlend", plot.showImageBlend);
    UIK_Put(r, "showContourLines", plot.showContourLines);
    UIK_Carry_Out(r);
    return 1;
}

int UIK_writeContourPlot(int plot_unit, const UIK_ContourData_Record& data, UIK_Contour_Callback callback) {
    UIK_Request r = UIK_Request_For(UIK_Op::writeContourPlot, plot_unit);
    UIK_Put(r, "rightAxisName", data.rightAxisName.trimmed());
    UIK_Put(r, "xmin", data.xmin);
    UIK_Put(r, "xmax", data.xmax);
    UIK_Put(r, "ymin", data.ymin);
    UIK_Put(r, "ymax", data.ymax);
    UIK_Put(r, "zmin", data.zmin);
    UIK_Put(r, "zmax", data.zmax);
    UIK_Put(r, "colorList", decimal_list(data.colorList));
    UIK_Put(r, "threshList", decimal_list(data.threshList));
    UIK_Put(r, "contourList", decimal_list(data.contourList));
    r.contourCallback = callback;
    // The window layer calls the routine while this waits.
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_clearContourPlot(UIK_ContourPlot_Record& plot) {
    UIK_Request r = UIK_Request_For(UIK_Op::clearContourPlot, plot.unit);
    UIK_Carry_Out(r);
    return 1;
}
