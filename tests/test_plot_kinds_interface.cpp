// SPDX-License-Identifier: GPL-3.0-or-later
// The polar and contour plot operations of the call interface as the window
// layer receives them: units from the counter, keys in order, trimmed texts,
// number lists as decimal texts that read back exactly, the data routine,
// and which operations wait.
#include <cstdlib>
#include <string>

#include "UIK_Plot_Kinds_Interface.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

double surface(double& x, double& y) { return x * 10 + y; }

class PlotKindsInterface : public Call_Interface_Test {};

TEST_F(PlotKindsInterface, PolarPlotRequests) {
    UIK_Script script;
    UIK_PolarPlot_Record plot;
    plot.windowTitle.set("Antenna Pattern");
    UIK_PolarSeries_Record series;
    series.curveLabel.set("Gain");
    series.dotColor = 0x0000FF;
    const float data[] = {0.0f, 1.0f, 90.0f, 2.0f};

    EXPECT_EQ(UIK_createPolarPlot(plot), 1);
    EXPECT_EQ(plot.unit, 1000000);
    EXPECT_EQ(UIK_writePolarPlot(plot.unit, data, "REAL*4   ", 2, 2, series), 1);
    EXPECT_EQ(UIK_clearPolarPlot(plot), 1);

    ASSERT_EQ(script.requests.size(), 3u);
    const UIK_Request& create = script.requests[0];
    EXPECT_EQ(create.signal, "createPolarPlot");
    EXPECT_EQ(create.unit, 1000000);
    EXPECT_EQ(Property_Keys(create.properties), (std::vector<std::string>{"windowTitle", "chartBackgroundColor"}));
    EXPECT_EQ(Property<std::string>(create.properties, "windowTitle"), "Antenna Pattern");
    EXPECT_FALSE(create.waits);

    const UIK_Request& write = script.requests[1];
    EXPECT_EQ(write.signal, "writePolarPlot");
    EXPECT_EQ(write.unit, 1000000);
    EXPECT_EQ(write.dataType, "REAL*4");
    EXPECT_EQ(write.nrows, 2);
    EXPECT_EQ(write.ncols, 2);
    EXPECT_TRUE(write.waits);  // the window layer reads the block while the program waits
    EXPECT_EQ(Property_Keys(write.properties), (std::vector<std::string>{"curveLabel", "curveColor", "dotColor",
                                                                         "symbolStyle", "curveLineWidth", "dotSize"}));
    EXPECT_EQ(Property<std::string>(write.properties, "curveLabel"), "Gain");
    EXPECT_EQ(Property<unsigned>(write.properties, "dotColor"), 0x0000FFu);

    EXPECT_EQ(script.requests[2].signal, "clearPolarPlot");
    EXPECT_EQ(script.requests[2].unit, 1000000);
    EXPECT_FALSE(script.requests[2].waits);
}

TEST_F(PlotKindsInterface, ContourPlotRequests) {
    UIK_Script script;
    UIK_ContourPlot_Record plot;
    plot.windowTitle.set("   ");
    plot.showContourLines = 7;
    UIK_ContourData_Record data;
    data.rightAxisName.set("Height (m)");
    data.ymax = 1.0 / 3.0;
    data.colorList = {0x0000FF, 0xFF0000, 0xFFFFFFFF};
    data.threshList = {0.1, 1.0 / 3.0, -2.5e-7};

    UIK_XYPlot_Record other;
    UIK_createXYPlot(other);
    EXPECT_EQ(UIK_createContourPlot(plot), 1);
    EXPECT_EQ(plot.unit, other.unit + 1);
    EXPECT_EQ(UIK_writeContourPlot(plot.unit, data, &surface), 1);
    EXPECT_EQ(UIK_clearContourPlot(plot), 1);

    ASSERT_EQ(script.requests.size(), 4u);
    const UIK_Request& create = script.requests[1];
    EXPECT_EQ(create.signal, "createContourPlot");
    EXPECT_EQ(Property_Keys(create.properties),
              (std::vector<std::string>{"windowTitle", "showHgridLines", "showVgridLines", "showImageBlend",
                                        "showContourLines"}));
    EXPECT_EQ(Property<std::string>(create.properties, "windowTitle"), "");
    EXPECT_EQ(Property<int>(create.properties, "showContourLines"), 7);

    const UIK_Request& write = script.requests[2];
    EXPECT_EQ(write.signal, "writeContourPlot");
    EXPECT_EQ(write.unit, plot.unit);
    EXPECT_TRUE(write.waits);  // the window layer calls the routine while the program waits
    EXPECT_EQ(Property_Keys(write.properties),
              (std::vector<std::string>{"rightAxisName", "xmin", "xmax", "ymin", "ymax", "zmin", "zmax", "colorList",
                                        "threshList", "contourList"}));
    EXPECT_EQ(Property<std::string>(write.properties, "rightAxisName"), "Height (m)");
    EXPECT_EQ(Property<double>(write.properties, "ymax"), 1.0 / 3.0);
    EXPECT_EQ(Property<std::vector<std::string>>(write.properties, "colorList"),
              (std::vector<std::string>{"255", "16711680", "4294967295"}));
    const auto thresholds = Property<std::vector<std::string>>(write.properties, "threshList");
    ASSERT_EQ(thresholds.size(), 3u);
    for (std::size_t i = 0; i < thresholds.size(); ++i)
        EXPECT_EQ(std::strtod(thresholds[i].c_str(), nullptr), data.threshList[i]) << thresholds[i];
    EXPECT_EQ(thresholds[0], "0.1");
    EXPECT_TRUE(Property<std::vector<std::string>>(write.properties, "contourList").empty());
    ASSERT_EQ(write.contourCallback, &surface);
    double x = 2, y = 3;
    EXPECT_EQ(write.contourCallback(x, y), 23.0);

    EXPECT_EQ(script.requests[3].signal, "clearContourPlot");
    EXPECT_EQ(script.requests[3].unit, plot.unit);
    EXPECT_FALSE(script.requests[3].waits);
}

}  // namespace
