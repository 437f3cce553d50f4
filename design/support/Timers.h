// SPDX-License-Identifier: GPL-3.0-or-later
// Wall-clock stopwatches and calendar arithmetic.
//
// Ten stopwatches keep the calendar date on which they were started, so an
// elapsed time is right across midnight and across month and year ends.
#pragma once

#include <functional>

// One reading of the local clock.
struct Clock_Reading {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    int sub_second = 0;  // milliseconds, or microseconds when Timer_Microseconds is set
};

extern int Timer_Start_Date[10][3];     // year, month, day of stopwatch k (index k-1)
extern double Timer_Start_Seconds[10];  // seconds since midnight at its start
extern int Timer_Microseconds;          // 0: sub_second counts milliseconds
extern const int Days_In_Month[12];

// The local date and time. Tests may replace the clock; an empty function
// restores the system clock.
Clock_Reading Timers_Now();
void Timers_Set_Clock(std::function<Clock_Reading()> clock);

// action 0: start all ten stopwatches, -k: start stopwatch k (both return the
// seconds since midnight); k = 1..10: seconds elapsed on stopwatch k (0 for a
// stopwatch never started); any other action writes "####Timer called with
// action flag out of range:" and the action to the console and gives 0.
double Timer(int action);

// Whole days from date1 to date2 (each year, month, day); negative when date2
// is earlier; 0 when either month is outside 1..12.
int Days_Between(const int date1[3], const int date2[3]);
