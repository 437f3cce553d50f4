// SPDX-License-Identifier: GPL-3.0-or-later
#include "Timers.h"

#include <chrono>
#include <ctime>

#include "Fortran_Format.h"
#include "Unit_IO.h"

int Timer_Start_Date[10][3] = {};
double Timer_Start_Seconds[10] = {};
int Timer_Microseconds = 0;
const int Days_In_Month[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

namespace {

std::function<Clock_Reading()>& clock_override() {
    static std::function<Clock_Reading()> f;
    return f;
}

Clock_Reading system_clock_reading() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto since_second = duration_cast<microseconds>(now.time_since_epoch()) % seconds(1);
    Clock_Reading r;
    r.year = local.tm_year + 1900;
    r.month = local.tm_mon + 1;
    r.day = local.tm_mday;
    r.hour = local.tm_hour;
    r.minute = local.tm_min;
    r.second = local.tm_sec;
    long long us = since_second.count();
    r.sub_second = static_cast<int>(Timer_Microseconds ? us : us / 1000);
    return r;
}

bool leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

Clock_Reading Timers_Now() { return clock_override() ? clock_override()() : system_clock_reading(); }

void Timers_Set_Clock(std::function<Clock_Reading()> clock) { clock_override() = std::move(clock); }

int Days_Between(const int date1[3], const int date2[3]) {
    // A month outside 1..12 is no calendar date (a stopwatch that was never
    // started holds zeros): there is nothing to walk over.
    if (date1[1] < 1 || date1[1] > 12 || date2[1] < 1 || date2[1] > 12) return 0;
    // A date2 before date1 (the clock was set back) counts negative, so the
    // elapsed time stays the true difference instead of a runaway walk.
    if (date2[0] < date1[0] || (date2[0] == date1[0] && date2[1] < date1[1])) return -Days_Between(date2, date1);
    int n = date2[2] - date1[2];
    int year = date1[0], month = date1[1];
    int sum = 0;
    // Step month by month from date1's month to date2's, adding each length.
    while (!(year == date2[0] && month == date2[1])) {
        int length = Days_In_Month[month - 1];
        if (month == 2 && leap_year(year)) length += 1;
        sum += length;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return n + sum;
}

double Timer(int action) {
    Clock_Reading c = Timers_Now();
    double now = c.hour * 3600.0 + c.minute * 60.0 + c.second + c.sub_second / (Timer_Microseconds ? 1.0e6 : 1000.0);
    int today[3] = {c.year, c.month, c.day};
    auto start = [&](int k) {
        Timer_Start_Date[k][0] = c.year;
        Timer_Start_Date[k][1] = c.month;
        Timer_Start_Date[k][2] = c.day;
        Timer_Start_Seconds[k] = now;
    };
    if (action == 0) {
        for (int k = 0; k < 10; ++k) start(k);
        return now;
    }
    if (action >= -10 && action <= -1) {
        start(-action - 1);
        return now;
    }
    if (action >= 1 && action <= 10) {
        int k = action - 1;
        // A stopwatch that was never started has no start to measure from.
        if (Timer_Start_Date[k][1] == 0) return 0.0;
        return (now - Timer_Start_Seconds[k]) + Days_Between(Timer_Start_Date[k], today) * 86400.0;
    }
    UNIT_Write(UNIT_Console, "####Timer called with action flag out of range: " + FMT_Free(action));
    return 0.0;
}
