// SPDX-License-Identifier: GPL-3.0-or-later
// The test-case run: the ten reference designs with their log, pauses and
// result files; loading a case; the elapsed-time line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <regex>
#include <tuple>

#include "Design_Warnings.h"
#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Analysis_Views.h"
#include "KALTAP_Export_Menu.h"
#include "KALTAP_Main.h"
#include "KALTAP_Remez_Engine.h"
#include "KALTAP_Testing.h"
#include "KALTAP_Weight_Export.h"
#include "KALTAP_Weight_Quantization.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

const char* const Log_Name = "KALTAP_Test_log_20261206_1000.txt";
const char* const Prompt = "Inspect Check Values and press any key to continue.";

const std::vector<std::string> Reference_Lines = {
    "Iterations = 5, Middle weight: 0.23354606, Max Error: -38.10803508",
    "Iterations = 6, Middle weight: 0.23978267, Max Error: -38.23867646",
    "Iterations = 4, Middle weight: 0.30410917, Max Error: -56.40254636",
    "Iterations = 8, Middle weight: 0.46270287, Max Error: -55.88565632",
    "Iterations = 4, Middle weight: 0.20266535, Max Error: 0.00620231",
    "Iterations = 6, Middle weight: 0.15784562, Max Error: 0.00299411",
    "Iterations = 4, Middle weight: 0.63475618, Max Error: 0.02055604",
    "Iterations = 4, Middle weight: 0.62903223, Max Error: 0.02274748",
    "Iterations = 4, Middle weight: 0.63487602, Max Error: 0.01438602",
    "Iterations = 5, Middle weight: 0.62999253, Max Error: 0.01107411",
};

std::vector<std::string> Files_Ending_With(const std::string& suffix) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(".")) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

int Count_Lines_Containing(const std::vector<std::string>& lines, const std::string& text) {
    int n = 0;
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos) ++n;
    return n;
}

// A clock at 2026-12-06 10:00 that moves 7 ms on at every reading, so that
// file names are known and every timed design takes a measurable time.
class Test_Case_Run : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        milliseconds_ = 0;
        Timers_Set_Clock([this] {
            Clock_Reading r;
            r.year = 2026;
            r.month = 12;
            r.day = 6;
            r.hour = 10;
            r.minute = static_cast<int>(milliseconds_ / 60000);
            r.second = static_cast<int>(milliseconds_ / 1000 % 60);
            r.sub_second = static_cast<int>(milliseconds_ % 1000);
            milliseconds_ += 7;
            return r;
        });
        for (const auto& name : Files_Ending_With(".csv")) std::remove(name.c_str());
        std::remove(Log_Name);
    }
    void TearDown() override {
        Timers_Set_Clock(nullptr);
        Reset_Design_Program();
    }

    // Records, for every console read, the console line written just before it.
    void Record_Reads() {
        UNIT_Hooks h = UNIT_Current_Hooks();
        auto answer = h.read_line;
        h.read_line = [this, answer](char* buffer, int length, int unit) {
            lines_before_reads.push_back(console.lines.empty() ? std::string() : console.lines.back());
            return answer(buffer, length, unit);
        };
        UNIT_Register_Hooks(h);
    }

    long long milliseconds_ = 0;
    Console_Capture console;
    std::vector<std::string> lines_before_reads;
};

TEST_F(Test_Case_Run, TenCasesLoggedWithTimesReportsReferencesAndPauses) {
    Record_Reads();
    for (int k = 1; k <= 10; ++k) console.input.push_back("answer " + std::to_string(k));
    std::string stop_text;
    ASSERT_FALSE(Stops(KALTAP_Test_Cases, &stop_text)) << "stopped: " << stop_text;

    // One pause after each case, answered by one line each.
    EXPECT_EQ(lines_before_reads, std::vector<std::string>(10, Prompt));
    EXPECT_TRUE(console.input.empty());
    EXPECT_EQ(console.count(Prompt), 10);

    const auto log = Read_Lines(Log_Name);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "FIR filter Design Test Cases");
    EXPECT_EQ(FMT_Trim(log[1]).rfind("Date 20261206, time 1000", 0), 0u) << log[1];
    EXPECT_EQ(log.back(), "Testing Complete.");

    // Per case, in this order: elapsed time, design report, reference values.
    const std::regex elapsed("Elapsed time: ([0-9]+\\.[0-9]{3}|\\*{6}) milliseconds\\.");
    std::string order;
    std::vector<std::string> references;
    for (const auto& line : log) {
        std::smatch m;
        if (std::regex_match(line, m, elapsed)) {
            order += 'E';
            EXPECT_GT(std::stod(m[1]), 0.0) << line;  // the clock moved during the design
        } else if (line.find("Finite Impulse Response (FIR)") != std::string::npos) {
            order += 'R';
        } else if (line.rfind("Iterations = ", 0) == 0) {
            order += 'C';
            references.push_back(line);
        }
    }
    std::string expected_order;
    for (int k = 0; k < 10; ++k) expected_order += "ERC";
    EXPECT_EQ(order, expected_order);
    EXPECT_EQ(references, Reference_Lines);

    // The reports go to the console as well; the exchange logs every iteration
    // (the reference iteration counts add up to 50).
    EXPECT_EQ(console.count("Finite Impulse Response (FIR)"), 10);
    EXPECT_EQ(Count_Lines_Containing(log, "Iteration "), 50);
    EXPECT_EQ(Count_Lines_Containing(log, "Bandpass Filter"), 4);
    EXPECT_EQ(Count_Lines_Containing(log, "Differentiator"), 2);
    EXPECT_EQ(Count_Lines_Containing(log, "Hilbert Transformer"), 4);

    // Afterwards: arrays released, the log closed and its unit handed back.
    EXPECT_FALSE(Filter_Weights.allocated());
    EXPECT_FALSE(Band_Edges.allocated());
    EXPECT_EQ(DYNLUN_Count, 0);
    EXPECT_FALSE(UNIT_Is_Open(44));

    // Every case keeps its result files: the first under the log's stem, case
    // k under "_k"; the tenth has 23 taps and 23 * 32 + 1 response points.
    EXPECT_EQ(Files_Ending_With("_Filter_Weights.csv").size(), 10u);
    EXPECT_EQ(Files_Ending_With("_Frequency_Response.csv").size(), 10u);
    for (int k = 1; k <= 10; ++k) {
        const std::string stem = "20261206_1000" + (k > 1 ? "_" + std::to_string(k) : std::string()) + "_";
        EXPECT_FALSE(Read_Lines(stem + "Filter_Weights.csv").empty()) << stem;
    }
    EXPECT_EQ(Read_Lines("20261206_1000_10_Filter_Weights.csv").size(), 1u + 23u);
    EXPECT_EQ(Read_Lines("20261206_1000_10_Frequency_Response.csv").size(), 1u + 23u * 32u + 1u);
}

// The run as the user starts it, through the agreement: it leaves no design
// behind, so the export item is disabled; an export asked for all the same
// (a stale menu, or the validity flag set again by mistake) refuses before
// it reads the released arrays, and writes nothing.
TEST_F(Test_Case_Run, LeavesNoDesignToExport) {
    namespace fs = std::filesystem;
    UIK_Reset_Call_Interface();
    UIK_Script script;
    script.Accept({{"Agree?", "1"}, {"Select run type:", "2"}});
    console.input.assign(10, "");
    KALTAP_Run_Design_Program();
    ASSERT_TRUE(console.contains("Testing Complete."));

    EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    EXPECT_FALSE(Weights_Quantized);
    EXPECT_FALSE(KALTAP_Export_Quantized());
    ASSERT_EQ(script.menu_items.size(), 10u);  // and "Save Design…", "Open Design…", the six of "View"
    EXPECT_EQ(script.menu_items[1].item, KALTAP_Export_Menu_Item);
    EXPECT_FALSE(script.item_enabled("FIR Design", KALTAP_Export_Menu_Item));
    for (const char* item : KALTAP_Analysis_View_Items) EXPECT_FALSE(script.item_enabled(KALTAP_View_Menu, item));

    const struct {
        bool flag;
        const char* reason;
        const char* console_line;
    } attempts[] = {
        {false, "the current design has no valid weights",
         "###Error in KALTAP_Export_Weights, called with KALTAP_Filter_Weights_Valid==.FALSE."},
        {true, "the current design's arrays are not allocated to its size",
         "###Error in KALTAP_Export_Weights, the current design's arrays are not allocated to its size"},
    };
    const std::string folder = "after_test_run";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& a : attempts) {
        SCOPED_TRACE(a.reason);
        KALTAP_Filter_Weights_Valid = a.flag;
        EXPECT_FALSE(KALTAP_Export_Available());
        for (const auto& info : KALTAP_Export_Formats) {
            std::string reason;
            EXPECT_FALSE(KALTAP_Export_Weights(info.format, folder + "/taps" + info.extension, reason));
            EXPECT_EQ(reason, a.reason) << info.extension;
        }
        // From the menu: refused before the save dialog, the reason on the console.
        EXPECT_EQ(script.menu_items[1].callback(), 0);
        EXPECT_TRUE(script.save_dialogs.empty());
        EXPECT_TRUE(console.contains(a.console_line));
        KALTAP_Update_Export_Menu();
        EXPECT_FALSE(script.item_enabled("FIR Design", KALTAP_Export_Menu_Item));
    }
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
    KALTAP_Filter_Weights_Valid = false;
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
}

// Each case starts with an empty warning list: a warning noted while the run
// waits after case k is gone by the pause after case k+1.
TEST_F(Test_Case_Run, EachCaseHasItsOwnWarnings) {
    std::vector<std::vector<std::string>> lists_at_pauses;
    UNIT_Hooks h = UNIT_Current_Hooks();
    auto answer = h.read_line;
    h.read_line = [&lists_at_pauses, answer](char* buffer, int length, int unit) {
        lists_at_pauses.push_back(DESIGN_WARNINGS_List());
        DESIGN_WARNINGS_Note("***Warning: noted at pause " + std::to_string(lists_at_pauses.size()));
        return answer(buffer, length, unit);
    };
    UNIT_Register_Hooks(h);
    DESIGN_WARNINGS_Note("***Warning: left from before the run");
    ASSERT_FALSE(Stops(KALTAP_Test_Cases));

    ASSERT_EQ(lists_at_pauses.size(), 10u);
    for (std::size_t k = 0; k < lists_at_pauses.size(); ++k)
        for (const std::string& warning : lists_at_pauses[k])
            EXPECT_EQ(warning.find("noted at pause"), std::string::npos) << "pause " << k + 1 << ": " << warning;
    EXPECT_EQ(std::count(lists_at_pauses[0].begin(), lists_at_pauses[0].end(), "***Warning: left from before the run"),
              0);
    DESIGN_WARNINGS_Clear();
}

TEST_F(Test_Case_Run, EndOfConsoleInputDoesNotCutTheRunShort) {
    console.input = {"only one answer"};
    ASSERT_FALSE(Stops(KALTAP_Test_Cases));
    EXPECT_EQ(console.count(Prompt), 10);
    const auto log = Read_Lines(Log_Name);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(Count_Lines_Containing(log, "Iterations = "), 10);
    EXPECT_EQ(log.back(), "Testing Complete.");
}

// Each case's filter requirements, designed, reproduces the reference values the
// run prints for it.
class Case_Reproduces_Its_Reference : public ::testing::TestWithParam<int> {};

TEST_P(Case_Reproduces_Its_Reference, IterationsMiddleWeightAndMaxError) {
    int case_number = GetParam();
    Reset_Design_Program();
    Console_Capture console;
    KALTAP_Inputs(case_number);
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);

    std::smatch m;
    const std::string reference = KALTAP_Reference_Line(case_number);
    ASSERT_TRUE(
        std::regex_match(reference, m, std::regex("Iterations = ([0-9]+), Middle weight: (\\S+), Max Error: (\\S+)")))
        << reference;
    EXPECT_EQ(KALTAP_Remez_Iterations(), std::stoi(m[1]));
    const double middle = Filter_Weights(Half_Length);
    const double digits = std::pow(10.0, 7 - std::floor(std::log10(std::fabs(middle))));
    EXPECT_DOUBLE_EQ(std::round(middle * digits) / digits, std::stod(m[2])) << middle;
    double max_error = Remez_Deviation;
    if (Type_of_Filter == 1) max_error = 20.0 * std::log10(Remez_Deviation / Band_Weighting(Number_of_Bands));
    EXPECT_NEAR(max_error, std::stod(m[3]), 0.5e-8);
}

INSTANTIATE_TEST_SUITE_P(Test_Cases, Case_Reproduces_Its_Reference, ::testing::Range(1, 11));

TEST(Test_Case_Inputs, PairsDifferOnlyInLengthAndDensity) {
    Reset_Design_Program();
    Console_Capture console;
    auto load = [](int case_number) {
        KALTAP_Inputs(case_number);
        std::vector<double> bands;
        for (int k = 1; k <= 2 * Number_of_Bands; ++k) bands.push_back(Band_Edges(k));
        for (int k = 1; k <= Number_of_Bands; ++k) {
            bands.push_back(Band_Desired_Value(k));
            bands.push_back(Band_Weighting(k));
        }
        return std::make_tuple(Type_of_Filter, Number_of_Weights, Search_Grid_Density, bands);
    };
    auto c1 = load(1), c2 = load(2), c3 = load(3), c4 = load(4);
    EXPECT_EQ(std::get<3>(c1), std::get<3>(c2));
    EXPECT_EQ(std::get<3>(c3), std::get<3>(c4));
    EXPECT_EQ(std::make_tuple(std::get<0>(c2), std::get<1>(c2), std::get<2>(c2)), std::make_tuple(1, 25, 32));
    EXPECT_EQ(std::make_tuple(std::get<0>(c4), std::get<1>(c4), std::get<2>(c4)), std::make_tuple(1, 33, 32));
}

TEST(Test_Case_Inputs, OutOfRangeCaseWritesALineAndChangesNothing) {
    Reset_Design_Program();
    Console_Capture console;
    for (int bad : {11, 0, -1}) {
        int case_number = 3;
        KALTAP_Inputs(case_number);
        const double* edges = &Band_Edges(1);
        std::vector<double> before;
        for (int k = 1; k <= 6; ++k) before.push_back(Band_Edges(k));
        console.lines.clear();

        case_number = bad;
        KALTAP_Inputs(case_number);
        EXPECT_EQ(console.lines,
                  std::vector<std::string>{"####Error in KALTAP_Inputs, option out of range: " + std::to_string(bad)});
        EXPECT_EQ(case_number, bad);
        EXPECT_EQ(Number_of_Weights, 32);
        EXPECT_EQ(Number_of_Bands, 3);
        EXPECT_EQ(Search_Grid_Density, 16);
        EXPECT_EQ(Type_of_Filter, 1);
        EXPECT_EQ(&Band_Edges(1), edges);  // not reallocated
        std::vector<double> after;
        for (int k = 1; k <= 6; ++k) after.push_back(Band_Edges(k));
        EXPECT_EQ(after, before);
    }
}

TEST(Test_Case_Inputs, OutOfRangeLineGoesIntoTheLog) {
    Reset_Design_Program();
    Console_Capture console;
    Timers_Set_Clock([] {
        Clock_Reading r;
        r.year = 2026;
        r.month = 12;
        r.day = 6;
        r.hour = 11;
        return r;
    });
    RUN_LOG_open("Inputs_Log.txt", "inputs");
    int case_number = 11;
    KALTAP_Inputs(case_number);
    RUN_LOG_close();
    Timers_Set_Clock(nullptr);
    EXPECT_EQ(Read_Lines("Inputs_Log_20261206_1100.txt").back(), "####Error in KALTAP_Inputs, option out of range: 11");
}

struct Elapsed_Case {
    double milliseconds;
    const char* line;
};

class Elapsed_Time_Lines : public ::testing::TestWithParam<Elapsed_Case> {};

TEST_P(Elapsed_Time_Lines, Format) { EXPECT_EQ(KALTAP_Elapsed_Time_Line(GetParam().milliseconds), GetParam().line); }

INSTANTIATE_TEST_SUITE_P(Test_Cases, Elapsed_Time_Lines,
                         ::testing::Values(Elapsed_Case{12.3456, "Elapsed time: 12.346 milliseconds."},
                                           Elapsed_Case{0.0, "Elapsed time: 0.000 milliseconds."},
                                           Elapsed_Case{7.0, "Elapsed time: 7.000 milliseconds."},
                                           Elapsed_Case{99.9994, "Elapsed time: 99.999 milliseconds."},
                                           // 100 ms or more does not fit the field.
                                           Elapsed_Case{99.9996, "Elapsed time: ****** milliseconds."},
                                           Elapsed_Case{100.0, "Elapsed time: ****** milliseconds."},
                                           Elapsed_Case{123.4, "Elapsed time: ****** milliseconds."}));

}  // namespace
