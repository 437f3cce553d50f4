// SPDX-License-Identifier: GPL-3.0-or-later
// The design program from its first dialog to its last output, driven through
// the scripted window layer: the agreement, the design loop with every way of
// ending it, the bits rules, the outputs in their order, and the menu action
// that runs the loop again after the program has stopped.
#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "Dynamic_LUN.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Equalizer.h"
#include "KALTAP_Main.h"
#include "KALTAP_Weight_Quantization.h"
#include "Run_Logging.h"
#include "Unit_IO.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

const char* const Select_Filter_Type = "Select Filter Type";
const char* const Next_Action = "Next action?";
const char* const Bits_Dialog = "Select Number of Bits for Rounding";

// Names of the files in the working directory that end with `suffix`.
std::vector<std::string> files_ending(const std::string& suffix) {
    std::vector<std::string> names;
    DIR* dir = opendir(".");
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

void remove_outputs() {
    for (const char* suffix : {"Hex_Weights.csv", "Filter_Weights.csv", "Frequency_Response.csv", ".txt", ".csv"})
        for (const auto& name : files_ending(suffix)) std::remove(name.c_str());
}

class DesignLoop : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        UIK_Reset_Call_Interface();
        remove_outputs();
        Weights_Quantized = false;
        KALTAP_Filter_Weights_Valid = false;  // as at program start
        KALTAP_Design_Failed = false;
        Equalizer_File_Name = "Equalizer.csv";  // the file dialog's default at program start
    }
    void TearDown() override { remove_outputs(); }

    // The agreement accepted for a filter-design run.
    void agree(int run_type = 1) { script.Accept({{"Agree?", "1"}, {"Select run type:", std::to_string(run_type)}}); }
    // The classical three-band default, up to its report.
    void classical_default() {
        script.Accept({{"Select filter design approach:", "3"}});
        script.Accept();  // filter definition as shown
        script.Accept();  // the three bands as shown
    }
    // Each of `designs` designs was shown in its preview before "Next
    // action?" (the main plot, its one curve), which closed once answered;
    // no plot was saved.
    void Expect_Previews_Only(std::size_t designs) {
        ASSERT_EQ(script.plots.size(), designs);
        for (const Scripted_Plot& plot : script.plots) {
            EXPECT_EQ(plot.title(), "Frequency Response");
            ASSERT_EQ(plot.series.size(), 1u);
            EXPECT_EQ(plot.series[0].label(), "FIR Filter");
            EXPECT_TRUE(plot.closed);
        }
        EXPECT_TRUE(script.saved_files.empty());
    }
    // Runs the design program; true when it ended in an orderly stop.
    bool run_main(std::string* stop_text = nullptr) { return Stops(KALTAP_Main, stop_text); }

    Console_Capture console;
    UIK_Script script;
};

TEST_F(DesignLoop, AgreementDialogAsShown) {
    script.Cancel();
    std::string stop_text;
    EXPECT_TRUE(run_main(&stop_text));
    EXPECT_EQ(stop_text, "Program terminated at user request.");
    // Cancelled before the menu item exists.
    EXPECT_TRUE(script.menu_items.empty());

    ASSERT_EQ(script.shown.size(), 1u);
    const Scripted_Dialog& d = script.shown[0];
    EXPECT_EQ(d.title, "User Agreement and Selection");
    const auto labels = d.labels();
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels[1], "Version 0.92 Release Candidate 3");
    EXPECT_EQ(labels[2], "FIR filter design engine derived from");
    const std::size_t lengths[8] = {0, 0, 0, 79, 77, 33, 91, 39};
    for (int i = 3; i < 8; ++i) EXPECT_EQ(labels[i].size(), lengths[i]) << labels[i];
    EXPECT_EQ(labels[5].substr(labels[5].size() - 2), "\\n");
    EXPECT_NE(labels[3].find("Parks"), std::string::npos);
    EXPECT_NE(labels[3].find("McClellan"), std::string::npos);
    EXPECT_NE(labels[0].find("Copyright"), std::string::npos);
    EXPECT_NE(labels[6].find("hold harmless"), std::string::npos);
    const auto fields = d.fields();
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0]->kind, "checkbox");
    EXPECT_EQ(fields[0]->title, "Agree?");
    EXPECT_FALSE(fields[0]->checked);
    EXPECT_EQ(fields[1]->title, "Select run type:");
    EXPECT_EQ(fields[1]->items, (std::vector<std::string>{"Filter design", "Run test cases and exit"}));
    EXPECT_EQ(fields[1]->selected, 1);
}

TEST_F(DesignLoop, NotAgreeingStops) {
    script.Accept();  // "Agree?" left unchecked
    std::string stop_text;
    EXPECT_TRUE(run_main(&stop_text));
    EXPECT_EQ(stop_text, "Sorry, you must agree to conditions of use.");
    EXPECT_TRUE(console.contains("Sorry, you must agree to conditions of use."));
    EXPECT_TRUE(script.menu_items.empty());
}

TEST_F(DesignLoop, TestCaseRunInstallsTheMenuItemAndEndsNormally) {
    agree(2);
    for (int i = 0; i < 10; ++i) console.input.push_back("");
    std::string stop_text = "x";
    EXPECT_TRUE(run_main(&stop_text));
    EXPECT_EQ(stop_text, "");
    EXPECT_EQ(KALTAP_Run_Type, 2);
    ASSERT_EQ(script.menu_items.size(), 10u);  // "New FIR Filter Design", "Export Weights…", "Save Design…",
                                               // "Open Design…", the six of "View"
    EXPECT_EQ(script.menu_items[0].unit, -2);
    EXPECT_EQ(script.menu_items[0].menu, "FIR Design");
    EXPECT_EQ(script.menu_items[0].item, "New FIR Filter Design");
    EXPECT_EQ(script.menu_items[0].callback, &KALTAP_New_Design_Action);
    EXPECT_EQ(script.menu_items[1].unit, -2);
    EXPECT_EQ(script.menu_items[1].menu, "FIR Design");
    EXPECT_EQ(script.menu_items[1].item, "Export Weights…");
    EXPECT_TRUE(console.input.empty());  // one console line per case
    EXPECT_TRUE(console.contains("Testing Complete."));
    EXPECT_EQ(console.lines.back(), "");  // the stop's empty line follows "Normal exit."
    EXPECT_EQ(console.lines[console.lines.size() - 2], "Normal exit.");
    EXPECT_EQ(script.dialog_titles(), (std::vector<std::string>{"User Agreement and Selection"}));
}

TEST_F(DesignLoop, FilterTypeDialogAndItsCancel) {
    agree();
    script.Cancel();
    EXPECT_TRUE(run_main());
    ASSERT_EQ(script.shown.size(), 2u);
    const Scripted_Dialog& d = script.shown[1];
    EXPECT_EQ(d.title, Select_Filter_Type);
    ASSERT_EQ(d.fields().size(), 1u);
    EXPECT_EQ(d.fields()[0]->title, "Select filter design approach:");
    EXPECT_EQ(d.fields()[0]->items, (std::vector<std::string>{"FIR low-pass design, program finds one free parameter",
                                                              "FIR high-pass design, program finds one free parameter",
                                                              "Multiple band, Hilbert Transformer, or Differentiator",
                                                              "Equalizer with one user-specified frequency response"}));
    EXPECT_EQ(d.fields()[0]->selected, 1);
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "Normal Exit");
    EXPECT_EQ(script.alerts[0].text, "Program exit on user option.");
    EXPECT_TRUE(console.contains("Normal exit."));
    EXPECT_TRUE(script.script_errors.empty());
}

TEST_F(DesignLoop, NextActionCancelAndAnotherDesignWriteNoFiles) {
    agree();
    classical_default();
    script.Accept({{"Select next action:", "2"}});  // perform another design
    classical_default();
    script.Cancel();  // next action
    EXPECT_TRUE(run_main());
    EXPECT_EQ(
        script.dialog_titles(),
        (std::vector<std::string>{"User Agreement and Selection", Select_Filter_Type, "Legacy FIR Filter Parameters",
                                  "Band Definitions", Next_Action, Select_Filter_Type, "Legacy FIR Filter Parameters",
                                  "Band Definitions", Next_Action}));
    const Scripted_Dialog& next = script.shown[4];
    EXPECT_EQ(next.fields()[0]->title, "Select next action:");
    EXPECT_EQ(next.fields()[0]->items,
              (std::vector<std::string>{"Accept the FIR filter design, proceed to select outputs",
                                        "Perform another FIR filter design"}));
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "Normal exit");
    EXPECT_EQ(script.alerts[0].text, "Program exit on user option.");
    EXPECT_TRUE(files_ending("Filter_Weights.csv").empty());
    Expect_Previews_Only(2);
    // The report went to the console once per design, and to each design's
    // own run log, closed when its path ended.
    EXPECT_EQ(console.count("Remez Exchange Algorithm"), 2);
    EXPECT_EQ(Run_Log_Unit, 0);
    const auto logs = files_ending(".txt");
    ASSERT_EQ(logs.size(), 2u);
    for (const auto& log : logs) {
        ASSERT_NE(log.find("Classical_FIR_Filter_Design_Log_"), std::string::npos);
        int in_log = 0;
        for (const auto& line : Read_Lines(log))
            if (line.find("Remez Exchange Algorithm") != std::string::npos) ++in_log;
        EXPECT_GE(in_log, 1) << log;
    }
}

// The taps of a weights file, h(1..N).
std::vector<double> taps_of(const std::string& file) {
    std::vector<double> taps;
    const auto lines = Read_Lines(file);
    for (std::size_t i = 1; i < lines.size(); ++i) taps.push_back(std::stod(lines[i].substr(lines[i].find(',') + 1)));
    return taps;
}

// Two designs in one minute keep two complete sets: the second design's run
// log, CSV files and images take the stem "_2", and the first design's hex
// file stays with its own 42 taps instead of beside the second's 21.
TEST_F(DesignLoop, TwoDesignsInOneMinuteKeepTwoCompleteSets) {
    Fix_Clock_And_Clear_Results();  // every design at 14:07 on 6 December 2026
    agree();
    classical_default();
    script.Accept();
    script.Accept({{"Number of Bits (2 to 48)", "16"}});
    EXPECT_TRUE(run_main());
    const std::vector<double> first = Full_Impulse_Response();
    script.Accept({{"Select filter design approach:", "3"}});
    script.Accept({{"Number of weights", "21"}});
    script.Accept();  // the bands as shown
    script.Accept();  // next action: accept
    script.Accept({{"Number of Bits (2 to 48)", "0"}});
    KALTAP_New_Design_Action();
    const std::vector<double> second = Full_Impulse_Response();
    ASSERT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    ASSERT_EQ(second.size(), 21u);

    struct Set {
        std::string stem;
        const std::vector<double>& taps;
        bool quantized;
    };
    for (const Set& set : {Set{"20261206_1407", first, true}, Set{"20261206_1407_2", second, false}}) {
        SCOPED_TRACE(set.stem);
        const std::string prefix = set.stem + "_";
        EXPECT_EQ(taps_of(prefix + "Filter_Weights.csv"), set.taps);
        EXPECT_EQ(Read_Lines(prefix + "Frequency_Response.csv").size(), 2 + set.taps.size() * 32);
        const auto hex = Read_Lines(prefix + "Hex_Weights.csv");
        EXPECT_EQ(hex.size(), set.quantized ? 3 + set.taps.size() : 0u);
        const auto log = Read_Lines("Classical_FIR_Filter_Design_Log_" + set.stem + ".txt");
        int reports = 0;
        for (const auto& line : log)
            if (line.find("Filter Length = " + std::to_string(set.taps.size())) != std::string::npos) ++reports;
        EXPECT_GE(reports, 1);
        EXPECT_NE(std::find(script.saved_files.begin(), script.saved_files.end(), prefix + "plot_1X.png"),
                  script.saved_files.end());
    }
    EXPECT_EQ(files_ending("Filter_Weights.csv").size(), 2u);
}

// A run of the program makes any number of designs: every design path gives
// its run log's unit back when it ends, and every writer its file's, so the
// allocator's hundred units never run out.
TEST_F(DesignLoop, ThreeHundredDesignsInOneRun) {
    constexpr int Designs = 300;
    Fix_Clock_And_Clear_Results();
    agree();
    for (int k = 0; k < Designs; ++k) {
        script.Accept({{"Select filter design approach:", "3"}});
        script.Accept({{"Number of weights", "15"}, {"Search Grid Density", "4"}});
        script.Accept();  // the bands as shown
        script.Accept();  // next action: accept
        script.Accept({{"Number of Bits (2 to 48)", k % 2 ? "0" : "12"}});
    }
    EXPECT_TRUE(run_main());
    for (int k = 1; k < Designs; ++k) KALTAP_New_Design_Action();
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    EXPECT_FALSE(console.contains("###Error"));
    EXPECT_FALSE(console.contains("Overflow"));
    EXPECT_EQ(DYNLUN_Count, 0);
    EXPECT_EQ(Run_Log_Unit, 0);
    EXPECT_EQ(files_ending("Filter_Weights.csv").size(), std::size_t{Designs});
    EXPECT_EQ(files_ending("Log_20261206_1407_300.txt").size(), 1u);
    EXPECT_EQ(taps_of("20261206_1407_300_Filter_Weights.csv"), Full_Impulse_Response());
}

// Bits entries and what the loop makes of them.
struct Bits_Case {
    std::vector<std::string> entries;   // typed into the bits dialog, in order
    std::vector<std::string> messages;  // message-box lines shown, in order
    int bits;                           // accepted value
};

class BitsRules : public DesignLoop, public ::testing::WithParamInterface<Bits_Case> {};

TEST_P(BitsRules, EntriesAreCheckedThenTheOutputsFollow) {
    const Bits_Case& c = GetParam();
    agree();
    classical_default();
    script.Accept();  // accept the design
    for (const auto& entry : c.entries) {
        script.Accept({{"Number of Bits (2 to 48)", entry}});
        // A refused entry shows one box; so do letters (then taken as 0).
        // Text beyond the five characters read is out of range.
        const bool over_long = entry.find_first_not_of(' ', 5) != std::string::npos;
        long long value = 0;
        const bool digits = over_long || UNIT_Parse_Integer(entry.substr(0, 5), value);
        const bool refused = over_long || (digits && !(value == 0 || (value >= 2 && value <= 48)));
        if (!digits || refused) { script.Accept(); }
    }
    EXPECT_TRUE(run_main());
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    std::vector<std::string> shown_messages;
    for (const auto& d : script.shown)
        if (d.title == "Bad Input") shown_messages.push_back(d.labels().at(0));
    EXPECT_EQ(shown_messages, c.messages);
    EXPECT_EQ(KALTAP_Bits, c.bits);
    EXPECT_EQ(files_ending("Hex_Weights.csv").size(), c.bits >= 2 ? 1u : 0u);
    EXPECT_EQ(files_ending("Filter_Weights.csv").size(), 1u);
    EXPECT_EQ(files_ending("Frequency_Response.csv").size(), 1u);
    const Scripted_Plot* main_plot = script.plot_saved_as("plot_1X.png");
    ASSERT_NE(main_plot, nullptr);
    ASSERT_EQ(main_plot->series.size(), c.bits >= 2 ? 2u : 1u);
    if (c.bits >= 2) { EXPECT_EQ(main_plot->series[1].label(), "Rounded to " + std::to_string(c.bits) + " Bits"); }
    EXPECT_TRUE(console.contains(KALTAP_Menu_Hint));
}

INSTANTIATE_TEST_SUITE_P(Entries, BitsRules,
                         ::testing::Values(Bits_Case{{"16"}, {}, 16}, Bits_Case{{"0"}, {}, 0}, Bits_Case{{"2"}, {}, 2},
                                           Bits_Case{{"48"}, {}, 48},
                                           Bits_Case{{"1", "16"}, {"Select 0, or between 2 and 48"}, 16},
                                           Bits_Case{{"-3", "0"}, {"Select 0, or between 2 and 48"}, 0},
                                           Bits_Case{{"49", "12"}, {"Select 0, or between 2 and 48"}, 12},
                                           // Six digits are read from the first five: 12345, refused.
                                           Bits_Case{{"123456", "8"}, {"Select 0, or between 2 and 48"}, 8},
                                           // Never cut to "16   " nor taken as letters (no rounding).
                                           Bits_Case{{"16   7", "8"}, {"Select 0, or between 2 and 48"}, 8},
                                           Bits_Case{{"sixteen", "0"}, {"Select 0, or between 2 and 48"}, 0},
                                           // Letters: message, then no rounding.
                                           Bits_Case{{"abc"}, {"Numeric digits only!"}, 0}));

// ---- Every path from the filter-type dialog to its outputs ----

struct Path_Case {
    const char* name;
    std::vector<std::vector<std::pair<std::string, std::string>>> answers;  // OK answers after the agreement
    int bits;
    int weights;  // expected number of weights (0: any)
    int parity;   // 0 any, 1 odd, 2 even
};

void PrintTo(const Path_Case& c, std::ostream* os) { *os << c.name; }

const char* const Approach = "Select filter design approach:";
const char* const Optimization = "Select next action:";

class EveryPath : public DesignLoop, public ::testing::WithParamInterface<Path_Case> {};

TEST_P(EveryPath, RunsEndToEndAndWritesItsOutputs) {
    const Path_Case& c = GetParam();
    Equalizer_Pause_Seconds = 0.0;
    {
        std::ofstream csv("Equalizer.csv");
        csv << "Frequency (Hz),Gain\n";
        for (int i = 0; i <= 8; ++i) csv << 500 * i << "," << 2.0 - 0.2 * i << "\n";
    }
    agree();
    for (const auto& answer : c.answers) script.Accept(answer);
    script.Accept();  // next action: accept
    script.Accept({{"Number of Bits (2 to 48)", std::to_string(c.bits)}});
    std::string stop_text;
    EXPECT_TRUE(run_main(&stop_text));
    EXPECT_EQ(stop_text, "");
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    EXPECT_FALSE(console.contains("###Error"));
    EXPECT_TRUE(console.contains(KALTAP_Menu_Hint));
    // No message box came between the dialogs: agreement, the path, next action, bits.
    EXPECT_EQ(script.shown.size(), c.answers.size() + 3);
    // The window layer may start the path's inputs from the user's earlier
    // entries, never the agreement or the next action.
    for (const UIK_Request& request : script.requests) {
        if (request.signal != "createDialogWindow") continue;
        const std::string title = std::get<std::string>(*UIK_Find(request.properties, "windowTitle"));
        const UIK_Value* remembered = UIK_Find(request.properties, "remembered");
        ASSERT_NE(remembered, nullptr) << title;
        EXPECT_EQ(std::get<bool>(*remembered), title != "User Agreement and Selection" && title != Next_Action)
            << title;
    }

    const int N = Number_of_Weights;
    if (c.weights != 0) { EXPECT_EQ(N, c.weights); }
    if (c.parity != 0) { EXPECT_EQ(N % 2, c.parity % 2); }
    // The weights file holds N taps with the symmetry of the filter.
    const auto weights = files_ending("Filter_Weights.csv");
    ASSERT_EQ(weights.size(), 1u);
    const auto lines = Read_Lines(weights[0]);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(N) + 1);
    const double h1 = std::stod(lines[1].substr(lines[1].find(',') + 1));
    const double hN = std::stod(lines[N].substr(lines[N].find(',') + 1));
    EXPECT_EQ(std::fabs(h1), std::fabs(hN));
    EXPECT_EQ(files_ending("Hex_Weights.csv").size(), c.bits >= 2 ? 1u : 0u);
    // Six plots; the main one over the response file's frequencies.
    ASSERT_EQ(script.saved_files.size(), 6u);
    const Scripted_Plot* main_plot = script.plot_saved_as("plot_1X.png");
    ASSERT_NE(main_plot, nullptr);
    ASSERT_EQ(main_plot->series.size(), c.bits >= 2 ? 2u : 1u);
    EXPECT_EQ(main_plot->series[0].points.size(), static_cast<std::size_t>(N) * Search_Grid_Density + 1);
    EXPECT_EQ(main_plot->series[0].points.back().first, 0.5);
    const auto response = files_ending("Frequency_Response.csv");
    ASSERT_EQ(response.size(), 1u);
    EXPECT_EQ(Read_Lines(response[0]).size(), main_plot->series[0].points.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, EveryPath,
    ::testing::Values(
        Path_Case{"classical_default", {{{Approach, "3"}}, {}, {}}, 16, 42, 2},
        Path_Case{"differentiator",
                  {{{Approach, "3"}},
                   {{"Select type of filter to design:", "2"},
                    {"Number of Bands (use 1 for differentiator or Hilbert transformer)", "1"},
                    {"Number of weights", "31"}},
                   {{"Right Band Edge", "0.45"}}},
                  0,
                  31,
                  1},
        Path_Case{"hilbert",
                  {{{Approach, "3"}},
                   {{"Select type of filter to design:", "3"},
                    {"Number of Bands (use 1 for differentiator or Hilbert transformer)", "1"},
                    {"Number of weights", "41"}},
                   {{"Left Band Edge", "0.05"}, {"Right Band Edge", "0.45"}}},
                  16,
                  41,
                  1},
        Path_Case{"low_pass_find_order", {{{Approach, "1"}}, {}, {}, {}}, 16, 0, 2},
        Path_Case{"low_pass_find_transition", {{{Approach, "1"}}, {{Optimization, "2"}}, {}}, 0, 41, 1},
        Path_Case{"low_pass_find_ripple", {{{Approach, "1"}}, {{Optimization, "3"}}, {}}, 0, 41, 1},
        Path_Case{"low_pass_find_stopband", {{{Approach, "1"}}, {{Optimization, "4"}}, {}}, 0, 41, 1},
        Path_Case{"high_pass_find_order", {{{Approach, "2"}}, {}, {}, {}}, 16, 0, 1},
        Path_Case{
            "decimation_default", {{{Approach, "1"}}, {}, {{"Select type of FIR filter design:", "2"}}, {}}, 16, 0, 2},
        Path_Case{"equalizer_in_hz", {{{Approach, "4"}}, {}, {}, {}}, 12, 73, 1}));

TEST_F(DesignLoop, BitsDialogAsShownAndItsCancelEndsWithoutOutputs) {
    agree();
    classical_default();
    script.Accept();
    script.Cancel();  // bits
    EXPECT_TRUE(run_main());
    const auto bits = script.dialogs_titled(Bits_Dialog);
    ASSERT_EQ(bits.size(), 1u);
    EXPECT_EQ(bits[0]->labels(),
              (std::vector<std::string>{"Use 0 if you don't want rounding.",
                                        "Use 24 for IEEE 754-2008 single precision floating point."}));
    ASSERT_EQ(bits[0]->fields().size(), 1u);
    EXPECT_EQ(bits[0]->fields()[0]->title, "Number of Bits (2 to 48)");
    EXPECT_EQ(bits[0]->fields()[0]->text, "16");
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "End Procedure");
    EXPECT_EQ(script.alerts[0].text, "Program exit on user option.");
    EXPECT_TRUE(files_ending("Filter_Weights.csv").empty());
    Expect_Previews_Only(1);
    EXPECT_FALSE(console.contains(KALTAP_Menu_Hint));
}

TEST_F(DesignLoop, OutputsOfTheClassicalDefaultWithSixteenBits) {
    agree();
    classical_default();
    script.Accept();
    script.Accept();  // 16 bits
    EXPECT_TRUE(run_main());
    EXPECT_TRUE(script.script_errors.empty());
    const auto weights = files_ending("Filter_Weights.csv");
    ASSERT_EQ(weights.size(), 1u);
    // Plots in the loop's order, each saved once, under the stem of the CSV files.
    const std::string stem = weights[0].substr(0, weights[0].size() - std::string("Filter_Weights.csv").size());
    std::vector<std::string> plots;
    for (const char* view :
         {"plot_3XL.png", "plot_2XL.png", "plot_1XL.png", "plot_3X.png", "plot_2X.png", "plot_1X.png"})
        plots.push_back(stem + view);
    EXPECT_EQ(script.saved_files, plots);
    // 42 weights at density 32: 1345 points in the main plot, 2689 in the linear half plot.
    EXPECT_EQ(script.plot_saved_as("plot_1X.png")->series[0].points.size(), 1345u);
    EXPECT_EQ(script.plot_saved_as("plot_1XL.png")->series[0].points.size(), 2689u);
    // The weights file reads back as 42 taps of a symmetric filter.
    const auto lines = Read_Lines(weights[0]);
    ASSERT_EQ(lines.size(), 43u);
    EXPECT_EQ(lines[0], "i,Weight");
    const double first = std::stod(lines[1].substr(lines[1].find(',') + 1));
    const double last = std::stod(lines[42].substr(lines[42].find(',') + 1));
    EXPECT_EQ(first, last);
    // The hex file lists the 42 quantized taps.
    const auto hex = files_ending("Hex_Weights.csv");
    ASSERT_EQ(hex.size(), 1u);
    EXPECT_EQ(Read_Lines(hex[0]).size(), 3u + 42u);
    // Report on the console, then in the log; menu hint last before "Normal exit.".
    const auto end = console.lines.end();
    EXPECT_EQ(*(end - 3), KALTAP_Menu_Hint);
    EXPECT_EQ(*(end - 2), "Normal exit.");
}

TEST_F(DesignLoop, CancelledClassicalDefinitionWithoutEarlierDesignEndsTheLoop) {
    agree();
    script.Accept({{"Select filter design approach:", "3"}});
    script.Cancel();  // filter definition
    EXPECT_TRUE(run_main());
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "Procedure ended");
    EXPECT_FALSE(console.contains("###Error"));
    EXPECT_TRUE(console.contains("Normal exit."));
    EXPECT_TRUE(script.dialogs_titled(Next_Action).empty());
}

// Lines of the design reports on the console that contain `text`.
const char* const Report_Length_42 = "Filter Length = 42";

// A refused definition, then Cancel: the previous design is reported as it
// was made (42 taps, 3 bands), never with the sizes typed into the refused
// dialog, and accepting it writes the 42-tap file.
TEST_F(DesignLoop, CancelAfterARefusedDefinitionReportsThePreviousDesignWithItsOwnSizes) {
    agree();
    classical_default();
    script.Accept({{"Select next action:", "2"}});
    script.Accept({{"Select filter design approach:", "3"}});
    script.Accept({{"Number of weights", "40"},
                   {"Number of Bands (use 1 for differentiator or Hilbert transformer)", "50"},
                   {"Search Grid Density", "2"}});
    script.Accept();  // "Input Error!  Search grid density < 4 or > 32"
    script.Cancel();  // the definition dialog again
    script.Accept();  // next action: accept the previous design
    script.Accept({{"Number of Bits (2 to 48)", "0"}});
    EXPECT_TRUE(run_main());
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    EXPECT_EQ(Number_of_Weights, 42);
    EXPECT_EQ(Number_of_Bands, 3);
    EXPECT_EQ(Type_of_Filter, 1);
    EXPECT_EQ(console.count(Report_Length_42), 2);
    EXPECT_FALSE(console.contains("Band  4"));
    EXPECT_FALSE(console.contains("NaN"));
    EXPECT_FALSE(console.contains("Infinity"));
    const auto weights = files_ending("Filter_Weights.csv");
    ASSERT_EQ(weights.size(), 1u);
    const auto lines = Read_Lines(weights[0]);
    ASSERT_EQ(lines.size(), 43u);
    // The taps of the 42-tap band-pass design: finite and symmetric.
    for (int i = 1; i <= 42; ++i) {
        const double h = std::stod(lines[i].substr(lines[i].find(',') + 1));
        const double mirror = std::stod(lines[43 - i].substr(lines[43 - i].find(',') + 1));
        EXPECT_TRUE(std::isfinite(h)) << i;
        EXPECT_EQ(h, mirror) << i;
    }
}

// An equalizer set-up that stops on a missing file has already given up the
// previous design: a later Cancel of the classical definition ends the loop
// instead of reporting the old band-pass filter as an equalizer.
TEST_F(DesignLoop, EqualizerStoppedOnAMissingFileLeavesNoDesignToReport) {
    std::remove("missing.csv");
    agree();
    classical_default();
    script.Accept();
    script.Accept({{"Number of Bits (2 to 48)", "0"}});
    EXPECT_TRUE(run_main());
    ASSERT_EQ(script.menu_items.size(), 10u);  // "New FIR Filter Design", "Export Weights…", "Save Design…",
                                               // "Open Design…", the six of "View"
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);

    script.Accept({{"Select filter design approach:", "4"}});
    script.Accept({{"Input data file", "missing.csv"}});
    EXPECT_EQ(script.menu_items[0].callback(), 0);
    ASSERT_FALSE(script.alerts.empty());
    EXPECT_EQ(script.alerts.back().text, "Can't open missing.csv");
    EXPECT_FALSE(KALTAP_Filter_Weights_Valid);

    script.Accept({{"Select filter design approach:", "3"}});
    script.Cancel();  // filter definition
    const int reports = console.count("Remez Exchange Algorithm");
    EXPECT_EQ(script.menu_items[0].callback(), 0);
    EXPECT_EQ(console.count("Remez Exchange Algorithm"), reports);
    EXPECT_EQ(script.dialogs_titled(Next_Action).size(), 1u);
    EXPECT_EQ(script.alerts.back().title, "Procedure ended");
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
}

// A design whose taps are not finite has failed: no report, no "Next
// action?", no files or plots; the loop asks for the filter type again and
// the next design goes through as usual.
TEST_F(DesignLoop, FailedDesignGoesBackToTheFilterTypeWithoutReportOrOutputs) {
    Equalizer_Pause_Seconds = 0.0;
    {
        std::ofstream csv("Equalizer.csv");
        csv << "Frequency,Gain\n0,1\n0.25,0.5\n0.5,0.25\n";
    }
    agree();
    script.Accept({{"Select filter design approach:", "4"}});
    script.Accept();  // file
    script.Accept();  // "Equalizer Initialization Complete"
    // The parameters dialog: from here on the design's desired response is
    // not a number, so no tap can be finite; the response routine also marks
    // the design as failed, as the engine does for non-finite taps.
    script.Answer_With([](const Scripted_Dialog& d) {
        KALTAP_Equalizer_Response_Hook = [](double, int, double& desired, double& weight) {
            desired = std::nan("");
            weight = 1.0;
            KALTAP_Design_Failed = true;
        };
        return Scripted_Answer_List(d, true);
    });
    classical_default();
    script.Accept();
    script.Accept({{"Number of Bits (2 to 48)", "0"}});
    EXPECT_TRUE(run_main());
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
    EXPECT_EQ(script.dialog_titles(),
              (std::vector<std::string>{"User Agreement and Selection", Select_Filter_Type, "Input Data File Selection",
                                        "Equalizer Initialization Complete", "Fundamental FIR Filter Parameters",
                                        Select_Filter_Type, "Legacy FIR Filter Parameters", "Band Definitions",
                                        Next_Action, Bits_Dialog}));
    // One report (the band-pass design), one set of files and plots.
    EXPECT_EQ(console.count("Remez Exchange Algorithm"), 1);
    EXPECT_FALSE(console.contains("                         Equalizer"));
    EXPECT_EQ(files_ending("Filter_Weights.csv").size(), 1u);
    EXPECT_EQ(script.saved_files.size(), 6u);
    EXPECT_EQ(Number_of_Weights, 42);
    EXPECT_TRUE(console.contains(KALTAP_Menu_Hint));
}

TEST_F(DesignLoop, MenuActionRunsANewLoopAfterTheProgramStopped) {
    agree();
    script.Cancel();  // filter type: the program ends normally
    EXPECT_TRUE(run_main());
    ASSERT_EQ(script.menu_items.size(), 10u);  // "New FIR Filter Design", "Export Weights…", "Save Design…",
                                               // "Open Design…", the six of "View"
    const std::size_t before = script.shown.size();

    // From the menu: a full design, and a stop inside a second loop that
    // ends only that loop.
    classical_default();
    script.Accept();
    script.Accept({{"Number of Bits (2 to 48)", "0"}});
    EXPECT_EQ(script.menu_items[0].callback(), 0);
    EXPECT_EQ(script.shown[before].title, Select_Filter_Type);
    EXPECT_EQ(script.saved_files.size(), 6u);
    EXPECT_TRUE(console.contains(KALTAP_Menu_Hint));

    script.Accept({{"Select filter design approach:", "3"}});
    script.Accept();
    script.Cancel();  // band dialog: stops the program
    EXPECT_EQ(script.menu_items[0].callback(), 0);
    EXPECT_TRUE(console.contains("Program terminated at user request."));
    EXPECT_TRUE(script.script_errors.empty());
}

TEST_F(DesignLoop, TheProgramThreadHandsOverToTheStopHookAfterTheProgram) {
    bool parked = false;
    UNIT_Hooks hooks = UNIT_Current_Hooks();
    hooks.stop = [&parked] { parked = true; };
    UNIT_Register_Hooks(hooks);
    script.Cancel();
    KALTAP_Run_Design_Program();
    EXPECT_TRUE(parked);
}

}  // namespace

namespace {

// A design whose figures are measured from its taps (here: the exchange does
// not converge) is shown as such before it can be accepted; a converged one
// asks plainly.
struct Acceptance_Case {
    const char* name;
    const char* weights;
    const char* warning;  // the figures warning the dialog shows, if any
};

class Acceptance : public DesignLoop, public ::testing::WithParamInterface<Acceptance_Case> {};

TEST_P(Acceptance, NextActionShowsTheFiguresWarning) {
    agree();
    script.Accept({{"Select filter design approach:", "3"}});
    script.Accept({{"Number of Bands (use 1 for differentiator or Hilbert transformer)", "2"},
                   {"Number of weights", GetParam().weights}});
    script.Accept({{"Left Band Edge@1", "0.0"},
                   {"Right Band Edge@1", "0.1"},
                   {"Desired Frequency Response@1", "1"},
                   {"Band Weighting@1", "1"},
                   {"Left Band Edge@2", "0.2"},
                   {"Right Band Edge@2", "0.5"},
                   {"Desired Frequency Response@2", "0"},
                   {"Band Weighting@2", "1"}});
    script.Cancel();  // next action
    EXPECT_TRUE(run_main());
    const auto next = script.dialogs_titled(Next_Action);
    ASSERT_EQ(next.size(), 1u);
    std::string shown;
    for (const auto& label : next[0]->labels()) shown += label + " ";
    const bool warned = GetParam().warning != nullptr;
    if (warned) { EXPECT_NE(shown.find(GetParam().warning), std::string::npos) << shown; }
    EXPECT_EQ(shown.find("measured from the taps") != std::string::npos, warned) << shown;
    for (const auto& label : next[0]->labels()) EXPECT_LE(label.size(), 80u) << label;
    EXPECT_EQ(console.count("measured from the taps"), warned ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Designs, Acceptance,
                         ::testing::Values(Acceptance_Case{"Converged", "31", nullptr},
                                           Acceptance_Case{"BeyondDouble", "201", "found by an exchange in"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
