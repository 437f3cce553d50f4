// SPDX-License-Identifier: GPL-3.0-or-later
// The Stop action and the progress that tells what runs: a design or search
// stopped part way leaves no file and no design behind and the program asks
// for the next design; the test cases stop after the cases already made.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Main.h"
#include "Program_Stop.h"
#include "Progress.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

// Files of the test clock's day in the working directory.
std::vector<std::string> files_of_the_day() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name.find(Test_Clock_Date) != std::string::npos) names.push_back(name);
    }
    return names;
}

// Records the progress and presses Stop when a step contains `stop_at`.
struct Progress_Watch {
    std::string stop_at;
    std::vector<std::string> outermost;  // the outermost level's work at each report
    std::string step_stopped;            // the innermost step that was stopped
    bool ended_empty = false;            // the last report had no level
    explicit Progress_Watch(std::string at) : stop_at(std::move(at)) {
        KALTAP_Set_Progress_Hook([this](const std::vector<KALTAP_Progress_Level>& levels) {
            ended_empty = levels.empty();
            if (levels.empty()) return;
            outermost.push_back(levels.front().work);
            if (step_stopped.empty() && levels.back().step.find(stop_at) != std::string::npos) {
                step_stopped = levels.back().step;
                KALTAP_Request_Design_Stop();
            }
        });
    }
    ~Progress_Watch() { KALTAP_Set_Progress_Hook(nullptr); }
};

class Design_Stop : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        UIK_Reset_Call_Interface();
        Fix_Clock_And_Clear_Results();
        KALTAP_Clear_Design_Stop_Request();
        KALTAP_Filter_Weights_Valid = false;
    }
    void TearDown() override {
        KALTAP_Clear_Design_Stop_Request();
        Reset_Design_Program();
    }
    void agree(int run_type) { script.Accept({{"Agree?", "1"}, {"Select run type:", std::to_string(run_type)}}); }

    Console_Capture console;
    UIK_Script script;
};

struct Stop_Case {
    const char* name;
    std::function<void(UIK_Script&)> answers;  // from "Select Filter Type" to the design
    const char* work;                          // the outermost level's work
    const char* stop_at;                       // the step that is stopped
};

void PrintTo(const Stop_Case& c, std::ostream* os) { *os << c.name; }

class Design_Stop_Cases : public Design_Stop, public ::testing::WithParamInterface<Stop_Case> {};

TEST_P(Design_Stop_Cases, LeavesNothingAndAsksForTheNextDesign) {
    const Stop_Case& c = GetParam();
    agree(1);
    c.answers(script);
    script.Cancel();  // the next "Select Filter Type" ends the loop
    const Progress_Watch watch(c.stop_at);

    EXPECT_TRUE(Stops(KALTAP_Main));  // the program ends, as always, by its orderly stop
    ASSERT_FALSE(watch.step_stopped.empty()) << "no step contained " << c.stop_at;
    ASSERT_FALSE(watch.outermost.empty());
    EXPECT_EQ(watch.outermost.front().rfind(c.work, 0), 0u) << watch.outermost.front();
    EXPECT_TRUE(watch.ended_empty);
    // Back at the kind of filter, with nothing of the stopped design kept.
    const auto titles = script.dialog_titles();
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Select Filter Type"), 2);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Next action?"), 0);
    EXPECT_TRUE(console.contains(KALTAP_Design_Stopped_Text));
    EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(files_of_the_day(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Paths, Design_Stop_Cases,
                         ::testing::Values(Stop_Case{"Classical",
                                                     [](UIK_Script& s) {
                                                         s.Accept({{"Select filter design approach:", "3"}});
                                                         s.Accept();  // filter definition as shown
                                                         s.Accept();  // the bands as shown
                                                     },
                                                     "Design of ", "exchange iteration 2,"},
                                           Stop_Case{"NumberOfWeightsSearch",
                                                     [](UIK_Script& s) {
                                                         s.Accept({{"Select filter design approach:", "1"}});
                                                         s.Accept({{"Select next action:", "1"}});
                                                         s.Accept({{"Select type of FIR filter design:", "1"}});
                                                         s.Accept();  // the search's inputs as shown
                                                     },
                                                     "Search for the number of weights", "trial 2: "}),
                         [](const ::testing::TestParamInfo<Stop_Case>& info) { return std::string(info.param.name); });

TEST_F(Design_Stop, EndsTheTestCasesAfterThoseMade) {
    agree(2);
    for (int i = 0; i < 10; ++i) console.input.push_back("");
    const Progress_Watch watch("case 2 of");

    EXPECT_TRUE(Stops(KALTAP_Main));
    EXPECT_EQ(watch.step_stopped.rfind("case 2 of", 0), 0u);
    EXPECT_TRUE(console.contains(KALTAP_Test_Cases_Stopped_Text));
    EXPECT_TRUE(console.contains("Normal exit."));
    // The first case's files stay.
    int first_case_files = 0;
    for (const auto& name : files_of_the_day())
        if (name.find("Filter_Weights.csv") != std::string::npos) ++first_case_files;
    EXPECT_EQ(first_case_files, 1);
}

}  // namespace
