// SPDX-License-Identifier: GPL-3.0-or-later
#include "Run_Logging.h"

#include <cstdio>

#include "Design_Warnings.h"
#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "Program_Stop.h"
#include "Result_Set.h"
#include "Timers.h"
#include "Unit_IO.h"

int Run_Log_Unit = 0;
int Run_Log_Echo = 0;

namespace {

constexpr int Run_Log_First_Unit = 44;

void date_and_time(std::string& date, std::string& time) {
    Clock_Reading c = Timers_Now();
    char d[16], t[32];
    std::snprintf(d, sizeof d, "%04d%02d%02d", c.year, c.month, c.day);
    int ms = Timer_Microseconds ? c.sub_second / 1000 : c.sub_second;
    std::snprintf(t, sizeof t, "%02d%02d%02d.%03d", c.hour, c.minute, c.second, ms);
    date = d;
    time = t;
}

// The error line of a file that failed for `reason`, kept in the current log
// unless `failed_log`, then the stop.
[[noreturn]] void report_failure(const std::string& routine, const std::string& file_name, const std::string& reason,
                                 bool failed_log) {
    const std::string line = "###Error in " + routine + ", writing " + file_name + " failed: " + reason;
    if (!failed_log && Run_Log_Unit != 0 && UNIT_Is_Open(Run_Log_Unit)) {
        // The console gets the line from the stop; the log keeps a record of
        // it. A log that fails too has nothing more to lose here.
        UNIT_Write(Run_Log_Unit, line);
        UNIT_Flush(Run_Log_Unit);
    }
    KALTAP_Stop(line);
}

// Report a failed log or output file and stop. `failed_log` marks the file as
// a run log: its line goes to the console only, and it is no longer current;
// `log_afterwards` becomes the current log unit then.
[[noreturn]] void stop_after_failure(const std::string& routine, int unit, const std::string& file_name,
                                     bool failed_log, int log_afterwards) {
    const std::string reason = UNIT_Failure_Reason();
    // Release the stream and the unit number before the stop, whatever the
    // close itself reports: the file is lost already.
    if (UNIT_Is_Open(unit) && !UNIT_Is_Console(unit)) UNIT_Close(unit);
    if (DYNLUN_Find(unit) == 1) DYNLUN_Release(unit);
    if (failed_log) Run_Log_Unit = log_afterwards;
    report_failure(routine, file_name, reason, failed_log);
}

// One line into the current log (when there is one) and, with the echo on, on
// the console; flushed at once. A unit that is not open is no log any more
// and is passed over, as before any log is opened.
void log_line(const std::string& routine, const std::string& line, bool echo, int log_after_failure) {
    const int unit = Run_Log_Unit;
    if (unit != 0 && UNIT_Write(unit, line) == UNIT_Write_Error)
        stop_after_failure(routine, unit, UNIT_File_Name(unit), true, log_after_failure);
    if (echo && Run_Log_Echo == 0) UNIT_Write(UNIT_Console, line);
    if (unit != 0 && UNIT_Flush(unit) == UNIT_Write_Error)
        stop_after_failure(routine, unit, UNIT_File_Name(unit), true, log_after_failure);
}

}  // namespace

std::string RUN_LOG_Base_Name(const std::string& file_name) {
    std::string base = FMT_Trim_Right(file_name);
    if (FMT_Trim(base).empty()) base = "Run_log.txt";
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot + 4 >= base.size()) base = base.substr(0, dot);
    return base;
}

std::string RUN_LOG_File_Name(const std::string& file_name, const std::string& date, const std::string& time) {
    return RUN_LOG_Base_Name(file_name) + "_" + date + "_" + time.substr(0, 4) + ".txt";
}

void RUN_LOG_open(const std::string& file_name, const std::string& title) {
    std::string date, time;
    date_and_time(date, time);
    // A new log starts a new design's set of names: its stem is this minute's
    // first free one.
    const std::string name = RUN_LOG_Base_Name(file_name) + "_" + RESULT_SET_Begin(date + "_" + time.substr(0, 4)) +
                             ".txt";
    const int previous_unit = Run_Log_Unit;
    Run_Log_Unit = DYNLUN_Allocate(Run_Log_First_Unit);
    int status = UNIT_Open(Run_Log_Unit, name, UNIT_Mode::Write);
    if (status != UNIT_OK) {
        UNIT_Write(UNIT_Console, "###Error in RUN_LOG_open " + FMT_Free(status) + " opening " + name);
        // The unit never held a file: hand it back, and keep the log that was
        // current so no later line is written to a unit that is not a log.
        DYNLUN_Release(Run_Log_Unit);
        Run_Log_Unit = previous_unit;
        KALTAP_Stop(" ");
    }
    // A log that takes no lines (a full disk) is a failed open: the log that
    // was current before stays current.
    std::string t = FMT_Trim_Right(title);
    log_line("RUN_LOG_open", FMT_Trim(t).empty() ? std::string("Begin run") : t, true, previous_unit);
    log_line("RUN_LOG_open", " Date " + date + ", time " + time, false, previous_unit);
}

void RUN_LOG_write(const std::string& text) {
    // Before the first log is opened there is no file; the line still reaches the console.
    DESIGN_WARNINGS_Note(text);
    log_line("RUN_LOG_write", FMT_Trim_Right(text), true, 0);
}

void RUN_LOG_close() {
    const int unit = Run_Log_Unit;
    const std::string name = UNIT_File_Name(unit);
    const int status = DYNLUN_close(unit);
    // The closed unit number goes back to the allocator and may soon carry an
    // output file; with no current log, later log lines reach only the console.
    Run_Log_Unit = 0;
    // The design the log belongs to has written its files.
    RESULT_SET_End();
    if (status == UNIT_Write_Error) stop_after_failure("RUN_LOG_close", unit, name, true, 0);
}

void RUN_LOG_Write_Failure(const std::string& routine, int unit, const std::string& file_name) {
    const bool failed_log = unit != 0 && unit == Run_Log_Unit;
    stop_after_failure(routine, unit, file_name, failed_log, 0);
}

void RUN_LOG_Save_Failure(const std::string& routine, const std::string& file_name, const std::string& reason) {
    report_failure(routine, file_name, reason, false);
}
