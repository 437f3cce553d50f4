// SPDX-License-Identifier: GPL-3.0-or-later
// The two-band low-pass / high-pass inputs: the dialogs and their defaults,
// the checks and their message boxes, Cancel everywhere, and the designs the
// four paths hand to the searches, judged from the final taps.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FIR_Optimization_Engine.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Two_Band_Inputs.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

using Changes = std::vector<std::pair<std::string, std::string>>;

const std::string Terminated = "Program terminated at user request.";
const std::string Stopped_By_User = "Program stopped by user request.";

const std::string Select_Title = "Select Type of Optimization";
const std::string Decimation_Title = "Decimation/Interpolation";
const std::string Transition_Title = "Find transition given other filter design parameters";
const std::string Ripple_Title = "Find ripple given other filter design parameters";
const std::string Stopband_Title = "Find stopband attenuation given other filter design parameters";
const std::string Order_Box = "Filter Parameter Definition Error";
const std::string Path_Box = "Filter Definition Parameter Error";

const std::string Ripple_Field = "Peak-to-peak passband ripple, dB";
const std::string Attenuation_Field = "Minimum stopband attenuation, dB";
const std::string Bandwidth_Field = "Passband bandwidth as a fraction of sample rate (tiny to just under 0.5)";
const std::string Decimation_Bandwidth_Field = "Passband bandwidth as a fraction of sample rate";
const std::string Transition_Field = "Transition width as a fraction of sample rate";
const std::string Weights_Field = "Number of weights";
const std::string Ratio_Field = "Decimation ratio";
const std::string Edge_Index_Field = "Input 2 to optmize bandwidth, 3 to minimize transition";

const std::string Ripple_Condition = "FIR_Passband_PtoP_Ripple < 0.d0 .OR. FIR_Passband_PtoP_Ripple > 3.5d0";
const std::string Attenuation_Condition = "FIR_Stopband_Attenuation < 10.d0 .OR. FIR_Stopband_Attenuation > 200.d0";
const std::string Bandwidth_Condition = "FIR_Passband_Bandwidth < 0.00001 .OR. FIR_Passband_Bandwidth > 0.499d0";
const std::string Transition_Condition = "transition_input < 0.00001 .OR. transition_input > 0.25";
const std::string Weights_Condition = "Number_of_Weights_input < 3 .OR. Number_of_Weights_input > 16385";
const std::string Stopband_Condition = "FIR_Passband_Bandwidth + transition_input >= 0.5";
const std::string Even_High_Pass = "High-pass with even number of weights; use odd number of weights.";
const std::string Free_Or_Even_High_Pass = "High-pass with order free or even; force order as odd.";
const std::string Zero_At_Half_Rate =
    "A symmetric filter with an even number of weights is zero at half the sample rate, where the high-pass "
    "passband ends.";
const std::string High_Pass_Parity_Title =
    "    Determine order as free, odd, or even (NOTE:  High Pass should have odd order!):";

const double Start_Stopband_Offset = static_cast<double>(0.15f);  // 0.15 held in single precision
constexpr double Measure_Slack_dB = 0.05;                         // the searches see the response only on the grid

// A control as one line: kind, title, starting text or selection and items.
std::string Describe(const Scripted_Control& c) {
    if (c.kind == "label") return "label: " + c.title;
    if (c.kind == "lineedit") return "lineedit: " + c.title + " = " + c.text;
    std::string s = c.kind + ": " + c.title + " [" + std::to_string(c.selected) + "]";
    for (const auto& item : c.items) s += " | " + item;
    return s;
}

std::vector<std::string> Describe(const Scripted_Dialog& d) {
    std::vector<std::string> list;
    for (const auto& c : d.controls) list.push_back(Describe(c));
    return list;
}

const std::vector<std::string> Select_Controls = {
    "radio: Select next action: [1] | Find order (the number of weights) given performance specifications | "
    "Find transition width given order and other performance specifications | "
    "Find peak-to-peak passband ripple given order and other performance specifications | "
    "Find stopband attenuation given order and other performance specifications"};
const std::vector<std::string> Decimation_Controls = {
    "radio: Select type of FIR filter design: [1] | Normal FIR Filter | Decimation or Interpolation FIR Filter"};
const std::string Low_Pass_Parity =
    "radio:     Determine order as free, odd, or even [3] | Order may be odd or even | Force order as odd | "
    "Force order as even";
const std::string High_Pass_Parity =
    "radio:     Determine order as free, odd, or even (NOTE:  High Pass should have odd order!): [2] | "
    "Order may be odd or even (NOT RECOMMENDED) | Force order as odd (recommended; see ReadMe.pdf) | "
    "Force order as even (NOT RECOMMENDED)";
const std::vector<std::string> Normal_Order_Fields = {
    "label:     Enter ripple, stopband attenuation, bandwidth, and transition width below:",
    "lineedit: " + Ripple_Field + " = 0.1", "lineedit: " + Attenuation_Field + " = 55",
    "lineedit: " + Bandwidth_Field + " = 0.15", "lineedit: " + Transition_Field + " = 0.05"};
const std::vector<std::string> Decimation_Order_Fields = {
    "label:     Enter ripple, stopband attenuation, bandwidth, and decimation ratio below:",
    "lineedit: " + Ripple_Field + " = 0.1",
    "lineedit: " + Attenuation_Field + " = 55",
    "label: (Bandwidth must be less than 1/(2*Decimation_Ratio)",
    "lineedit: " + Decimation_Bandwidth_Field + " = 0.23",
    "lineedit: " + Ratio_Field + " = 2"};

std::vector<std::string> Join(std::string first, const std::vector<std::string>& rest) {
    std::vector<std::string> list{std::move(first)};
    list.insert(list.end(), rest.begin(), rest.end());
    return list;
}

// Extremes of the amplitude response of the final taps over [lo, hi].
std::pair<double, double> Response_Range(double lo, double hi) {
    const int points = 2000;
    double low = 1e300, high = -1e300;
    for (int j = 0; j <= points; ++j) {
        const double a = KALTAP_Amplitude_Response(lo + (hi - lo) * j / points, Filter_Weights, Number_of_Weights,
                                                   true);
        low = std::min(low, a), high = std::max(high, a);
    }
    return {low, high};
}

int Passband() { return Band_Desired_Value(1) != 0.0 ? 1 : 2; }

double Measured_Attenuation_dB() {
    const int stop = 3 - Passband();
    const auto r = Response_Range(Band_Edges(2 * stop - 1), Band_Edges(2 * stop));
    return -20.0 * std::log10(std::max(std::fabs(r.first), std::fabs(r.second)));
}

double Measured_Ripple_dB() {
    const int pass = Passband();
    const auto r = Response_Range(Band_Edges(2 * pass - 1), Band_Edges(2 * pass));
    return 20.0 * std::log10(r.second / r.first);
}

std::vector<double> Edges() { return {Band_Edges(1), Band_Edges(2), Band_Edges(3), Band_Edges(4)}; }

void Expect_Edges(const std::vector<double>& expected) {
    const auto edges = Edges();
    for (int k = 0; k < 4; ++k) { EXPECT_NEAR(edges[k], expected[k], 1e-15) << "edge " << k + 1; }
}

// The first line of the current run log (its title).
std::string Log_Title() {
    if (Run_Log_Unit == 0) return "(no run log)";
    const auto lines = Read_Lines(UNIT_File_Name(Run_Log_Unit));
    return lines.empty() ? "(empty run log)" : lines[0];
}

// Start values of the shared figures and a fresh design program.
struct Two_Band_Run {
    Console_Capture console;
    UIK_Script script;
    std::string stop_text;

    Two_Band_Run() {
        Reset_Design_Program();
        FIROPT_Trial_Observer = nullptr;
        FIR_Passband_PtoP_Ripple = 1.0;
        FIR_Stopband_Attenuation = 40.0;
        FIR_Passband_Bandwidth = 0.2;
        FIROPT_NOW = 0;
        Decimation_Ratio = 1;
        Decimation_Design = 0;
    }
    ~Two_Band_Run() {
        FIROPT_Trial_Observer = nullptr;
        Reset_Design_Program();
    }
    // The two-band inputs for a low-pass (1) or high-pass (3); true when the
    // design program stopped.
    bool Run_Inputs(int band_type) {
        KALTAP_BandType = band_type;
        return Stops(KALTAP_Two_Band_Inputs, &stop_text);
    }
    void Choose(int path) { script.Accept({{"Select next action:", std::to_string(path)}}); }
    // Path 1 and the kind of filter: 1 normal, 2 decimation.
    void Choose_Order(int kind) {
        Choose(1);
        script.Accept({{"Select type of FIR filter design:", std::to_string(kind)}});
    }
    void Choose_Path(int path, int order_kind) {
        if (path == 1)
            Choose_Order(order_kind);
        else
            Choose(path);
    }
    // The three-point searches stop at their first trial: the design state then
    // holds the set-up the inputs made, and the test is quick.
    void Stop_At_First_Trial() {
        FIROPT_Trial_Observer = [](double) { KALTAP_Stop("first trial"); };
    }
};

// ------------------------------------------------------------ dialogs, Cancel

struct Dialog_Case {
    const char* name;
    int band_type, path, order_kind;
    std::string title;
    std::vector<std::string> controls;
};

class Path_Dialogs : public ::testing::TestWithParam<Dialog_Case>, protected Two_Band_Run {};

TEST_P(Path_Dialogs, ShowTheirTextsAndDefaultsAndCancelEndsTheProgram) {
    const Dialog_Case& c = GetParam();
    Choose_Path(c.path, c.order_kind);
    script.Cancel();
    ASSERT_TRUE(Run_Inputs(c.band_type));
    EXPECT_EQ(stop_text, Terminated);
    EXPECT_TRUE(script.script_errors.empty());
    std::vector<std::string> titles{Select_Title};
    if (c.path == 1) titles.push_back(Decimation_Title);
    titles.push_back(c.title);
    ASSERT_EQ(script.dialog_titles(), titles);
    EXPECT_EQ(Describe(script.shown.front()), Select_Controls);
    if (c.path == 1) { EXPECT_EQ(Describe(script.shown[1]), Decimation_Controls); }
    EXPECT_EQ(Describe(script.shown.back()), c.controls);
    EXPECT_TRUE(console.contains("Band Type: " + std::to_string(c.band_type)));
    EXPECT_TRUE(console.contains("input_selection: " + std::to_string(c.path)));
    EXPECT_EQ(Run_Log_Unit, 0) << "no run log before the inputs are accepted";
}

INSTANTIATE_TEST_SUITE_P(
    Two_Band_Inputs, Path_Dialogs,
    ::testing::Values(
        Dialog_Case{"LowPassOrder", 1, 1, 1, "Optimize low-pass for number of weights",
                    Join(Low_Pass_Parity, Normal_Order_Fields)},
        Dialog_Case{"HighPassOrder", 3, 1, 1, "Optimize high-pass for number of weights",
                    Join(High_Pass_Parity, Normal_Order_Fields)},
        Dialog_Case{"LowPassDecimation", 1, 1, 2, "Optimize low-pass decimation filter for number of weights",
                    Join(Low_Pass_Parity, Decimation_Order_Fields)},
        Dialog_Case{"HighPassDecimation", 3, 1, 2, "Optimize high-pass decimation filter for number of weights",
                    Join(High_Pass_Parity, Decimation_Order_Fields)},
        Dialog_Case{"Transition",
                    1,
                    2,
                    0,
                    Transition_Title,
                    {"lineedit: " + Weights_Field + " = 41", "lineedit: " + Ripple_Field + " = 0.1",
                     "lineedit: " + Attenuation_Field + " = 55", "lineedit: " + Bandwidth_Field + " = 0.15",
                     "lineedit: " + Edge_Index_Field + " = 3"}},
        Dialog_Case{"Ripple",
                    3,
                    3,
                    0,
                    Ripple_Title,
                    {"lineedit: " + Weights_Field + " = 41", "lineedit: " + Attenuation_Field + " = 55",
                     "lineedit: " + Bandwidth_Field + " = 0.15", "lineedit: " + Transition_Field + " = 0.05"}},
        Dialog_Case{"Stopband",
                    1,
                    4,
                    0,
                    Stopband_Title,
                    {"lineedit: " + Weights_Field + " = 41", "lineedit: " + Ripple_Field + " = 0.1",
                     "lineedit: " + Bandwidth_Field + " = 0.15", "lineedit: " + Transition_Field + " = 0.05"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Cancel in the other dialogs and message boxes of the inputs.
struct Cancel_Case {
    const char* name;
    std::function<void(Two_Band_Run&)> answers;  // everything before the Cancel
    std::string stop_text;
    std::string cancelled_title;
};

class Cancels : public ::testing::TestWithParam<Cancel_Case>, protected Two_Band_Run {};

TEST_P(Cancels, EndTheProgramWithoutADesign) {
    const Cancel_Case& c = GetParam();
    c.answers(*this);
    script.Cancel();
    ASSERT_TRUE(Run_Inputs(1));
    EXPECT_EQ(stop_text, c.stop_text);
    ASSERT_FALSE(script.shown.empty());
    EXPECT_EQ(script.shown.back().title, c.cancelled_title);
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(Run_Log_Unit, 0);
    EXPECT_FALSE(console.contains("Minimize") || console.contains("Maximize") || console.contains("Find Stopband"));
}

INSTANTIATE_TEST_SUITE_P(Two_Band_Inputs, Cancels,
                         ::testing::Values(Cancel_Case{"OptimizationType", [](Two_Band_Run&) {}, Terminated,
                                                       Select_Title},
                                           Cancel_Case{"DecimationChoice", [](Two_Band_Run& r) { r.Choose(1); },
                                                       Terminated, Decimation_Title},
                                           Cancel_Case{"IOErrorBox",
                                                       [](Two_Band_Run& r) {
                                                           r.Choose(3);
                                                           r.script.Accept({{Weights_Field, "forty"}});
                                                       },
                                                       Stopped_By_User, "I/O Error"},
                                           Cancel_Case{"PathMessageBox",
                                                       [](Two_Band_Run& r) {
                                                           r.Choose(4);
                                                           r.script.Accept({{Ripple_Field, "4"}});
                                                       },
                                                       Stopped_By_User, Path_Box},
                                           Cancel_Case{"BadInputBox",
                                                       [](Two_Band_Run& r) {
                                                           r.Choose(2);
                                                           r.script.Accept({{Edge_Index_Field, "4"}});
                                                           r.script.Accept();
                                                       },
                                                       Stopped_By_User, "Bad Input"},
                                           Cancel_Case{"RepeatedPathDialog",
                                                       [](Two_Band_Run& r) {
                                                           r.Choose_Order(1);
                                                           r.script.Accept({{Attenuation_Field, "5"}});
                                                           r.script.Accept_Times(2);
                                                       },
                                                       Terminated, "Optimize low-pass for number of weights"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ refused entries

struct Refusal_Case {
    const char* name;
    int band_type, path, order_kind;
    Changes entries;
    std::vector<std::string> io_boxes;  // the "Field ..." line of each "I/O Error" box, in order
    std::string box_title;
    std::vector<std::string> box_lines;  // all lines, or the first ones when !exact
    bool exact;
};

class Refused_Entries : public ::testing::TestWithParam<Refusal_Case>, protected Two_Band_Run {};

TEST_P(Refused_Entries, AreReportedAndTheDialogReturnsWithItsDefaults) {
    const Refusal_Case& c = GetParam();
    Choose_Path(c.path, c.order_kind);
    script.Accept(c.entries);
    script.Accept_Times(static_cast<int>(c.io_boxes.size()) + 2);  // I/O boxes, the path's box, "Bad Input"
    script.Cancel();                                               // the path dialog, shown again
    ASSERT_TRUE(Run_Inputs(c.band_type));
    EXPECT_EQ(stop_text, Terminated);
    EXPECT_TRUE(script.script_errors.empty());
    const std::size_t first = c.path == 1 ? 2 : 1;  // the first showing of the path dialog
    ASSERT_EQ(script.shown.size(), first + c.io_boxes.size() + 4);
    const Scripted_Dialog& entered = script.shown[first];
    for (std::size_t k = 0; k < c.io_boxes.size(); ++k) {
        const Scripted_Dialog& box = script.shown[first + 1 + k];
        EXPECT_EQ(box.title, "I/O Error");
        EXPECT_EQ(box.labels(), std::vector<std::string>{c.io_boxes[k]});
    }
    const Scripted_Dialog& box = script.shown[first + 1 + c.io_boxes.size()];
    EXPECT_EQ(box.title, c.box_title);
    std::vector<std::string> lines = box.labels();
    if (!c.exact && lines.size() > c.box_lines.size()) lines.resize(c.box_lines.size());
    EXPECT_EQ(lines, c.box_lines);
    const Scripted_Dialog& again = script.shown[first + 2 + c.io_boxes.size()];
    EXPECT_EQ(again.title, "Bad Input");
    EXPECT_EQ(again.labels(), std::vector<std::string>{"Please try again"});
    const Scripted_Dialog& repeated = script.shown.back();
    EXPECT_EQ(repeated.title, entered.title);
    EXPECT_EQ(Describe(repeated), Describe(entered)) << "shown again from its defaults";
    EXPECT_EQ(Run_Log_Unit, 0);
}

const Changes No_Stopband = {{Bandwidth_Field, "0.4"}, {Transition_Field, "0.15"}};

INSTANTIATE_TEST_SUITE_P(
    Two_Band_Inputs, Refused_Entries,
    ::testing::Values(
        // Ranges, one field at a time.
        Refusal_Case{"OrderAttenuationBelow10",
                     1,
                     1,
                     1,
                     {{Attenuation_Field, "9.99"}},
                     {},
                     Order_Box,
                     {Attenuation_Condition, "  Value = 9.99"},
                     true},
        Refusal_Case{"OrderNegativeRipple",
                     3,
                     1,
                     1,
                     {{Ripple_Field, "-0.1"}},
                     {},
                     Order_Box,
                     {Ripple_Condition, "  Value = -0.1"},
                     true},
        Refusal_Case{"OrderBandwidthBelowSinglePrecisionBound",
                     1,
                     1,
                     1,
                     {{Bandwidth_Field, "0.0000099999"}},
                     {},
                     Order_Box,
                     {Bandwidth_Condition, "  Value = 9.9999e-06"},
                     true},
        Refusal_Case{"OrderTransitionAbove025",
                     1,
                     1,
                     1,
                     {{Transition_Field, "0.2501"}},
                     {},
                     Order_Box,
                     {Transition_Condition, "  Value = 0.2501"},
                     true},
        Refusal_Case{"DecimationRatio1",
                     1,
                     1,
                     2,
                     {{Ratio_Field, "1"}},
                     {},
                     Order_Box,
                     {Transition_Condition, "  Value = 0.54"},
                     true},
        Refusal_Case{"DecimationRatio0",
                     1,
                     1,
                     2,
                     {{Ratio_Field, "0"}},
                     {},
                     Order_Box,
                     {Transition_Condition, "  Value = inf"},
                     true},
        Refusal_Case{"TransitionEdgeIndex4",
                     1,
                     2,
                     0,
                     {{Edge_Index_Field, "4"}},
                     {},
                     Path_Box,
                     {"BD_index_input < 2 .OR. BD_index_input > 3", "  Value = 4"},
                     true},
        Refusal_Case{"TransitionChecksInOrder",
                     3,
                     2,
                     0,
                     {{Weights_Field, "2"}, {Ripple_Field, "3.6"}, {Edge_Index_Field, "1"}},
                     {},
                     Path_Box,
                     {Weights_Condition, "  Value = 2", Ripple_Condition, "  Value = 3.6",
                      "BD_index_input < 2 .OR. BD_index_input > 3", "  Value = 1", Even_High_Pass, Zero_At_Half_Rate},
                     true},
        // A high-pass ends its passband at half the sample rate, where an
        // even-length symmetric filter is zero: every path refuses an even count.
        Refusal_Case{"TransitionHighPassEvenWeights",
                     3,
                     2,
                     0,
                     {{Weights_Field, "40"}},
                     {},
                     Path_Box,
                     {Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"RippleHighPassEvenWeights",
                     3,
                     3,
                     0,
                     {{Weights_Field, "40"}},
                     {},
                     Path_Box,
                     {Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"StopbandHighPassEvenWeights",
                     3,
                     4,
                     0,
                     {{Weights_Field, "16384"}},
                     {},
                     Path_Box,
                     {Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"RippleHighPassEvenAfterTheRanges",
                     3,
                     3,
                     0,
                     {{Weights_Field, "40"}, {Attenuation_Field, "5"}},
                     {},
                     Path_Box,
                     {"FIR_Stopband_Attenuation < 10.d0 .OR. FIR_Stopband_Attenuation > 200.d", "  Value = 5",
                      Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"OrderHighPassFree",
                     3,
                     1,
                     1,
                     {{High_Pass_Parity_Title, "1"}},
                     {},
                     Order_Box,
                     {Free_Or_Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"OrderHighPassEven",
                     3,
                     1,
                     1,
                     {{High_Pass_Parity_Title, "3"}},
                     {},
                     Order_Box,
                     {Free_Or_Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"DecimationHighPassEven",
                     3,
                     1,
                     2,
                     {{High_Pass_Parity_Title, "3"}},
                     {},
                     Order_Box,
                     {Free_Or_Even_High_Pass, Zero_At_Half_Rate},
                     true},
        Refusal_Case{"RippleAttenuationAbove200",
                     1,
                     3,
                     0,
                     {{Attenuation_Field, "200.5"}},
                     {},
                     Path_Box,
                     {"FIR_Stopband_Attenuation < 10.d0 .OR. FIR_Stopband_Attenuation > 200.d", "  Value = 200.5"},
                     true},
        Refusal_Case{"RippleTooManyWeights",
                     1,
                     3,
                     0,
                     {{Weights_Field, "16386"}},
                     {},
                     Path_Box,
                     {Weights_Condition, "  Value = 16386"},
                     true},
        Refusal_Case{
            "StopbandRipple4dB", 1, 4, 0, {{Ripple_Field, "4"}}, {}, Path_Box, {Ripple_Condition, "  Value = 4"}, true},
        Refusal_Case{"StopbandBandwidthValueLine",
                     1,
                     4,
                     0,
                     {{Bandwidth_Field, "0.5"}},
                     {},
                     Path_Box,
                     {Bandwidth_Condition, " Value = 0.5"},
                     true},
        // No stopband left by the bandwidth and the transition.
        Refusal_Case{"OrderLowPassNoStopband",
                     1,
                     1,
                     1,
                     No_Stopband,
                     {},
                     Order_Box,
                     {Stopband_Condition, "  Value = 0.55"},
                     true},
        Refusal_Case{"OrderStopbandEdgeAtHalfRate",
                     3,
                     1,
                     1,
                     {{Bandwidth_Field, "0.25"}, {Transition_Field, "0.25"}},
                     {},
                     Order_Box,
                     {Stopband_Condition, "  Value = 0.5"},
                     true},
        Refusal_Case{"DecimationRatio1WideBand",
                     1,
                     1,
                     2,
                     {{Ratio_Field, "1"}, {Decimation_Bandwidth_Field, "0.4"}},
                     {},
                     Order_Box,
                     {Stopband_Condition, "  Value = 0.6"},
                     true},
        Refusal_Case{"RippleHighPassNoStopband",
                     3,
                     3,
                     0,
                     No_Stopband,
                     {},
                     Path_Box,
                     {Stopband_Condition, "  Value = 0.55"},
                     true},
        Refusal_Case{"StopbandNoStopband",
                     1,
                     4,
                     0,
                     {{Bandwidth_Field, "0.3"}, {Transition_Field, "0.25"}},
                     {},
                     Path_Box,
                     {Stopband_Condition, "  Value = 0.55"},
                     true},
        // Unreadable fields: one "I/O Error" box each, then the path's box.
        Refusal_Case{"OrderRippleUnreadable",
                     1,
                     1,
                     1,
                     {{Ripple_Field, "abc"}},
                     {"Field P-P Ripple"},
                     Order_Box,
                     {"I/O error"},
                     true},
        Refusal_Case{"OrderTwoFieldsUnreadable",
                     1,
                     1,
                     1,
                     {{Attenuation_Field, "5 5 x"}, {Transition_Field, "."}},
                     {"Field Stopband att.", "Field Transition BW"},
                     Order_Box,
                     {"I/O error"},
                     false},
        Refusal_Case{"DecimationBandwidthUnreadable",
                     1,
                     1,
                     2,
                     {{Decimation_Bandwidth_Field, "0.2x"}},
                     {"Field Passband BW"},
                     Order_Box,
                     {"I/O error"},
                     true},
        Refusal_Case{"DecimationRatioUnreadable",
                     1,
                     1,
                     2,
                     {{Ratio_Field, "two"}},
                     {"Field Transition BW"},
                     Order_Box,
                     {"I/O error"},
                     false},
        Refusal_Case{"TransitionFieldsUnreadable",
                     1,
                     2,
                     0,
                     {{Weights_Field, "4x1"},
                      {Ripple_Field, "0.1.1"},
                      {Attenuation_Field, "-"},
                      {Bandwidth_Field, "e5"},
                      {Edge_Index_Field, "3.0"}},
                     {"Field Number of Weights", "Field P-P Ripple", "Field Stopband att.", "Field Passband BW",
                      "Field Optimize BW or T"},
                     Path_Box,
                     {"I/O Error"},
                     false},
        Refusal_Case{
            "RippleFieldsUnreadable",
            1,
            3,
            0,
            {{Weights_Field, "x"}, {Attenuation_Field, "1O0"}, {Bandwidth_Field, "?"}, {Transition_Field, "+"}},
            {"Field Number of Weights", "Field Stopband att.", "Field Passband BW", "Field Transition BW"},
            Path_Box,
            {"I/O Error"},
            false},
        Refusal_Case{
            "StopbandFieldsUnreadable",
            1,
            4,
            0,
            {{Weights_Field, "41w"}, {Ripple_Field, "0,1"}, {Bandwidth_Field, "0.15%"}, {Transition_Field, "0.05.1"}},
            {"Field Number of Weights", "Field P-P Ripple", "Field Passband BW", "Field Transition BW"},
            Path_Box,
            {"I/O Error."},
            false},
        // Text beyond the width read is refused as unreadable, not cut.
        Refusal_Case{"WeightsTextBeyondTenCharacters",
                     1,
                     3,
                     0,
                     {{Weights_Field, "41        7"}},
                     {"Field Number of Weights"},
                     Path_Box,
                     {"I/O Error"},
                     true},
        Refusal_Case{"RealTextBeyondTwentyCharacters",
                     1,
                     4,
                     0,
                     {{Bandwidth_Field, "0.1                 7"}},
                     {"Field Passband BW"},
                     Path_Box,
                     {"I/O Error."},
                     true},
        Refusal_Case{"OrderRippleBeyondTwentyCharacters",
                     1,
                     1,
                     1,
                     {{Ripple_Field, "0.1000000000000000000001"}},
                     {"Field P-P Ripple"},
                     Order_Box,
                     {"I/O error"},
                     true},
        Refusal_Case{"DecimationRatioBeyondFiveCharacters",
                     1,
                     1,
                     2,
                     {{Ratio_Field, "00002999"}},
                     {"Field Transition BW"},
                     Order_Box,
                     {"I/O error"},
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ accepted entries

// Entries at the bounds and beyond the read widths are accepted and reach the
// search's set-up; the search is stopped at its first trial.
struct Accepted_Case {
    const char* name;
    int band_type, path;
    Changes entries;
    int weights;
    std::vector<double> edges;
    std::string log_title;
    std::function<void()> more;  // further checks of the state at the first trial
};

class Accepted_Entries : public ::testing::TestWithParam<Accepted_Case>, protected Two_Band_Run {};

TEST_P(Accepted_Entries, ReachTheSearchWithTheDesignStateSetUp) {
    const Accepted_Case& c = GetParam();
    Choose(c.path);
    script.Accept(c.entries);
    Stop_At_First_Trial();
    ASSERT_TRUE(Run_Inputs(c.band_type));
    EXPECT_EQ(stop_text, "first trial");
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(script.shown.size(), 2u) << "no message box";
    EXPECT_EQ(Number_of_Weights, c.weights);
    EXPECT_GE(Allocated_Number_of_Weights, c.weights);
    EXPECT_EQ(Number_of_Bands, 2);
    EXPECT_EQ(Type_of_Filter, 1);
    EXPECT_EQ(Search_Grid_Density, 32);
    EXPECT_EQ(Band_Desired_Value(1), c.band_type == 1 ? 1.0 : 0.0);
    EXPECT_EQ(Band_Desired_Value(2), c.band_type == 1 ? 0.0 : 1.0);
    Expect_Edges(c.edges);
    EXPECT_EQ(Log_Title(), c.log_title);
    if (c.more) c.more();
}

const std::string Find_Transition_Log = "FIR filter Design, Find Transition";
const std::string Find_Ripple_Log = "FIR filter Design, Find Ripple";
const std::string Find_Stopband_Log = "FIR filter Design, Find Stopband Attenuation";

INSTANTIATE_TEST_SUITE_P(
    Two_Band_Inputs, Accepted_Entries,
    ::testing::Values(Accepted_Case{"StopbandRippleOf3_5",
                                    1,
                                    4,
                                    {{Ripple_Field, "3.5"}},
                                    41,
                                    {0, 0.15, 0.2, 0.5},
                                    Find_Stopband_Log,
                                    [] { EXPECT_EQ(FIR_Passband_PtoP_Ripple, 3.5); }},
                      Accepted_Case{"RippleAttenuationOf200",
                                    1,
                                    3,
                                    {{Attenuation_Field, "200"}},
                                    41,
                                    {0, 0.15, 0.2, 0.5},
                                    Find_Ripple_Log,
                                    [] { EXPECT_EQ(FIR_Stopband_Attenuation, 200.0); }},
                      Accepted_Case{"RippleSmallestWidths",
                                    1,
                                    3,
                                    {{Bandwidth_Field, "0.00001"}, {Transition_Field, "1e-5"}},
                                    41,
                                    {0, 1e-5, 2e-5, 0.5},
                                    Find_Ripple_Log,
                                    nullptr},
                      // Just above 0.00001 held in single precision (9.999999747e-06), below 1e-5.
                      Accepted_Case{"RippleBandwidthAtSinglePrecisionBound",
                                    1,
                                    3,
                                    {{Bandwidth_Field, "0.0000099999998"}},
                                    41,
                                    {0, 9.9999998e-06, 9.9999998e-06 + 0.05, 0.5},
                                    Find_Ripple_Log,
                                    nullptr},
                      // An even count suits a low-pass (zero at half the sample rate, in its
                      // stopband); an odd one a high-pass.
                      Accepted_Case{"RippleLowPassEvenWeights",
                                    1,
                                    3,
                                    {{Weights_Field, "40"}},
                                    40,
                                    {0, 0.15, 0.2, 0.5},
                                    Find_Ripple_Log,
                                    nullptr},
                      Accepted_Case{"StopbandLowPassEvenWeights",
                                    1,
                                    4,
                                    {{Weights_Field, "40"}},
                                    40,
                                    {0, 0.15, 0.2, 0.5},
                                    Find_Stopband_Log,
                                    nullptr},
                      Accepted_Case{"TransitionLowPassEvenWeights",
                                    1,
                                    2,
                                    {{Weights_Field, "40"}},
                                    40,
                                    {0, 0.15, Start_Stopband_Offset + 0.7 * 0.15, 0.5},
                                    Find_Transition_Log,
                                    nullptr},
                      Accepted_Case{"RippleHighPassOddWeights",
                                    3,
                                    3,
                                    {{Weights_Field, "39"}},
                                    39,
                                    {0, 0.5 - 0.15 - 0.05, 0.35, 0.5},
                                    Find_Ripple_Log,
                                    nullptr},
                      Accepted_Case{"StopbandHighPassWidestTransition",
                                    3,
                                    4,
                                    {{Bandwidth_Field, "0.2499"}, {Transition_Field, "0.25"}},
                                    41,
                                    {0, 0.5 - 0.2499 - 0.25, 0.5 - 0.2499, 0.5},
                                    Find_Stopband_Log,
                                    nullptr},
                      // Blanks beyond the widths read (10 for integers, 20 for reals) are harmless.
                      Accepted_Case{"BlanksBeyondTheReadWidths",
                                    1,
                                    4,
                                    {{Weights_Field, "41" + std::string(20, ' ')},
                                     {Bandwidth_Field, "0.1" + std::string(30, ' ')}},
                                    41,
                                    {0, 0.1, 0.15, 0.5},
                                    Find_Stopband_Log,
                                    [] { EXPECT_EQ(FIR_Passband_Bandwidth, 0.1); }},
                      // The largest count: the arrays are sized for it.
                      Accepted_Case{"TransitionHighPass16385Weights",
                                    3,
                                    2,
                                    {{Weights_Field, "16385"}},
                                    16385,
                                    {0, 0.5 - (Start_Stopband_Offset + 0.7 * 0.15), 0.35, 0.5},
                                    Find_Transition_Log,
                                    [] { EXPECT_EQ(Allocated_Number_of_Weights, 16385); }},
                      // The widest bandwidth still leaves the starting stopband edge inside.
                      Accepted_Case{"TransitionLowPassWidestBandwidth",
                                    1,
                                    2,
                                    {{Bandwidth_Field, "0.499"}},
                                    41,
                                    {0, 0.499, Start_Stopband_Offset + 0.7 * 0.499, 0.5},
                                    Find_Transition_Log,
                                    [] { EXPECT_LT(Band_Edges(3), 0.5); }},
                      Accepted_Case{"TransitionHighPassWidestBandwidth",
                                    3,
                                    2,
                                    {{Bandwidth_Field, "0.499"}},
                                    41,
                                    {0, 0.5 - (Start_Stopband_Offset + 0.7 * 0.499), 0.5 - 0.499, 0.5},
                                    Find_Transition_Log,
                                    [] { EXPECT_GT(Band_Edges(2), 0.0); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ number of weights

struct Order_Case {
    const char* name;
    int band_type, order_kind;
    Changes entries;
    std::vector<double> edges;
    int parity;  // FIROPT_NOW after the dialog
    int ratio;   // Decimation_Ratio afterwards
};

class Find_Order : public ::testing::TestWithParam<Order_Case>, protected Two_Band_Run {};

TEST_P(Find_Order, DesignsTheSmallestFilterOfTheParityThatReachesTheAttenuation) {
    const Order_Case& c = GetParam();
    Choose_Order(c.order_kind);
    script.Accept(c.entries);
    ASSERT_FALSE(Run_Inputs(c.band_type)) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(script.shown.size(), 3u) << "no message box";
    EXPECT_EQ(Decimation_Design, c.order_kind == 2 ? 1 : 0);
    EXPECT_EQ(Decimation_Ratio, c.ratio);
    EXPECT_EQ(FIROPT_NOW, c.parity);
    EXPECT_EQ(FIR_Passband_PtoP_Ripple, 0.1);
    EXPECT_EQ(FIR_Stopband_Attenuation, 55.0);
    EXPECT_EQ(Log_Title(), "FIR filter Design, Number of Weights Optimized");
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    Expect_Edges(c.edges);
    EXPECT_EQ(Band_Desired_Value(Passband()), 1.0);
    EXPECT_EQ(Passband(), c.band_type == 1 ? 1 : 2);
    if (c.parity != 0) { EXPECT_EQ(Number_of_Weights % 2, c.parity == 1 ? 1 : 0); }
    EXPECT_GE(Measured_Attenuation_dB(), 55.0 - Measure_Slack_dB);
    EXPECT_FALSE(console.contains("***Warning"));
}

INSTANTIATE_TEST_SUITE_P(
    Two_Band_Inputs, Find_Order,
    ::testing::Values(
        Order_Case{"LowPassDefaults", 1, 1, {}, {0, 0.15, 0.2, 0.5}, 2, 1},
        Order_Case{"HighPassDefaults", 3, 1, {}, {0, 0.3, 0.35, 0.5}, 1, 1},
        Order_Case{"DecimationRatio2", 1, 2, {}, {0, 0.23, 0.27, 0.5}, 2, 2},
        Order_Case{"HighPassDecimationRatio2", 3, 2, {}, {0, 0.23, 0.27, 0.5}, 1, 2},
        Order_Case{
            "LowPassAnyParity", 1, 1, {{"    Determine order as free, odd, or even", "1"}}, {0, 0.15, 0.2, 0.5}, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ transition width

// The fixed edge of the transition search: "2" moves the passband edge, "3"
// the stopband edge, for a low-pass and (mirrored) for a high-pass.
struct Transition_Case {
    const char* name;
    int band_type, edge_choice;
    double B;
    int fixed_edge;
    double fixed_value;
};

class Find_Transition : public ::testing::TestWithParam<Transition_Case>, protected Two_Band_Run {};

TEST_P(Find_Transition, MovesTheChosenEdgeAndReachesTheAttenuation) {
    const Transition_Case& c = GetParam();
    Choose(2);
    script.Accept({{Bandwidth_Field, std::to_string(c.B)}, {Edge_Index_Field, std::to_string(c.edge_choice)}});
    ASSERT_FALSE(Run_Inputs(c.band_type)) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(Number_of_Weights, 41);
    EXPECT_EQ(Band_Edges(1), 0.0);
    EXPECT_EQ(Band_Edges(4), 0.5);
    EXPECT_DOUBLE_EQ(Band_Edges(c.fixed_edge), c.fixed_value);
    EXPECT_LT(Band_Edges(2), Band_Edges(3));
    EXPECT_EQ(Passband(), c.band_type == 1 ? 1 : 2);
    EXPECT_FALSE(console.contains("***Warning")) << "the search met the attenuation";
    EXPECT_GE(Measured_Attenuation_dB(), 55.0 - Measure_Slack_dB);
    // The passband is where it was asked for: B wide at its end of the band.
    const double passband_width = c.band_type == 1 ? Band_Edges(2) : 0.5 - Band_Edges(3);
    if (c.edge_choice == 3) { EXPECT_DOUBLE_EQ(passband_width, c.B); }
    if (c.edge_choice == 2) { EXPECT_GT(passband_width, 0.0); }
}

INSTANTIATE_TEST_SUITE_P(Two_Band_Inputs, Find_Transition,
                         ::testing::Values(Transition_Case{"LowPassMinimizeTransition", 1, 3, 0.15, 2, 0.15},
                                           Transition_Case{"LowPassOptimizeBandwidth", 1, 2, 0.15, 3,
                                                           Start_Stopband_Offset + 0.7 * 0.15},
                                           Transition_Case{"HighPassMinimizeTransitionB010", 3, 3, 0.10, 3, 0.5 - 0.10},
                                           Transition_Case{"HighPassMinimizeTransitionB020", 3, 3, 0.20, 3, 0.5 - 0.20},
                                           Transition_Case{"HighPassOptimizeBandwidth", 3, 2, 0.20, 2,
                                                           0.5 - (Start_Stopband_Offset + 0.7 * 0.20)}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ 200 weights

// Every path designs a 200-weight filter (more than the 128 the arrays once
// held); the find-order entries need about 200.
struct Long_Case {
    const char* name;
    int path, order_kind;
    Changes entries;
};

class Long_Filters : public ::testing::TestWithParam<Long_Case>, protected Two_Band_Run {};

TEST_P(Long_Filters, AreDesignedOnEveryPath) {
    const Long_Case& c = GetParam();
    Choose_Path(c.path, c.order_kind);
    script.Accept(c.entries);
    ASSERT_FALSE(Run_Inputs(1)) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_LE(Number_of_Weights, Allocated_Number_of_Weights);
    EXPECT_FALSE(console.contains("***Warning"));
    EXPECT_FALSE(console.contains("Storage problem"));
    switch (c.path) {
        case 1:
            EXPECT_GT(Number_of_Weights, 190);
            EXPECT_GE(Measured_Attenuation_dB(), 55.0 - Measure_Slack_dB);
            break;
        case 2:
        case 3:
            EXPECT_EQ(Number_of_Weights, 200);
            EXPECT_GE(Measured_Attenuation_dB(), 55.0 - Measure_Slack_dB);
            break;
        default:
            EXPECT_EQ(Number_of_Weights, 200);
            EXPECT_NEAR(Measured_Ripple_dB(), 0.1, 0.01);
            EXPECT_GT(FIR_Stopband_Attenuation, 55.0) << "200 weights do better than 41";
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Two_Band_Inputs, Long_Filters,
    ::testing::Values(Long_Case{"FindOrder", 1, 1, {{Transition_Field, "0.013"}}},
                      Long_Case{
                          "FindOrderDecimation", 1, 2, {{Ratio_Field, "3"}, {Decimation_Bandwidth_Field, "0.16"}}},
                      Long_Case{"FindTransition", 2, 0, {{Weights_Field, "200"}}},
                      Long_Case{"FindRipple", 3, 0, {{Weights_Field, "200"}, {Transition_Field, "0.012"}}},
                      Long_Case{"FindStopband", 4, 0, {{Weights_Field, "200"}, {Transition_Field, "0.02"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ single cases

class Two_Band_Inputs_Run : public ::testing::Test, protected Two_Band_Run {};

// The figures the searches share outlive the design; what a path does not ask
// for is left alone.
TEST_F(Two_Band_Inputs_Run, KeepsTheSharedFiguresAPathDoesNotAskFor) {
    Decimation_Ratio = 7;
    FIROPT_NOW = 1;
    FIR_Stopband_Attenuation = 66.0;
    Choose(4);
    script.Accept({{Ripple_Field, "0.5"}, {Bandwidth_Field, "0.1"}});
    Stop_At_First_Trial();
    ASSERT_TRUE(Run_Inputs(1));
    EXPECT_EQ(stop_text, "first trial");
    EXPECT_EQ(Decimation_Ratio, 7);
    EXPECT_EQ(FIROPT_NOW, 1);
    EXPECT_EQ(FIR_Stopband_Attenuation, 66.0);
    EXPECT_EQ(FIR_Passband_PtoP_Ripple, 0.5);
    EXPECT_EQ(FIR_Passband_Bandwidth, 0.1);
}

// A ripple of 0 dB is accepted but no order estimate exists and no count
// meets it: the search designs the longest filter of the provisional arrays
// (128 weights) and says that the figures were not met.
TEST_F(Two_Band_Inputs_Run, ZeroRippleDesignsTheProvisionalLengthWithAWarning) {
    Choose_Order(1);
    script.Accept({{Ripple_Field, "0"}});
    ASSERT_FALSE(Run_Inputs(1)) << stop_text;
    EXPECT_EQ(script.shown.size(), 3u) << "no message box";
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(Allocated_Number_of_Weights, 128);
    EXPECT_EQ(Number_of_Weights, 128);
    EXPECT_EQ(console.count("***Warning in FIROPT_Minimize_No_of_Weights"), 1);
}

// A band type that is neither low-pass nor high-pass cannot be set up.
TEST_F(Two_Band_Inputs_Run, OtherBandTypeStopsAtTheSetUp) {
    Choose(3);
    script.Accept();
    ASSERT_TRUE(Run_Inputs(2));
    EXPECT_EQ(stop_text, "###Bad KALTAP_BandType in two_band_boilerplate: 2");
    EXPECT_TRUE(console.contains("###Bad KALTAP_BandType in two_band_boilerplate: 2"));
}

// A refused entry followed by a good one designs with the good one.
TEST_F(Two_Band_Inputs_Run, SecondEntryAfterARefusalIsDesigned) {
    Choose(3);
    script.Accept({{Weights_Field, "2"}});
    script.Accept_Times(2);
    script.Accept({{Weights_Field, "31"}});
    ASSERT_FALSE(Run_Inputs(1)) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(script.dialog_titles(),
              (std::vector<std::string>{Select_Title, Ripple_Title, Path_Box, "Bad Input", Ripple_Title}));
    EXPECT_EQ(Number_of_Weights, 31);
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_NEAR(Measured_Ripple_dB(), FIR_Passband_PtoP_Ripple, 0.01) << "the ripple found is the design's";
}

}  // namespace
