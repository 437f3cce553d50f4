// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the design-program tests: a console that records what the
// program writes and answers its reads from a queue, and design set-up.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct Band {
    double lower, upper, desired, weight;
};

// Captures the console for the lifetime of the object.
class Console_Capture {
public:
    Console_Capture();
    ~Console_Capture();
    std::vector<std::string> lines;                // every console line, in order
    std::deque<std::string> input;                 // answers to console reads; empty queue = end of input
    bool contains(const std::string& text) const;  // some line contains text
    int count(const std::string& text) const;      // lines containing text
};

// Fresh design-program state: no log, no listed units, no current set of
// file names and no files of the test clocks' day, quiet exchange.
void Reset_Design_Program();

// KALTAP_New_Design for the given filter, then the band tables.
void Set_Up_Design(int type, int N, int density, const std::vector<Band>& bands);

// The storage the two-band searches are given: arrays for 128 weights, five
// bands and density 64; then two bands at density 32 for KALTAP_BandType
// `band_type`. The band tables are left to the caller.
void Set_Up_Two_Band_Storage(int band_type);

// The test clock: 14:07:59 on 6 December 2026, so that result files are named
// 20261206_1407_<base name>; every file of the test clocks' day is removed
// first, so the design's names take the plain stem.
void Fix_Clock_And_Clear_Results();

// The date of every fixed test clock.
constexpr const char* Test_Clock_Date = "20261206";
// Remove the working directory's files of `date` (CCYYMMDD): result files
// "<date>_..." and run logs "..._<date>_...".
void Remove_Files_Of_Day(const std::string& date);

// Runs fn and returns true when it ended in an orderly stop (text stored).
bool Stops(const std::function<void()>& fn, std::string* text = nullptr);

// Read a whole file into lines.
std::vector<std::string> Read_Lines(const std::string& path);

// Full impulse response h(1..N) (zero-based vector) of the current design.
std::vector<double> Full_Impulse_Response();
