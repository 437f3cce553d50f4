// SPDX-License-Identifier: GPL-3.0-or-later
// The bar and pie chart operations as the window layer receives them: units
// from the automatic counter, the property keys in order with their texts
// trimmed and colours as "#rrggbb", and the writes that wait with the
// design program's own data block.

#include "UIK_Call_Interface.h"
#include "UIK_Chart_Interface.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

using Strings = std::vector<std::string>;

class ChartInterface : public Call_Interface_Test {};

TEST_F(ChartInterface, BarChartPropertiesInOrder) {
    UIK_Script script;
    UIK_Barchart_Record chart;
    chart.windowTitle.set("Sales   ");
    chart.xAxisName.set("Quarter");
    chart.yAxisName.set("");
    chart.chartBackgroundColor = 0xFF102030;
    chart.legendNames = {UIK_Text("North  "), UIK_Text("South")};
    chart.legendColors = {0xAB00FF00, 0x0000FF};
    UIK_createBarchart(chart);
    EXPECT_EQ(chart.unit, 1000000);
    ASSERT_EQ(script.requests.size(), 1u);
    const UIK_Request& r = script.requests[0];
    EXPECT_EQ(r.signal, "createBarchart");
    EXPECT_EQ(r.unit, chart.unit);
    EXPECT_FALSE(r.waits);
    EXPECT_EQ(Property_Keys(r.properties), Strings({"windowTitle", "xAxisName", "yAxisName", "chartBackgroundColor",
                                                    "legendNames", "legendColors"}));
    EXPECT_EQ(Property<std::string>(r.properties, "windowTitle"), "Sales");
    EXPECT_EQ(Property<std::string>(r.properties, "yAxisName"), "");
    EXPECT_EQ(Property<unsigned>(r.properties, "chartBackgroundColor"), 0xFF102030u);
    EXPECT_EQ(Property<Strings>(r.properties, "legendNames"), Strings({"North", "South"}));
    EXPECT_EQ(Property<Strings>(r.properties, "legendColors"), Strings({"#00ff00", "#0000ff"}));
}

TEST_F(ChartInterface, PieChartPropertiesInOrder) {
    UIK_Script script;
    UIK_PieChart_Record first, pie;
    UIK_createPieChart(first);
    pie.windowTitle.set("Budget");
    pie.textColor = 0xFFFF00;
    pie.names = {UIK_Text("Rent"), UIK_Text("   ")};
    UIK_createPieChart(pie);
    EXPECT_EQ(first.unit, 1000000);
    EXPECT_EQ(pie.unit, 1000001);
    ASSERT_EQ(script.requests.size(), 2u);
    const UIK_Request& r = script.requests[1];
    EXPECT_EQ(r.signal, "createPieChart");
    EXPECT_EQ(Property_Keys(r.properties),
              Strings({"windowTitle", "chartBackgroundColor", "textColor", "names", "colors"}));
    EXPECT_EQ(Property<unsigned>(r.properties, "textColor"), 0xFFFF00u);
    EXPECT_EQ(Property<Strings>(r.properties, "names"), Strings({"Rent", ""}));
    EXPECT_TRUE(Property<Strings>(r.properties, "colors").empty());  // the window layer's defaults
}

TEST_F(ChartInterface, WritesWaitWithTheDesignProgramsBlock) {
    UIK_Script script;
    const double values[] = {1, 2, 3, 4, 5, 6};
    UIK_writeBarchart(1000007, values, "REAL*8    ", 3, 2);
    UIK_writePieChart(1000008, values, "REAL*8", 1, 6);
    ASSERT_EQ(script.requests.size(), 2u);
    const char* const signals[] = {"writeBarchart", "writePieChart"};
    for (int i = 0; i < 2; ++i) {
        const UIK_Request& r = script.requests[i];
        EXPECT_EQ(r.signal, signals[i]);
        EXPECT_EQ(r.unit, 1000007 + i);
        EXPECT_TRUE(r.waits);
        EXPECT_EQ(r.dataType, "REAL*8");
        EXPECT_EQ(r.nrows * r.ncols, 6);
    }
    EXPECT_EQ(script.requests[0].nrows, 3);
}

TEST_F(ChartInterface, NoWindowLayerStillNumbersCharts) {
    UIK_Barchart_Record bars;
    UIK_PieChart_Record pie;
    EXPECT_EQ(UIK_createBarchart(bars), 1);
    EXPECT_EQ(UIK_createPieChart(pie), 1);
    EXPECT_EQ(UIK_writeBarchart(bars.unit, nullptr, "REAL*8", 0, 0), 1);
    EXPECT_EQ(bars.unit, 1000000);
    EXPECT_EQ(pie.unit, 1000001);
}

}  // namespace
