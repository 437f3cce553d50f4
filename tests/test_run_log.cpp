// SPDX-License-Identifier: GPL-3.0-or-later
// Run logs: time-stamped file names, the title and date lines, echo to the
// console, flushing, several logs at once, failure to open and closing.
#include <cstdio>

#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

struct Name_Case {
    const char* file_name;
    const char* expected;
};

class Log_File_Names : public ::testing::TestWithParam<Name_Case> {};

TEST_P(Log_File_Names, FromBaseDateAndTime) {
    EXPECT_EQ(RUN_LOG_File_Name(GetParam().file_name, "20261206", "222705.123"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Run_Log, Log_File_Names,
    ::testing::Values(Name_Case{"Optimization_Log.txt", "Optimization_Log_20261206_2227.txt"},
                      Name_Case{"", "Run_log_20261206_2227.txt"}, Name_Case{"      ", "Run_log_20261206_2227.txt"},
                      Name_Case{"results.csv", "results_20261206_2227.txt"},
                      Name_Case{"a.b.txt", "a.b_20261206_2227.txt"},
                      Name_Case{"Equalizer_FIR_Design_Log.txt   ", "Equalizer_FIR_Design_Log_20261206_2227.txt"},
                      // A dot further from the end than four characters is part of the base.
                      Name_Case{"design.log1", "design.log1_20261206_2227.txt"},
                      Name_Case{"nodot", "nodot_20261206_2227.txt"}, Name_Case{"x.c", "x_20261206_2227.txt"}));

Clock_Reading Fixed_Time() {
    Clock_Reading r;
    r.year = 2026;
    r.month = 12;
    r.day = 6;
    r.hour = 22;
    r.minute = 27;
    r.second = 5;
    r.sub_second = 123;
    return r;
}

class Run_Log : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Timers_Set_Clock(Fixed_Time);
        for (const char* name : {"Run_log_20261206_2227.txt", "Optimization_Log_20261206_2227.txt",
                                 "Classical_FIR_Filter_Design_Log_20261206_2227.txt"})
            std::remove(name);
    }
    void TearDown() override {
        Timers_Set_Clock(nullptr);
        Reset_Design_Program();
    }
    Console_Capture console;
};

TEST_F(Run_Log, OpenWritesTitleAndDateLineAndEchoesOnlyTheTitle) {
    RUN_LOG_open("Optimization_Log.txt", "FIR filter Design, Find Ripple     ");
    EXPECT_EQ(Run_Log_Unit, 44);
    EXPECT_EQ(DYNLUN_Find(44), 1);
    EXPECT_EQ(UNIT_File_Name(Run_Log_Unit), "Optimization_Log_20261206_2227.txt");
    auto lines = Read_Lines("Optimization_Log_20261206_2227.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "FIR filter Design, Find Ripple");
    // The date line is a free-format line: its text, blanks around it allowed.
    EXPECT_EQ(FMT_Trim(lines[1]), "Date 20261206, time 222705.123");
    EXPECT_EQ(console.lines, std::vector<std::string>{"FIR filter Design, Find Ripple"});
}

TEST_F(Run_Log, NoTitleOrABlankTitleBeginsTheRun) {
    for (const char* title : {"", "     "}) {
        Reset_Design_Program();
        console.lines.clear();
        RUN_LOG_open("", title);
        EXPECT_EQ(UNIT_File_Name(Run_Log_Unit), "Run_log_20261206_2227.txt");
        auto lines = Read_Lines("Run_log_20261206_2227.txt");
        ASSERT_EQ(lines.size(), 2u) << "title '" << title << "'";
        EXPECT_EQ(lines[0], "Begin run");
        EXPECT_EQ(console.lines, std::vector<std::string>{"Begin run"});
    }
}

TEST_F(Run_Log, LinesAreFlushedAndEchoedWithoutTrailingBlanks) {
    RUN_LOG_open("Classical_FIR_Filter_Design_Log.txt", "FIR filter Design, Classical inputs");
    console.lines.clear();
    RUN_LOG_write("Iteration 1   ");
    RUN_LOG_write("");
    RUN_LOG_write("   indented");
    // Still open: every line is already in the file.
    auto lines = Read_Lines("Classical_FIR_Filter_Design_Log_20261206_2227.txt");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], "Iteration 1");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "   indented");
    EXPECT_EQ(console.lines, (std::vector<std::string>{"Iteration 1", "", "   indented"}));

    // Lines written straight to the log unit are not echoed.
    console.lines.clear();
    UNIT_Write(Run_Log_Unit, "report line");
    EXPECT_TRUE(console.lines.empty());

    // With the echo switched off the line goes only into the file.
    Run_Log_Echo = 1;
    RUN_LOG_write("quiet line");
    EXPECT_TRUE(console.lines.empty());
    lines = Read_Lines("Classical_FIR_Filter_Design_Log_20261206_2227.txt");
    EXPECT_EQ(lines.back(), "quiet line");
}

TEST_F(Run_Log, ANewLogLeavesThePreviousOneOpen) {
    RUN_LOG_open("Optimization_Log.txt", "first");
    int first = Run_Log_Unit;
    RUN_LOG_write("into the first log");
    RUN_LOG_open("Classical_FIR_Filter_Design_Log.txt", "second");
    EXPECT_EQ(first, 44);
    EXPECT_EQ(Run_Log_Unit, 45);
    EXPECT_TRUE(UNIT_Is_Open(first));
    EXPECT_EQ(DYNLUN_Find(first), 1);
    RUN_LOG_write("into the second log");
    // The second design of the minute takes the next stem, whatever its log's base.
    auto first_lines = Read_Lines("Optimization_Log_20261206_2227.txt");
    auto second_lines = Read_Lines("Classical_FIR_Filter_Design_Log_20261206_2227_2.txt");
    ASSERT_FALSE(first_lines.empty());
    ASSERT_FALSE(second_lines.empty());
    EXPECT_EQ(first_lines.back(), "into the first log");
    EXPECT_EQ(second_lines.back(), "into the second log");
    EXPECT_EQ(second_lines.front(), "second");
}

// Logs of one minute never replace each other: each design's log keeps its
// lines, the later ones under "_2", "_3", also after the earlier is closed.
TEST_F(Run_Log, LogsOfOneMinuteKeepEveryLine) {
    const char* const names[] = {"Optimization_Log_20261206_2227.txt", "Optimization_Log_20261206_2227_2.txt",
                                 "Optimization_Log_20261206_2227_3.txt"};
    for (const char* title : {"first", "second", "third"}) {
        RUN_LOG_open("Optimization_Log.txt", title);
        RUN_LOG_write(std::string("line of the ") + title);
        RUN_LOG_close();
    }
    const char* const titles[] = {"first", "second", "third"};
    for (int k = 0; k < 3; ++k) {
        const auto lines = Read_Lines(names[k]);
        ASSERT_EQ(lines.size(), 3u) << names[k];
        EXPECT_EQ(lines.front(), titles[k]);
        EXPECT_EQ(lines.back(), std::string("line of the ") + titles[k]);
    }
}

TEST_F(Run_Log, AFileThatCannotBeOpenedStopsAndHandsBackItsUnit) {
    RUN_LOG_open("Optimization_Log.txt", "current");
    const int current = Run_Log_Unit;
    console.lines.clear();
    std::string text = "unset";
    EXPECT_TRUE(Stops([] { RUN_LOG_open("no_such_folder/Log.txt", "never written"); }, &text));
    EXPECT_EQ(text, "");
    ASSERT_EQ(console.lines.size(), 2u);
    EXPECT_EQ(console.lines[0].rfind("###Error in RUN_LOG_open", 0), 0u) << console.lines[0];
    // The second log of the minute: its stem has "_2".
    EXPECT_NE(console.lines[0].find(" opening no_such_folder/Log_20261206_2227_2.txt"), std::string::npos)
        << console.lines[0];
    EXPECT_EQ(console.lines[1], "");
    // The unit that was never opened is not left listed, and the log that
    // was current still takes the lines.
    EXPECT_EQ(DYNLUN_Count, 1);
    EXPECT_EQ(Run_Log_Unit, current);
    RUN_LOG_write("after the failure");
    EXPECT_EQ(Read_Lines("Optimization_Log_20261206_2227.txt").back(), "after the failure");
}

TEST_F(Run_Log, CloseEndsTheLogAndLaterLinesDoNotReachAReusedUnit) {
    RUN_LOG_open("Optimization_Log.txt", "closing");
    RUN_LOG_write("last log line");
    const int log_unit = Run_Log_Unit;
    RUN_LOG_close();
    EXPECT_FALSE(UNIT_Is_Open(log_unit));
    EXPECT_EQ(DYNLUN_Count, 0);
    EXPECT_EQ(Run_Log_Unit, 0);

    // The number goes to the next file opened; a log line written now must
    // not end up in that file.
    int unit = DYNLUN_Allocate(44);
    ASSERT_EQ(unit, log_unit);
    ASSERT_EQ(UNIT_Open(unit, "other_output.txt", UNIT_Mode::Write), UNIT_OK);
    console.lines.clear();
    RUN_LOG_write("stray log line");
    EXPECT_EQ(console.lines, std::vector<std::string>{"stray log line"});
    DYNLUN_close(unit);
    EXPECT_TRUE(Read_Lines("other_output.txt").empty());
    EXPECT_EQ(Read_Lines("Optimization_Log_20261206_2227.txt").back(), "last log line");
}

TEST_F(Run_Log, BeforeTheFirstOpenLinesReachOnlyTheConsole) {
    RUN_LOG_write("no log yet");
    EXPECT_EQ(console.lines, std::vector<std::string>{"no log yet"});
    EXPECT_EQ(DYNLUN_Count, 0);
}

}  // namespace
