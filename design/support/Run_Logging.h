// SPDX-License-Identifier: GPL-3.0-or-later
// Run logs: one time-stamped text file per design run.
//
// Every line written with RUN_LOG_write goes to the log file and (while
// Run_Log_Echo is 0) to the console, and is flushed at once, so a log is
// complete up to its last line even when the program stops.
#pragma once

#include <string>

extern int Run_Log_Unit;  // unit of the most recently opened log; 0 before the first
extern int Run_Log_Echo;  // 0: echo every log line to the console

// The base of a log's name: `file_name` cut before a dot within its last
// four characters (after trailing blanks are removed), or "Run_log" when
// blank.
std::string RUN_LOG_Base_Name(const std::string& file_name);
// The log file name for `file_name` at the given date (CCYYMMDD) and time
// (hhmm...) when that minute's plain stem is free:
// base + "_" + date + "_" + hhmm + ".txt".
std::string RUN_LOG_File_Name(const std::string& file_name, const std::string& date, const std::string& time);

// Open a new log (the previous one stays open) and write its title line (or
// "Begin run") and its date line. The log begins a new design's set of names
// (RESULT_SET_Begin): it is base + "_" + stem + ".txt", the stem being this
// minute's first free one, so it never replaces an earlier design's log. A file that cannot be opened, or whose
// first lines cannot be written, stops the run after an error line; the log
// that was current before stays current.
void RUN_LOG_open(const std::string& file_name = std::string(), const std::string& title = std::string());
// Append one line (trailing blanks removed), echo it, flush. A failed write or
// flush of the log file: RUN_LOG_Write_Failure("RUN_LOG_write", ...).
void RUN_LOG_write(const std::string& text);
// Close the current log's unit; afterwards there is no current log
// (Run_Log_Unit is 0) until the next RUN_LOG_open, and no current set of
// names (RESULT_SET_End). A failed close (the last
// lines lost) reports "###Error in RUN_LOG_close, writing ..." and stops.
void RUN_LOG_close();

// A write, flush or close of the file `file_name` on `unit` has failed, for
// the reason UNIT_Failure_Reason() gives. Closes the unit when it is still
// open and hands it back to the allocator, then writes
//   "###Error in <routine>, writing <file_name> failed: <reason>"
// to the console and, unless the failed file is the current run log, to the
// run log too (not echoed). A failed current run log stops being current
// (Run_Log_Unit = 0). Ends with an orderly stop whose text is that line.
[[noreturn]] void RUN_LOG_Write_Failure(const std::string& routine, int unit, const std::string& file_name);
// A file that another layer wrote for the design program (a plot image saved
// by the window layer) was not written, for `reason`: the same line, to the
// console and to the current run log, and the same orderly stop.
[[noreturn]] void RUN_LOG_Save_Failure(const std::string& routine, const std::string& file_name,
                                       const std::string& reason);
