// SPDX-License-Identifier: GPL-3.0-or-later
// Stopwatches across midnight, month, leap-year and year ends; the actions
// that start and read them; calendar days between dates.
#include <climits>

#include "Timers.h"
#include "test_support.h"

namespace {

Clock_Reading At(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    Clock_Reading r;
    r.year = year;
    r.month = month;
    r.day = day;
    r.hour = hour;
    r.minute = minute;
    r.second = second;
    r.sub_second = millisecond;
    return r;
}

// Replaces the system clock with `now` for the lifetime of a test.
class Timers_Test : public ::testing::Test {
protected:
    void SetUp() override {
        Timers_Set_Clock([this] { return now; });
        Timer_Microseconds = 0;
    }
    void TearDown() override {
        Timers_Set_Clock(nullptr);
        Timer_Microseconds = 0;
    }
    Clock_Reading now;
    Console_Capture console;
};

struct Interval {
    const char* name;
    Clock_Reading start, read;
    double seconds;
};

class Stopwatch_Intervals : public Timers_Test, public ::testing::WithParamInterface<Interval> {};

TEST_P(Stopwatch_Intervals, ElapsedSeconds) {
    const Interval& c = GetParam();
    now = c.start;
    Timer(0);
    now = c.read;
    for (int k = 1; k <= 10; ++k) EXPECT_NEAR(Timer(k), c.seconds, 1e-9) << "stopwatch " << k;
    EXPECT_TRUE(console.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Timers, Stopwatch_Intervals,
    ::testing::Values(
        Interval{"SameInstant", At(2026, 12, 6, 22, 27, 5, 123), At(2026, 12, 6, 22, 27, 5, 123), 0.0},
        Interval{"Milliseconds", At(2026, 12, 6, 10, 0, 0, 0), At(2026, 12, 6, 10, 0, 0, 12), 0.012},
        Interval{"Midnight", At(2026, 12, 6, 23, 59, 59, 500), At(2026, 12, 7, 0, 0, 0, 250), 0.75},
        Interval{"MonthEnd", At(2026, 4, 30, 23, 0, 0, 0), At(2026, 5, 1, 1, 0, 0, 0), 7200.0},
        Interval{"LeapFebruary", At(2024, 2, 28, 12, 0, 0, 0), At(2024, 3, 1, 12, 0, 0, 0), 172800.0},
        Interval{"CommonFebruary", At(2023, 2, 28, 12, 0, 0, 0), At(2023, 3, 1, 12, 0, 0, 0), 86400.0},
        Interval{"CenturyNotLeap", At(1900, 2, 28, 12, 0, 0, 0), At(1900, 3, 1, 12, 0, 0, 0), 86400.0},
        Interval{"FourHundredLeap", At(2000, 2, 28, 12, 0, 0, 0), At(2000, 3, 1, 12, 0, 0, 0), 172800.0},
        Interval{"YearEnd", At(2026, 12, 31, 12, 0, 0, 0), At(2027, 1, 1, 12, 0, 0, 0), 86400.0},
        Interval{"WholeLeapYear", At(2024, 1, 15, 8, 0, 0, 0), At(2025, 1, 15, 8, 0, 0, 0), 366 * 86400.0},
        Interval{"WholeCommonYear", At(2023, 1, 15, 8, 0, 0, 0), At(2024, 1, 15, 8, 0, 0, 0), 365 * 86400.0}),
    Case_Name());

TEST_F(Timers_Test, StartActionsReturnSecondsSinceMidnight) {
    now = At(2026, 12, 6, 1, 2, 3, 456);
    EXPECT_DOUBLE_EQ(Timer(0), 3723.456);
    EXPECT_DOUBLE_EQ(Timer(-10), 3723.456);
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(Timers_Test, StartingOneStopwatchLeavesTheOthers) {
    now = At(2026, 12, 6, 10, 0, 0, 0);
    Timer(0);
    now = At(2026, 12, 6, 10, 0, 1, 0);
    Timer(-3);
    now = At(2026, 12, 6, 10, 0, 3, 0);
    EXPECT_DOUBLE_EQ(Timer(3), 2.0);
    EXPECT_DOUBLE_EQ(Timer(4), 3.0);
    EXPECT_DOUBLE_EQ(Timer(1), 3.0);
    // Reading does not restart.
    now = At(2026, 12, 6, 10, 0, 4, 0);
    EXPECT_DOUBLE_EQ(Timer(3), 3.0);
}

TEST_F(Timers_Test, SubSecondInMicroseconds) {
    Timer_Microseconds = 1;
    now = At(2026, 12, 6, 0, 0, 1, 250000);
    EXPECT_DOUBLE_EQ(Timer(-1), 1.25);
    now = At(2026, 12, 6, 0, 0, 1, 250123);
    EXPECT_NEAR(Timer(1), 0.000123, 1e-12);
}

TEST_F(Timers_Test, OutOfRangeActionsWriteALineAndGiveZero) {
    now = At(2026, 12, 6, 10, 0, 0, 0);
    Timer(0);
    now = At(2026, 12, 6, 11, 0, 0, 0);
    for (int action : {11, -11, 100, INT_MIN, INT_MAX}) {
        console.lines.clear();
        EXPECT_EQ(Timer(action), 0.0);
        EXPECT_EQ(console.lines, std::vector<std::string>{"####Timer called with action flag out of range: " +
                                                          std::to_string(action)});
    }
    // The stopwatches were not touched.
    EXPECT_DOUBLE_EQ(Timer(10), 3600.0);
}

TEST_F(Timers_Test, AStopwatchNeverStartedReadsZero) {
    for (int k = 0; k < 10; ++k) {
        Timer_Start_Date[k][0] = Timer_Start_Date[k][1] = Timer_Start_Date[k][2] = 0;
        Timer_Start_Seconds[k] = 0.0;
    }
    now = At(2026, 12, 6, 10, 0, 0, 0);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(Timer(k), 0.0);
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(Timers_Test, AClockSetBackGivesANegativeIntervalNotARunawayCount) {
    now = At(2026, 1, 2, 0, 0, 10, 0);
    Timer(0);
    now = At(2025, 12, 31, 0, 0, 10, 0);
    EXPECT_DOUBLE_EQ(Timer(1), -2 * 86400.0);
}

struct Days_Case {
    int from[3], to[3];
    int days;
};

class Days_Between_Dates : public ::testing::TestWithParam<Days_Case> {};

TEST_P(Days_Between_Dates, Count) { EXPECT_EQ(Days_Between(GetParam().from, GetParam().to), GetParam().days); }

INSTANTIATE_TEST_SUITE_P(
    Timers, Days_Between_Dates,
    ::testing::Values(Days_Case{{2026, 12, 6}, {2026, 12, 6}, 0}, Days_Case{{2026, 12, 6}, {2026, 12, 25}, 19},
                      Days_Case{{2026, 1, 31}, {2026, 2, 1}, 1}, Days_Case{{2024, 1, 1}, {2024, 12, 31}, 365},
                      Days_Case{{2023, 1, 1}, {2025, 1, 1}, 731}, Days_Case{{1999, 12, 31}, {2001, 1, 1}, 367},
                      Days_Case{{2026, 3, 1}, {2026, 2, 28}, -1}, Days_Case{{2027, 1, 1}, {2026, 12, 31}, -1},
                      // Not a calendar date: nothing to count.
                      Days_Case{{0, 0, 0}, {2026, 12, 6}, 0}));

TEST(Timers_System_Clock, ReadsAPlausibleLocalDateAndTime) {
    Timers_Set_Clock(nullptr);
    Clock_Reading r = Timers_Now();
    EXPECT_GE(r.year, 2024);
    EXPECT_GE(r.month, 1);
    EXPECT_LE(r.month, 12);
    EXPECT_GE(r.day, 1);
    EXPECT_LE(r.day, 31);
    EXPECT_LT(r.hour, 24);
    EXPECT_LT(r.minute, 60);
    EXPECT_LT(r.second, 61);
    EXPECT_GE(r.sub_second, 0);
    EXPECT_LT(r.sub_second, 1000);
    // A stopwatch on the real clock never runs backwards over a short interval
    // (outside a clock adjustment) and stays far below a day.
    Timer(-1);
    double elapsed = Timer(1);
    EXPECT_GE(elapsed, 0.0);
    EXPECT_LT(elapsed, 60.0);
}

}  // namespace
