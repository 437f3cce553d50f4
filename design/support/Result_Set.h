// SPDX-License-Identifier: GPL-3.0-or-later
// The names of one design's files.
//
// Every file a design writes in the working directory (its run log, its CSV
// files and its plot images) carries one stem: the local date and time of the
// design's start as "CCYYMMDD_hhmm", or "CCYYMMDD_hhmm_<k>" (k = 2, 3, ...)
// when an earlier design of that minute has files under the plain stem. A
// stem is taken when the working directory holds a file of it:
//   <stem>_<name>       a result file, <name> not starting with a digit
//                       (so "20261209_0117_2_Filter_Weights.csv" belongs to
//                       stem "20261209_0117_2", not to "20261209_0117");
//   <name>_<stem>.txt   a run log.
// So a design never writes over a file another design wrote, and one design's
// files always share one stem.
#pragma once

#include <string>

// "CCYYMMDD_hhmm" of the current local time.
std::string RESULT_SET_Time_Stamp();

// Start the names of a new design: the first free stem of `time_stamp`
// ("CCYYMMDD_hhmm"): the stamp itself, else the stamp with "_2", "_3", ...
// It stays current until RESULT_SET_End. Returns the stem.
const std::string& RESULT_SET_Begin(const std::string& time_stamp);

// The current design's stem; begins a set at the current time when none is
// current.
const std::string& RESULT_SET_Stem();

// True while a set is current.
bool RESULT_SET_Current();

// The design's files are complete: the next file begins a new set.
void RESULT_SET_End();

// Removes every file of the working directory that belongs to `stem` (a stem
// RESULT_SET_Begin gave): the files of a design that was stopped. Returns
// how many were removed; files that cannot be removed stay.
int RESULT_SET_Remove_Files(const std::string& stem);
