// SPDX-License-Identifier: GPL-3.0-or-later
// The test-case run: ten fixed reference designs (bandpass with two and three
// bands, differentiator and Hilbert transformer, each with an even and an odd
// length), each timed, reported, written to the result files and followed by
// the reference values the user compares the report with.
#pragma once

#include <string>

constexpr int KALTAP_Number_of_Test_Cases = 10;

// Load test case 1..10 into the design state (requirements, new-design
// initialisation, band tables). Any other number writes
// "####Error in KALTAP_Inputs, option out of range: <n>" to the run log and
// changes nothing.
void KALTAP_Inputs(int& case_number);

// Run all ten cases with the log "KALTAP_Test_log.txt"; after each case wait
// for one line of console input. Case 1's result files share the log's stem,
// each later case's take the next free stem (Result_Set.h): the files of
// case k are "<stamp>_<k>_Filter_Weights.csv" ... when the folder held none of
// that minute before. The warning list (Design_Warnings.h) is
// cleared before each case, so it holds that case's warnings alone. Ends with
// the design arrays released, no valid design left (KALTAP_Filter_Weights_Valid
// and Weights_Quantized false), "Testing Complete." in the log and the log
// closed.
void KALTAP_Test_Cases();

// "Elapsed time: <ms> milliseconds." with the time in a 6-column field with
// 3 decimals (leading blanks removed); 100 ms or more reads "******".
std::string KALTAP_Elapsed_Time_Line(double milliseconds);

// The reference values of case 1..10: "Iterations = <n>, Middle weight:
// <8 significant digits>, Max Error: <8 decimals>".
std::string KALTAP_Reference_Line(int case_number);
