// SPDX-License-Identifier: GPL-3.0-or-later
// Equalizer set-up: reading and checking the response table, normalisation,
// the spline's end condition, the plot of the fitted response, the parameters
// dialog and its checks, the run log, refusals, and a complete equalizer
// design that follows its table.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "Cubic_Spline_Interpolation.h"
#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Equalizer.h"
#include "Run_Logging.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

using Points = std::vector<std::pair<double, double>>;
using Changes = std::vector<std::pair<std::string, std::string>>;

constexpr int Input_Unit = 41;

// A table file: the heading line, then one "frequency,response" line per point.
std::string Table(const Points& points, const std::string& heading = "Frequency,Response") {
    std::string text = heading + "\n";
    for (const auto& p : points) text += FMT_Free(p.first) + "," + FMT_Free(p.second) + "\n";
    return text;
}

void Write_File(const std::string& name, const std::string& text) { std::ofstream(name, std::ios::binary) << text; }

std::vector<std::string> Items(const std::string& line) { return UNIT_Free_Format_Items(line); }

template <class T>
T Property(const UIK_Property_Map& map, const std::string& key) {
    const UIK_Value* v = UIK_Find(map, key);
    EXPECT_NE(v, nullptr) << key;
    return v ? std::get<T>(*v) : T();
}

class Equalizer_Setup : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        CSINTERP_Release();
        Equalizer_Pause_Seconds = 0.0;
        Equalizer_File_Name = "Equalizer.csv";
        KALTAP_Equalizer_Response_Hook = nullptr;
    }
    void TearDown() override { Reset_Design_Program(); }

    // Writes `text` to `file` and runs the set-up with every dialog accepted
    // (parameter fields changed as given). True when it stopped.
    bool Run(const std::string& file, const std::string& text, const Changes& parameters = {}) {
        Write_File(file, text);
        return Run_Without_Writing(file, parameters);
    }
    bool Run_Without_Writing(const std::string& file, const Changes& parameters = {}) {
        script.Accept({{"Input data file", file}});
        script.Accept();  // "Equalizer Initialization Complete"
        script.Accept(parameters);
        return Stops(KALTAP_Equalizer_Setup, &stop_text);
    }
    // The input unit is closed and handed back, whatever the outcome.
    void Expect_Input_Unit_Released() {
        EXPECT_FALSE(UNIT_Is_Open(Input_Unit));
        EXPECT_EQ(DYNLUN_Find(Input_Unit), 0);
    }

    Console_Capture console;
    UIK_Script script;
    std::string stop_text;
};

// ---- Accepted tables ----

struct Table_Case {
    const char* name;
    std::string text;
    std::vector<double> f, r;  // the table after normalisation
    int left_end;              // 1 natural, 2 zero slope
};

class Accepted_Tables : public Equalizer_Setup, public ::testing::WithParamInterface<Table_Case> {};

TEST_P(Accepted_Tables, AreNormalisedAndFittedWithTheRightLeftEnd) {
    const Table_Case& c = GetParam();
    ASSERT_FALSE(Run("table.csv", c.text)) << stop_text;
    const int n = static_cast<int>(c.f.size());
    EXPECT_EQ(Equalizer_Count, n);
    ASSERT_EQ(CSINTERP_Count, n);
    for (int i = 1; i <= n; ++i) {
        EXPECT_DOUBLE_EQ(CSINTERP_X(i), c.f[i - 1]) << "knot " << i;
        EXPECT_DOUBLE_EQ(CSINTERP_Y(i), c.r[i - 1]) << "knot " << i;
    }
    EXPECT_EQ(Equalizer_First_Frequency, c.f.front());
    EXPECT_EQ(Equalizer_Last_Frequency, c.f.back());
    EXPECT_EQ(Left_End_Condition, c.left_end);
    EXPECT_EQ(Right_End_Condition, 1);
    EXPECT_EQ(console.contains("Left end sets slope to"), c.left_end == 2);
    // Design state for the engine.
    EXPECT_EQ(Type_of_Filter, 4);
    EXPECT_EQ(Number_of_Bands, 1);
    EXPECT_EQ(Number_of_Weights, 8 * n + 1);
    EXPECT_EQ(Search_Grid_Density, 32);
    EXPECT_EQ(KALTAP_Equalizer_Response_Hook, &KALTAP_Equalizer_Response);
    EXPECT_TRUE(script.alerts.empty());
    EXPECT_TRUE(script.script_errors.empty());
    Expect_Input_Unit_Released();
}

INSTANTIATE_TEST_SUITE_P(
    Equalizer, Accepted_Tables,
    ::testing::Values(
        Table_Case{"ThreeDataLines", Table({{0, 1}, {0.25, 0.5}, {0.5, 0.25}}), {0, 0.25, 0.5}, {1, 0.5, 0.25}, 2},
        Table_Case{"CyclesPerSampleKept",
                   Table({{0, 1}, {0.1, 1}, {0.25, 1}, {0.5, 1}}),
                   {0, 0.1, 0.25, 0.5},
                   {1, 1, 1, 1},
                   2},
        Table_Case{"HertzScaledToHalfTheSampleRate",
                   Table({{0, 1}, {1000, 1}, {2000, 1}, {4000, 1}}),
                   {0, 0.125, 0.25, 0.5},
                   {1, 1, 1, 1},
                   2},
        Table_Case{"SignedResponsesByTheLargestMagnitude",
                   Table({{0.1, -2}, {0.2, 1}, {0.3, 0.5}}),
                   {0.1, 0.2, 0.3},
                   {-1, 0.5, 0.25},
                   1},
        Table_Case{
            "StartBelowAThousandthIsFlat", Table({{0.0005, 1}, {0.2, 1}, {0.5, 1}}), {0.0005, 0.2, 0.5}, {1, 1, 1}, 2},
        // 0.001 lies below the single-precision thousandth 0.0010000000474974513.
        Table_Case{
            "StartAtAThousandthIsFlat", Table({{0.001, 1}, {0.2, 1}, {0.5, 1}}), {0.001, 0.2, 0.5}, {1, 1, 1}, 2},
        Table_Case{"StartAtTheSinglePrecisionThousandthIsNatural",
                   Table({{0.0010000000474974513, 1}, {0.2, 1}, {0.5, 1}}),
                   {0.0010000000474974513, 0.2, 0.5},
                   {1, 1, 1},
                   1},
        Table_Case{
            "StartAboveAThousandthIsNatural", Table({{0.002, 1}, {0.2, 1}, {0.5, 1}}), {0.002, 0.2, 0.5}, {1, 1, 1}, 1},
        Table_Case{
            "BlanksTabsAndCommasSeparate", "F R\n0 1\n0.2 ,  0.5\n\t0.5\t0.25\n", {0, 0.2, 0.5}, {1, 0.5, 0.25}, 2},
        // Neighbours two billionths of the table's range apart, however narrow it is.
        Table_Case{"StepsOfTwoBillionthsOfTheRangeAreKept",
                   "F,R\n0.1,1\n0.1000000000002,1\n0.1001,1\n",
                   {0.1, 0.1000000000002, 0.1001},
                   {1, 1, 1},
                   1},
        // Columns after the first two are not read, decimal commas in them included.
        Table_Case{"ExtraColumnsAreIgnored",
                   "F,R,Note\n0,1,flat start\n1000,0.5,extra\n2000\t0.25\t3,5\n4000, 0.125, 7,5 dB\n",
                   {0, 0.125, 0.25, 0.5},
                   {1, 0.5, 0.25, 0.125},
                   2},
        Table_Case{"APointSplitOverTwoLines", "F,R\n0,1\n0.2\n0.5\n0.5,0.25\n", {0, 0.2, 0.5}, {1, 0.5, 0.25}, 2},
        Table_Case{"ReadingEndsAtTheFirstBadLine",
                   "F,R\n0,1\n0.2,1\n0.5,1\nend of data\n0.6,1\n",
                   {0, 0.2, 0.5},
                   {1, 1, 1},
                   2},
        // Words and numbers beyond the double range end the data like any bad item.
        Table_Case{
            "OverflowingLastFrequency", "F,R\n0,1\n0.25,0.5\n0.5,0.25\n1e400,1\n", {0, 0.25, 0.5}, {1, 0.5, 0.25}, 2},
        Table_Case{
            "OverflowingLastResponse", "F,R\n0,1\n0.25,0.5\n0.5,0.25\n0.6,-1e400\n", {0, 0.25, 0.5}, {1, 0.5, 0.25}, 2},
        Table_Case{"NanFrequency", "F,R\n0,1\n0.25,0.5\n0.5,0.25\nnan,1\n", {0, 0.25, 0.5}, {1, 0.5, 0.25}, 2},
        Table_Case{"InfiniteResponse", "F,R\n0,1\n0.25,0.5\n0.5,0.25\n0.6,inf\n", {0, 0.25, 0.5}, {1, 0.5, 0.25}, 2}),
    Case_Name());

TEST_F(Equalizer_Setup, SmallPeakIsWarnedAboutAndStillNormalised) {
    ASSERT_FALSE(Run("small.csv", Table({{0, 0.00002}, {0.25, 0.00005}, {0.5, -0.00001}}))) << stop_text;
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "***Warning in Equalizer Data***");
    EXPECT_EQ(script.alerts[0].text, "Maximum peak frequency response input < 0.0001");
    EXPECT_DOUBLE_EQ(CSINTERP_Y(1), 0.4);
    EXPECT_DOUBLE_EQ(CSINTERP_Y(2), 1.0);
    EXPECT_DOUBLE_EQ(CSINTERP_Y(3), -0.2);
}

// ---- Dialogs, console lines and run log of an accepted table ----

TEST_F(Equalizer_Setup, DialogsConsoleLinesAndRunLogInOrder) {
    Equalizer_File_Name = "Equalizer.csv      ";
    ASSERT_FALSE(
        Run("flow.csv", Table({{0, 2}, {1000, 1}, {2000, 0.5}}, "\"Frequency (Hz)\",A_very_long_response_heading")))
        << stop_text;
    EXPECT_EQ(Equalizer_File_Name, "flow.csv");
    ASSERT_EQ(script.dialog_titles(),
              (std::vector<std::string>{"Input Data File Selection", "Equalizer Initialization Complete",
                                        "Fundamental FIR Filter Parameters"}));
    const auto files = script.shown[0].fields();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]->kind, "file");
    EXPECT_EQ(files[0]->title, "Input data file");
    EXPECT_EQ(files[0]->text, "Equalizer.csv");
    EXPECT_EQ(script.shown[1].labels(), std::vector<std::string>{"Select OK to proceed."});
    const auto parameters = script.shown[2].fields();
    ASSERT_EQ(parameters.size(), 2u);
    EXPECT_EQ(parameters[0]->title, "Number of weights");
    EXPECT_EQ(parameters[0]->text, "25");
    EXPECT_EQ(parameters[1]->title, "Search Grid Density");
    EXPECT_EQ(parameters[1]->text, "32");

    // Headings (quotes removed, cut to 20 characters), then the raw points.
    auto at = std::find(console.lines.begin(), console.lines.end(), "Column headings:");
    ASSERT_NE(at, console.lines.end());
    ASSERT_LT(at + 3, console.lines.end());
    EXPECT_EQ(*(at + 1), "Frequency (Hz), A_very_long_response");
    const Points raw{{0, 2}, {1000, 1}, {2000, 0.5}};
    for (int k = 1; k <= 3; ++k) {
        const auto items = Items(*(at + 1 + k));
        ASSERT_EQ(items.size(), 6u) << *(at + 1 + k);
        EXPECT_EQ(items[0] + " " + items[1], "Data point");
        EXPECT_EQ(items[2], std::to_string(k));
        EXPECT_EQ(items[3], ":");
        EXPECT_EQ(std::stod(items[4]), raw[k - 1].first);
        EXPECT_EQ(std::stod(items[5]), raw[k - 1].second);
    }
    EXPECT_EQ(console.count("Data point"), 3);

    ASSERT_NE(Run_Log_Unit, 0);
    EXPECT_EQ(UNIT_File_Name(Run_Log_Unit).rfind("Equalizer_FIR_Design_Log_", 0), 0u);
    const auto log = Read_Lines(UNIT_File_Name(Run_Log_Unit));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "FIR Equalizer filter Design, User-Designed Frequency Response");
    EXPECT_FALSE(console.contains("***Warning"));  // the table spans 0 to 0.5
}

TEST_F(Equalizer_Setup, TwentyPointsGive161WeightsAndA201PointPlot) {
    Points table;
    for (int i = 1; i <= 20; ++i) table.emplace_back(0.5 * (i - 1) / 19.0, 2.0 - 2.0 * (i - 1) / 19.0);
    ASSERT_FALSE(Run("twenty.csv", Table(table))) << stop_text;
    EXPECT_EQ(script.shown[2].field("Number of weights")->text, "161");
    EXPECT_EQ(Number_of_Weights, 161);

    ASSERT_EQ(script.plots.size(), 1u);
    const Scripted_Plot& plot = script.plots[0];
    EXPECT_EQ(plot.title(), "Equalizer Frequency Response");
    EXPECT_EQ(Property<std::string>(plot.properties, "xAxisName"), "Freqency/(Sample Rate)");
    EXPECT_EQ(Property<std::string>(plot.properties, "yAxisName"), "Amplitude, dB");
    EXPECT_EQ(Property<unsigned>(plot.properties, "chartBackgroundColor"), 0xE8E8E8u);
    for (const char* key : {"xScaleType", "yScaleType"}) EXPECT_EQ(Property<int>(plot.properties, key), 0);
    for (const char* key : {"xScaleLB", "xScaleUB", "xScaleStep", "yScaleLB", "yScaleUB", "yScaleStep"})
        EXPECT_EQ(Property<double>(plot.properties, key), -1.0) << key;
    EXPECT_EQ(Property<int>(plot.properties, "showHgridLines"), 1);
    EXPECT_EQ(Property<int>(plot.properties, "showVgridLines"), 1);

    ASSERT_EQ(plot.series.size(), 1u);
    const Scripted_Series& s = plot.series[0];
    EXPECT_EQ(s.label(), "Y");
    EXPECT_EQ(Property<unsigned>(s.properties, "curveColor"), 0x8B0000u);
    EXPECT_EQ(Property<unsigned>(s.properties, "dotColor"), 0xDC143Cu);
    EXPECT_EQ(Property<int>(s.properties, "curveLineWidth"), 1);
    EXPECT_EQ(Property<int>(s.properties, "dotSize"), 6);
    EXPECT_EQ(Property<int>(s.properties, "symbolStyle"), -1);
    EXPECT_EQ(Property<int>(s.properties, "fittedCurve"), 1);
    ASSERT_EQ(s.points.size(), 201u);
    for (std::size_t j = 0; j < s.points.size(); ++j) {
        EXPECT_NEAR(s.points[j].first, 0.5 * j / 200.0, 1e-15) << j;
        EXPECT_TRUE(std::isfinite(s.points[j].second) && s.points[j].second >= -100.0 - 1e-9) << j;
    }
    // First knot: response 2, normalised to 1 = 0 dB; last knot: 0, shown at the -100 dB floor.
    EXPECT_NEAR(s.points.front().second, 0.0, 1e-12);
    EXPECT_NEAR(s.points.back().second, -100.0, 1e-9);
    EXPECT_DOUBLE_EQ(s.points.back().first, 0.5);
}

// ---- Refused tables and cancelled dialogs ----

struct Refusal_Case {
    const char* name;
    const char* file;
    const char* text;  // nullptr: no file is written
    std::vector<std::pair<std::string, std::string>> alerts;
    const char* console_line;  // a console line expected, or nullptr
};

class Refused_Tables : public Equalizer_Setup, public ::testing::WithParamInterface<Refusal_Case> {};

TEST_P(Refused_Tables, StopWithTheirReportAndNoSpline) {
    const Refusal_Case& c = GetParam();
    std::remove("missing.csv");
    const bool stopped = c.text ? Run(c.file, c.text) : Run_Without_Writing(c.file);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(stop_text, "");
    ASSERT_EQ(script.alerts.size(), c.alerts.size());
    for (std::size_t k = 0; k < c.alerts.size(); ++k) {
        EXPECT_EQ(script.alerts[k].title, c.alerts[k].first);
        EXPECT_EQ(script.alerts[k].text, c.alerts[k].second);
    }
    if (c.console_line) {
        EXPECT_NE(std::find(console.lines.begin(), console.lines.end(), c.console_line), console.lines.end());
    }
    EXPECT_EQ(script.dialog_titles(), std::vector<std::string>{"Input Data File Selection"});
    EXPECT_EQ(CSINTERP_Count, 0);
    EXPECT_EQ(KALTAP_Equalizer_Response_Hook, nullptr);
    EXPECT_EQ(Run_Log_Unit, 0);
    Expect_Input_Unit_Released();
}

const char* const Data_Error = "###Error in Equalizer Data###";
const char* const Rows_1_And_2_Too_Close = "Rows 1 and 2: the frequencies are too close for the spline.";
// A last point written in 5000 characters (0.5 after leading zeros): the
// line is refused, although the three points before it make a table.
const std::string Overlong_Line_Table = "F,R\n0,1\n0.25,0.5\n0.4,0.5\n" + std::string(4990, '0') + "0.5,0.25\n";

INSTANTIATE_TEST_SUITE_P(
    Equalizer, Refused_Tables,
    ::testing::Values(
        Refusal_Case{"TwoDataLines", "two.csv", "F,R\n0,1\n0.5,1\n", {}, "Data length 2"},
        Refusal_Case{"EqualFrequencies",
                     "equal.csv",
                     "F,R\n0,1\n0.2,1\n0.2,1\n0.5,1\n",
                     {{Data_Error, "Frequency data is not monotonic."}},
                     nullptr},
        Refusal_Case{"FallingFrequencies",
                     "falling.csv",
                     "F,R\n0,1\n0.3,1\n0.2,1\n",
                     {{Data_Error, "Frequency data is not monotonic."}},
                     nullptr},
        Refusal_Case{"NegativeFirstFrequency",
                     "negative.csv",
                     "F,R\n-0.1,1\n0.2,1\n0.5,1\n",
                     {{Data_Error, "Negative frequencies not allowed."}},
                     nullptr},
        Refusal_Case{"FileCannotBeOpened",
                     "missing.csv",
                     nullptr,
                     {{"####Error in KALTAP Equalizer Setup###", "Can't open missing.csv"}},
                     nullptr},
        Refusal_Case{
            "BlankFileName", "      ", nullptr, {{"####Error in KALTAP Equalizer Setup###", "Can't open"}}, nullptr},
        Refusal_Case{"EmptyFile",
                     "empty.csv",
                     "",
                     {{"###Error in KALTAP Equalizer Setup", "Can't read first line of empty.csv"}},
                     nullptr},
        // Lines with no end in sight are refused after 4096 characters.
        Refusal_Case{"OverlongDataLine",
                     "overlong.csv",
                     Overlong_Line_Table.c_str(),
                     {{Data_Error, "Line 5: the line is longer than 4096 characters."}},
                     nullptr},
        // Decimal commas would be read as two numbers (1000, 0 and 5) or end the data.
        Refusal_Case{"DecimalCommasAfterTabs",
                     "tabs.csv",
                     "Frequency\tResponse\n0\t1\n1000\t0,5\n2000\t0,25\n",
                     {{Data_Error, "Line 3: \"0,5\" has a decimal comma; write the numbers with decimal points."}},
                     nullptr},
        Refusal_Case{"DecimalCommasAfterBlanks",
                     "blanks.csv",
                     "F R\n0 1\n500 1\n1000   0,5\n2000 0,25\n",
                     {{Data_Error, "Line 4: \"0,5\" has a decimal comma; write the numbers with decimal points."}},
                     nullptr},
        Refusal_Case{"DecimalCommasAfterSemicolons",
                     "semicolons.csv",
                     "F;R\n0,0;1\n1000;0,5\n2000;0,25\n",
                     {{Data_Error, "Line 2: \"0,0\" has a decimal comma; write the numbers with decimal points."}},
                     nullptr},
        Refusal_Case{"EndlessFirstLine",
                     "/dev/zero",
                     nullptr,
                     {{Data_Error, "Line 1: the line is longer than 4096 characters."}},
                     nullptr},
        // Nothing to normalise by: warned about, then refused instead of
        // filling the table with NaN.
        Refusal_Case{"AllZeroResponse",
                     "zero.csv",
                     "F,R\n0,0\n0.1,0\n0.5,0\n",
                     {{"***Warning in Equalizer Data***", "Maximum peak frequency response input < 0.0001"},
                      {Data_Error, "Frequency response is zero at every point."}},
                     nullptr},
        // Tables whose spline cannot be finite: refused before any plot or
        // design, naming the data points (rows) that are too close.
        Refusal_Case{"StepTooSmallForTheSpline",
                     "close.csv",
                     "F,R\n0,1\n1e-300,0.5\n0.5,0.25\n",
                     {{Data_Error, Rows_1_And_2_Too_Close}},
                     nullptr},
        Refusal_Case{"StepSubnormalOnceScaled",
                     "scaled.csv",
                     "F,R\n1,1\n2,0.5\n1e308,0.25\n",
                     {{Data_Error, Rows_1_And_2_Too_Close}},
                     nullptr},
        Refusal_Case{"StepsMergeOnceScaled",
                     "merged.csv",
                     "F,R\n1,1\n1.0000000000000002,0.5\n1e308,0.25\n",
                     {{Data_Error, Rows_1_And_2_Too_Close}},
                     nullptr},
        Refusal_Case{"SubnormalStep",
                     "subnormal.csv",
                     "F,R\n0,1\n4.9e-324,0.5\n0.5,0.25\n",
                     {{Data_Error, Rows_1_And_2_Too_Close}},
                     nullptr},
        // A table so narrow that its steps are not too close for their range
        // still overflows the spline; the rows named are those it overflows in.
        Refusal_Case{"TinyStepsAfterTheFirstRows",
                     "tiny.csv",
                     "F,R\n0,1\n1e-302,1\n2e-302,0.5\n3e-302,0.25\n",
                     {{Data_Error, "Rows 2 and 3: the frequencies are too close for the spline."}},
                     nullptr},
        // Neighbours closer than a billionth of the range: the spline would
        // swing orders of magnitude beyond the table's peak of 1 (to some
        // 4e14 for the first).
        Refusal_Case{"FrequenciesOneRoundingStepApart",
                     "ulp.csv",
                     "F,R\n0,1\n0.25,1\n0.25000000000000006,0.5\n0.5,0.25\n",
                     {{Data_Error, "Rows 2 and 3: the frequencies are too close for the spline."}},
                     nullptr},
        Refusal_Case{"FrequenciesATenthOfABillionthOfTheRangeApart",
                     "billionth.csv",
                     "F,R\n0,1\n1000,1\n2000,0.5\n2000.0000004,0.25\n4000,0.25\n",
                     {{Data_Error, "Rows 3 and 4: the frequencies are too close for the spline."}},
                     nullptr}),
    Case_Name());

TEST_F(Equalizer_Setup, TooFewPointsWriteTheReadersMessageAndDataLength) {
    ASSERT_TRUE(Run("two.csv", "F,R\n0,1\n0.5,1\n"));
    auto at = std::find(console.lines.begin(), console.lines.end(), "Data length 2");
    ASSERT_NE(at, console.lines.end());
    ASSERT_NE(at, console.lines.begin());
    EXPECT_NE((at - 1)->find("End of file"), std::string::npos) << *(at - 1);
    EXPECT_EQ(console.count("Data point"), 2);
}

TEST_F(Equalizer_Setup, CancelInEitherDialogTerminates) {
    script.Cancel();
    ASSERT_TRUE(Stops(KALTAP_Equalizer_Setup, &stop_text));
    EXPECT_EQ(stop_text, "Program terminated at user request.");
    Expect_Input_Unit_Released();

    Write_File("cancel.csv", Table({{0, 1}, {0.25, 1}, {0.5, 1}}));
    script.Accept({{"Input data file", "cancel.csv"}});
    script.Accept();
    script.Cancel();
    ASSERT_TRUE(Stops(KALTAP_Equalizer_Setup, &stop_text));
    EXPECT_EQ(stop_text, "Program terminated at user request.");
    EXPECT_EQ(script.dialog_titles().back(), "Fundamental FIR Filter Parameters");
    EXPECT_EQ(Run_Log_Unit, 0);
    EXPECT_TRUE(script.script_errors.empty());
}

TEST_F(Equalizer_Setup, AFileNameLongerThan80CharactersIsKeptWhole) {
    const std::string name = std::string(96, 'q') + ".csv";
    ASSERT_FALSE(Run(name, Table({{0, 1}, {0.25, 1}, {0.5, 1}}))) << stop_text;
    EXPECT_EQ(Equalizer_File_Name, name);
    std::remove(name.c_str());
}

// ---- Parameters dialog ----

struct Parameter_Case {
    const char* weights;
    const char* density;
    std::vector<std::string> faults;  // lines of the "Error in Filter Definition" box
    int N, density_read;              // accepted values (refusals end with the defaults 25, 32)
    // Three points; zero at 0.5, where an even count is zero too.
    Points table = {{0, 1}, {0.25, 1}, {0.5, 0}};
};

class Parameters : public Equalizer_Setup, public ::testing::WithParamInterface<Parameter_Case> {};

TEST_P(Parameters, AreCheckedAsTheClassicalDefinition) {
    const Parameter_Case& c = GetParam();
    Write_File("parameters.csv", Table(c.table));
    script.Accept({{"Input data file", "parameters.csv"}});
    script.Accept();
    script.Accept({{"Number of weights", c.weights}, {"Search Grid Density", c.density}});
    if (!c.faults.empty()) {
        script.Accept();  // the message box
        script.Accept();  // the dialog again, defaults kept
    }
    ASSERT_FALSE(Stops(KALTAP_Equalizer_Setup, &stop_text)) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    const auto boxes = script.dialogs_titled("Error in Filter Definition");
    const auto dialogs = script.dialogs_titled("Fundamental FIR Filter Parameters");
    if (c.faults.empty()) {
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(Number_of_Weights, c.N);
        EXPECT_EQ(Search_Grid_Density, c.density_read);
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0]->labels(), c.faults);
        ASSERT_EQ(dialogs.size(), 2u);
        EXPECT_EQ(dialogs[1]->field("Number of weights")->text, "25");
        EXPECT_EQ(dialogs[1]->field("Search Grid Density")->text, "32");
        EXPECT_EQ(Number_of_Weights, 25);
        EXPECT_EQ(Search_Grid_Density, 32);
    }
}

const std::string Weights_Fault = "Input Error!  Number of Weights <3 or >16385";
const std::string Density_Fault_32 = "Input Error!  Search grid density < 4 or > 32";
const std::string Half_Rate_Fault = "Frequency Response Nonzero at Half Sample Rate for even number of weights.";
const Points Flat_To_Half_Rate = {{0, 1}, {0.25, 1}, {0.5, 1}};

INSTANTIATE_TEST_SUITE_P(
    Equalizer, Parameters,
    ::testing::Values(Parameter_Case{"0", "32", {Weights_Fault}, 0, 0},
                      Parameter_Case{"16386", "32", {Weights_Fault}, 0, 0},
                      Parameter_Case{"25", "-1", {Density_Fault_32}, 0, 0},
                      Parameter_Case{"25", "3", {Density_Fault_32}, 0, 0},
                      Parameter_Case{"25", "33", {Density_Fault_32}, 0, 0},
                      Parameter_Case{"200", "102", {"Input Error!  Search grid density < 4 or > 101"}, 0, 0},
                      Parameter_Case{"9999999999", "32", {"I/O Error in Field 1:Number of Weights"}, 0, 0},
                      Parameter_Case{"forty", "32", {"I/O Error in Field 1:Number of Weights"}, 0, 0},
                      // Text beyond the ten characters read: refused, not cut to 25.
                      Parameter_Case{"00000000251", "32", {"I/O Error in Field 1:Number of Weights"}, 0, 0},
                      Parameter_Case{"25", "1e2", {"I/O Error in Field 2:Search Grid Density"}, 0, 0},
                      Parameter_Case{"", "", {Weights_Fault, Density_Fault_32}, 0, 0},
                      Parameter_Case{"3", "4", {}, 3, 4}, Parameter_Case{"16385", "8193", {}, 16385, 8193},
                      Parameter_Case{"200", "101", {}, 200, 101}, Parameter_Case{" 4 2 ", "32", {}, 42, 32},
                      // A symmetric filter of even length is zero at 0.5: refused
                      // where the table asks for a response there.
                      Parameter_Case{"40", "32", {Half_Rate_Fault}, 0, 0, Flat_To_Half_Rate},
                      Parameter_Case{"41", "32", {}, 41, 32, Flat_To_Half_Rate},
                      Parameter_Case{"40", "32", {Half_Rate_Fault}, 0, 0, {{0, 1}, {0.25, 0.5}, {0.5, -0.5}}},
                      Parameter_Case{"40", "32", {Half_Rate_Fault}, 0, 0, {{0, 1}, {2000, 1}, {4000, 1}}},
                      Parameter_Case{"40", "32", {Half_Rate_Fault}, 0, 0, {{0, 1}, {0.25, 1}, {0.499995, 1}}},
                      Parameter_Case{"40", "32", {}, 40, 32, {{0, 1}, {0.25, 1}, {0.4, 1}}},
                      // 0.0015 normalised by the peak 2 is within the zero tolerance.
                      Parameter_Case{"40", "32", {}, 40, 32, {{0, 2}, {0.25, 1}, {0.5, 0.0015}}},
                      Parameter_Case{"40", "33", {Half_Rate_Fault, Density_Fault_32}, 0, 0, Flat_To_Half_Rate},
                      // Only a count in range is judged by its parity.
                      Parameter_Case{"16386", "32", {Weights_Fault}, 0, 0, Flat_To_Half_Rate}));

// ---- Range of the table and the response routine ----

struct Range_Case {
    Points table;
    bool warned;        // the table falls short of 0 to 0.5
    int swing_row = 0;  // the spline swings farthest beyond the table's peak after this row
};

class Table_Range : public Equalizer_Setup, public ::testing::WithParamInterface<Range_Case> {};

// Short of 0 to 0.5 and a spline that swings far beyond the table: each is a
// "***Warning" on the console and in the run log; the table is still used.
TEST_P(Table_Range, ShortOfZeroToHalfAndSwingsAreWarnedInConsoleAndRunLog) {
    const Range_Case& c = GetParam();
    ASSERT_FALSE(Run("range.csv", Table(c.table))) << stop_text;
    const int warnings = (c.warned ? 1 : 0) + (c.swing_row ? 1 : 0);
    EXPECT_EQ(console.count("***Warning"), warnings);
    const std::string swing = "between rows " + std::to_string(c.swing_row) + " and " + std::to_string(c.swing_row + 1);
    EXPECT_EQ(console.count("spline through the table swings"), c.swing_row ? 1 : 0);
    EXPECT_EQ(console.count(swing), c.swing_row ? 1 : 0);
    int in_log = 0;
    for (const auto& line : Read_Lines(UNIT_File_Name(Run_Log_Unit)))
        if (line.rfind("***Warning", 0) == 0) ++in_log;
    EXPECT_EQ(in_log, warnings);
}

INSTANTIATE_TEST_SUITE_P(Equalizer, Table_Range,
                         ::testing::Values(Range_Case{{{0, 1}, {0.2, 1}, {0.5, 1}}, false},
                                           Range_Case{{{0, 1}, {2000, 1}, {4000, 1}}, false},
                                           Range_Case{{{0.1, 1}, {0.2, 1}, {0.4, 1}}, true},
                                           Range_Case{{{0, 1}, {0.2, 1}, {0.4, 1}}, true},
                                           Range_Case{{{0.05, 1}, {0.2, 1}, {0.5, 1}}, true},
                                           // Uneven rows and a steep fall: the spline stays near the table.
                                           Range_Case{{{0, 1}, {0.01, 0.9}, {0.3, 0.2}, {0.31, 0.0}, {0.5, 0}}, false},
                                           // Two rows a millionth of the range apart with a step between.
                                           Range_Case{{{0, 1}, {0.25, 1}, {0.2500005, 0.5}, {0.5, 0.25}}, false, 3},
                                           Range_Case{{{0, 1}, {0.25, 1}, {0.2500005, 0.5}, {0.4, 0.25}}, true, 1}));

TEST_F(Equalizer_Setup, ResponseFollowsTheTableInsideItsRangeAndIsZeroOutside) {
    ASSERT_FALSE(Run("inside.csv", Table({{0.1, 2}, {0.25, 1}, {0.4, 0.5}}))) << stop_text;
    struct Probe {
        double f, desired;
    };
    for (const Probe& p : {Probe{0.0, 0.0}, Probe{0.05, 0.0}, Probe{0.1, 1.0}, Probe{0.25, 0.5}, Probe{0.4, 0.25},
                           Probe{0.45, 0.0}, Probe{0.5, 0.0}, Probe{std::nan(""), 0.0}}) {
        double desired = -7.0, weight = -7.0;
        KALTAP_Equalizer_Response(p.f, 1, desired, weight);
        EXPECT_DOUBLE_EQ(desired, p.desired) << "f = " << p.f;
        EXPECT_EQ(weight, 1.0) << "f = " << p.f;
    }
}

// ---- A complete equalizer design ----

TEST_F(Equalizer_Setup, DesignedFilterFollowsAHertzTable) {
    // 1 + 0.5 cos(pi F / 4000) sampled every 500 Hz up to 4000 Hz (half the
    // sample rate): 1.5 at 0 falling smoothly to 0.5.
    Points table;
    for (int k = 0; k <= 8; ++k) {
        const double F = 500.0 * k;
        table.emplace_back(F, 1.0 + 0.5 * std::cos(3.14159265358979323846 * F / 4000.0));
    }
    ASSERT_FALSE(Run("hertz.csv", Table(table))) << stop_text;
    ASSERT_EQ(Number_of_Weights, 73);

    // The design loop's steps.
    const bool stopped = Stops([] {
        KALTAP_New_Design();
        Band_Edges(1) = Equalizer_First_Frequency;
        Band_Edges(2) = Equalizer_Last_Frequency;
        KALTAP_Design();
    });
    ASSERT_FALSE(stopped);
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_LT(Remez_Deviation, 1e-3);
    for (const auto& p : table) {
        const double f = p.first * 0.5 / 4000.0;
        const double A = KALTAP_Amplitude_Response(f, Filter_Weights, Number_of_Weights, true);
        EXPECT_NEAR(A, p.second / 1.5, 2e-3) << "at " << p.first << " Hz";
    }
}

}  // namespace
