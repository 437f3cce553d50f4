// SPDX-License-Identifier: GPL-3.0-or-later
// Files that cannot be written: a full disk (/dev/full behind the file's
// name), a file size limit and a file removed while it is open. Each result
// file, run log and report on a run log must end in an error line naming the
// routine, the file and the reason, with its unit closed and handed back, and
// an orderly stop.
// A plot image that the window layer could not write ends the same way.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Dynamic_LUN.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Output.h"
#include "KALTAP_Weight_Quantization.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

const std::string Stamp = "20261206_1407_";  // result files at the fixed clock below
const std::string Log_Stamp = "_20261206_1407.txt";
const std::string Witness_Log = "Witness_Log" + Log_Stamp;  // the log current before the failure
// A log that fails itself: the second design of the minute, so its stem has "_2".
const std::string Doomed_Log = "Doomed_Log_20261206_1407_2.txt";

const std::string Disk_Full = std::strerror(ENOSPC);
const std::string File_Too_Large = std::strerror(EFBIG);

// Files may grow to `bytes` at most: a write beyond gives EFBIG (the signal
// that would end the process is ignored). Undone by No_Size_Limit.
void Size_Limit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}
void No_Size_Limit() {
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
}

// The file's name leads to /dev/full: it opens, and every write of its
// buffered lines fails with "No space left on device".
void Full_Disk_Under(const std::string& name) {
    std::remove(name.c_str());
    ASSERT_EQ(symlink("/dev/full", name.c_str()), 0) << name;
}

void Quantize() {
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
}

struct Failure {
    const char* name;
    void (*prepare)();  // sets up the failure; a log of its own is opened here
    void (*action)();
    const char* routine;
    std::string file;
    std::string reason;
    bool log_fails;  // the failing file is a run log: its line reaches the console only
};

void Full_Weights() { Full_Disk_Under(Stamp + "Filter_Weights.csv"); }
void Full_Response() { Full_Disk_Under(Stamp + "Frequency_Response.csv"); }
void Full_Hex() {
    Quantize();
    Full_Disk_Under(Stamp + "Hex_Weights.csv");
}
// A new log takes a name no file has, so a size limit stands for the full disk.
void Full_Log() { Size_Limit(8); }
// A log whose file is removed after its first lines: later lines are lost.
void Removed_Log() {
    RUN_LOG_open("Doomed_Log.txt", "doomed");
    std::remove(Doomed_Log.c_str());
}
void Open_Full_Log() { RUN_LOG_open("Doomed_Log.txt", "never kept"); }
void Log_Line() { RUN_LOG_write("lost line"); }
void Close_Log() { RUN_LOG_close(); }

// A design of five taps and a run log, the witness, current before the failure.
class Failing_Files : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        std::remove(Doomed_Log.c_str());
        RUN_LOG_open("Witness_Log.txt", "witness");
        witness_unit = Run_Log_Unit;
        Set_Up_Design(1, 5, 16, {{0.0, 0.5, 1.0, 1.0}});
        Filter_Weights(1) = 0.1, Filter_Weights(2) = 0.2, Filter_Weights(3) = 0.3;
        KALTAP_Filter_Weights_Valid = true;
    }
    void TearDown() override {
        No_Size_Limit();
        Timers_Set_Clock({});
        Reset_Design_Program();
        for (const char* base : {"Filter_Weights.csv", "Frequency_Response.csv", "Hex_Weights.csv"})
            std::remove((Stamp + base).c_str());
        std::remove(Doomed_Log.c_str());
    }
    int witness_unit = 0;
    Console_Capture console;
};

class Write_Failures : public Failing_Files, public ::testing::WithParamInterface<Failure> {};

TEST_P(Write_Failures, ReportTheFileAndTheReasonAndStopWithTheUnitHandedBack) {
    const Failure& f = GetParam();
    f.prepare();
    const int listed_before = DYNLUN_Count;
    const int failing_log = Run_Log_Unit != witness_unit ? Run_Log_Unit : 0;
    console.lines.clear();
    std::string text;
    const bool stopped = Stops(f.action, &text);
    No_Size_Limit();
    ASSERT_TRUE(stopped);

    const std::string line = std::string("###Error in ") + f.routine + ", writing " + f.file + " failed: " + f.reason;
    EXPECT_EQ(text, line);
    EXPECT_EQ(console.count(line), 1);
    // Nothing was opened on the failing file's unit any more, and the
    // allocator has it back: only the logs that are still good stay listed.
    if (failing_log != 0) {
        EXPECT_FALSE(UNIT_Is_Open(failing_log));
        EXPECT_EQ(DYNLUN_Find(failing_log), 0);
        EXPECT_EQ(DYNLUN_Count, listed_before - 1);
    } else {
        EXPECT_EQ(DYNLUN_Count, listed_before);
    }
    EXPECT_FALSE(UNIT_Is_Open(40));
    // A failed log is no longer current (a failed open leaves the one before);
    // any other failure is kept in the current log.
    const bool failed_open = std::string(f.routine) == "RUN_LOG_open";
    EXPECT_EQ(Run_Log_Unit, f.log_fails && !failed_open ? 0 : witness_unit);
    const auto witness = Read_Lines(Witness_Log);
    ASSERT_FALSE(witness.empty());
    EXPECT_EQ(witness.back() == line, !f.log_fails);
}

const std::string Removed = UNIT_Removed_File_Reason;

INSTANTIATE_TEST_SUITE_P(
    Files, Write_Failures,
    ::testing::Values(Failure{"weights_full", Full_Weights, KALTAP_Write_CSV, "KALTAP_Write_CSV",
                              Stamp + "Filter_Weights.csv", Disk_Full, false},
                      Failure{"response_full", Full_Response, KALTAP_Frequency_Response_CSV,
                              "KALTAP_Frequency_Response_CSV", Stamp + "Frequency_Response.csv", Disk_Full, false},
                      Failure{"hex_full", Full_Hex, KALTAP_Write_Hex_CSV, "KALTAP_Write_Hex_CSV",
                              Stamp + "Hex_Weights.csv", Disk_Full, false},
                      Failure{"log_open_too_large", Full_Log, Open_Full_Log, "RUN_LOG_open", Doomed_Log, File_Too_Large,
                              true},
                      Failure{"log_write_removed", Removed_Log, Log_Line, "RUN_LOG_write", Doomed_Log, Removed, true},
                      Failure{"log_close_removed", Removed_Log, Close_Log, "RUN_LOG_close", Doomed_Log, Removed, true},
                      Failure{"quantized_report_removed_log", Removed_Log, Quantize, "KALTAP_Quantized_Output",
                              Doomed_Log, Removed, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A result file cut short by the file size limit (a real EFBIG) keeps
// nothing: the earlier file of its name stays byte for byte, no temporary
// file is left beside it, and the unit goes back.
struct Cut_Short {
    const char* name;
    void (*writer)();
    const char* routine;
    const char* base;
};

class Cut_Short_Writes : public Failing_Files, public ::testing::WithParamInterface<Cut_Short> {};

// Files of the working directory whose names start with `prefix`.
std::vector<std::string> Files_Starting_With(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().filename());
    return names;
}

TEST_P(Cut_Short_Writes, LeaveTheEarlierFileAsItWas) {
    const Cut_Short& c = GetParam();
    Quantize();
    const std::string name = Stamp + c.base;
    const std::string earlier = "an earlier file of this name\n";
    std::ofstream(name) << earlier;
    const int listed_before = DYNLUN_Count;
    Size_Limit(earlier.size());  // every file here is longer
    std::string text;
    const bool stopped = Stops(c.writer, &text);
    No_Size_Limit();
    ASSERT_TRUE(stopped);
    EXPECT_EQ(text, std::string("###Error in ") + c.routine + ", writing " + name + " failed: " + File_Too_Large);
    std::ifstream in(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), earlier);
    EXPECT_TRUE(Files_Starting_With("." + name).empty());
    EXPECT_EQ(DYNLUN_Count, listed_before);
    EXPECT_FALSE(UNIT_Is_Open(40));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Cut_Short_Writes,
    ::testing::Values(Cut_Short{"weights", KALTAP_Write_CSV, "KALTAP_Write_CSV", "Filter_Weights.csv"},
                      Cut_Short{"response", KALTAP_Frequency_Response_CSV, "KALTAP_Frequency_Response_CSV",
                                "Frequency_Response.csv"},
                      Cut_Short{"hex", KALTAP_Write_Hex_CSV, "KALTAP_Write_Hex_CSV", "Hex_Weights.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Plot_Save_Failure {
    const char* name;
    void (*draw)();
    std::size_t saved_before;  // images written before the one that fails
    const char* routine;
    const char* file;  // the end of the name asked for
};

class Plot_Save_Failures : public Failing_Files, public ::testing::WithParamInterface<Plot_Save_Failure> {};

// The line names the file as the design program asked for it, with the
// window layer's reason; no plot follows the failed one.
TEST_P(Plot_Save_Failures, ReportTheWindowLayersReasonAndStopBeforeTheNextPlot) {
    const Plot_Save_Failure& f = GetParam();
    const std::string reason = "File too large";
    UIK_Script script;
    for (std::size_t k = 0; k < f.saved_before; ++k) script.Save_Written();
    script.Save_Fails(reason);
    console.lines.clear();
    std::string text;
    ASSERT_TRUE(Stops(f.draw, &text));

    ASSERT_EQ(script.failed_saves.size(), 1u);
    const std::string& file = script.failed_saves[0];
    const std::string end = f.file;
    EXPECT_TRUE(file.size() >= end.size() && file.compare(file.size() - end.size(), end.size(), end) == 0) << file;
    const std::string line = std::string("###Error in ") + f.routine + ", writing " + file + " failed: " + reason;
    EXPECT_EQ(text, line);
    EXPECT_EQ(console.count(line), 1);
    EXPECT_EQ(script.saved_files.size(), f.saved_before);
    EXPECT_EQ(script.plots.size(), f.saved_before + 1);
    EXPECT_EQ(Run_Log_Unit, witness_unit);
    const auto witness = Read_Lines(Witness_Log);
    ASSERT_FALSE(witness.empty());
    EXPECT_EQ(witness.back(), line);
    EXPECT_TRUE(script.script_errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Images, Plot_Save_Failures,
                         ::testing::Values(Plot_Save_Failure{"main_plot", KALTAP_Plot_Frequency_Response, 0,
                                                             "KALTAP_Plot_Frequency_Response", "plot_1X.png"},
                                           Plot_Save_Failure{"second_linear_view", KALTAP_Plot_Linear_Views, 1,
                                                             "KALTAP_Plot_Centred_Linear", "plot_2XL.png"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
