#include "Run_Logging.h"

#include <cstdio>

#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "Program_Stop.h"
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

}  // namespace

std::string RUN_LOG_File_Name(const std::string& file_name, const std::string& date, const std::string& time) {
    std::string base = FMT_Trim_Right(file_name);
    if (FMT_Trim(base).empty()) base = "Run_log.txt";
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot + 4 >= base.size()) base = base.substr(0, dot);
    return base + "_" + date + "_" + time.substr(0, 4) + ".txt";
}

void RUN_LOG_open(const std::string& file_name, const std::string& title) {
    std::string date, time;
    date_and_time(date, time);
    std::string name = RUN_LOG_File_Name(file_name, date, time);
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
    std::string t = FMT_Trim_Right(title);
    RUN_LOG_write(FMT_Trim(t).empty() ? std::string("Begin run") : t);
    UNIT_Write(Run_Log_Unit, " Date " + date + ", time " + time);
    UNIT_Flush(Run_Log_Unit);
}

void RUN_LOG_write(const std::string& text) {
    std::string line = FMT_Trim_Right(text);
    // Before the first log is opened there is no file; the line still reaches the console.
    if (Run_Log_Unit != 0) UNIT_Write(Run_Log_Unit, line);
    if (Run_Log_Echo == 0) UNIT_Write(UNIT_Console, line);
    if (Run_Log_Unit != 0) UNIT_Flush(Run_Log_Unit);
}

void RUN_LOG_close() {
    DYNLUN_close(Run_Log_Unit);
    // The closed unit number goes back to the allocator and may soon carry an
    // output file; with no current log, later log lines reach only the console.
    Run_Log_Unit = 0;
}
