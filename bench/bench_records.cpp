// SPDX-License-Identifier: GPL-3.0-or-later
// Design records run back to back, against the design alone.
//
//   bench_records [--records R]
//
// R records (default 100) of the low-pass family (bench_support.h) with N
// from 31 upward in steps of 2, rounded to 16 bits, are written to a
// temporary folder and made three ways, one after the other:
//   design alone      KALTAP_Design on the same requirements, nothing else;
//   record in-process KALTAP_Run_Design_Record without a window layer: the
//                     record read and checked, the dialogs answered from it,
//                     the report, the quantization and the CSV files (no
//                     plots);
//   kaltap --design   the real program, one process per record, plots drawn
//                     offscreen and saved as PNG files (when it was built).
// The table gives the total seconds, the milliseconds per design and each
// way's time over the design alone's.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Record_Run.h"
#include "KALTAP_Equalizer.h"
#include "bench_support.h"

namespace fs = std::filesystem;

namespace {

constexpr int Default_Records = 100;
constexpr int First_Weights = 31;
constexpr int Bits = 16;

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int weights_of(int record) { return First_Weights + 2 * record; }

// The record of the family's design with N weights.
std::string record_text(int N) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "{\"format\": \"kaltap-design\", \"format_version\": 2, \"input\": {\"path\": \"classical\", "
                  "\"filter_type\": \"bandpass\", \"number_of_weights\": %d, \"grid_density\": 16, \"bands\": ["
                  "{\"lower_edge\": 0.0, \"upper_edge\": 0.2, \"desired\": 1.0, \"weight\": 1.0}, "
                  "{\"lower_edge\": %.17g, \"upper_edge\": 0.5, \"desired\": 0.0, \"weight\": 10.0}], \"bits\": %d}}",
                  N, 0.2 + 2.0 / N, Bits);
    return text;
}

// Runs `program` with `arguments`, its output thrown away; its exit status.
int run_quietly(const std::string& program, const std::vector<std::string>& arguments) {
    std::fflush(stdout);  // nothing buffered goes with the child
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, STDOUT_FILENO) < 0) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void row(const char* way, double seconds, int records, double alone) {
    std::printf("%-18s %10.3f %12.3f %10.2f\n", way, seconds, 1000.0 * seconds / records, seconds / alone);
}

}  // namespace

int main(int argc, char** argv) {
    int records = Default_Records;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--records") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            records = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--records R]\n", argv[0]);
            return 2;
        }
    }
    std::string pattern = (fs::temp_directory_path() / "kaltap-bench-records-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    const fs::path folder = pattern;
    fs::create_directories(folder / "in-process");
    fs::create_directories(folder / "program");
    std::vector<std::string> paths;
    for (int r = 0; r < records; ++r) {
        paths.push_back((folder / ("design_" + std::to_string(r) + ".json")).string());
        std::ofstream(paths.back()) << record_text(weights_of(r));
    }
    Quiet_Console();
    Equalizer_Pause_Seconds = 0.0;

    Clock::time_point start = Clock::now();
    for (int r = 0; r < records; ++r) {
        Set_Up_Low_Pass_Family(weights_of(r));
        KALTAP_Design();
    }
    const double alone = seconds_since(start);

    // Standard output is the console's echo here: kept off the terminal.
    std::fflush(stdout);
    const int saved_stdout = dup(fileno(stdout));
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
    int failed = 0;
    start = Clock::now();
    for (const std::string& path : paths) {
        std::string error;
        failed += KALTAP_Run_Design_Record(path, (folder / "in-process").string(), error) != KALTAP_Record_Run_Done;
    }
    const double in_process = seconds_since(start);
    std::fflush(stdout);
    dup2(saved_stdout, fileno(stdout));
    close(saved_stdout);

    std::printf("%d records of the low-pass family, N = %d to %d, %d bits\n", records, weights_of(0),
                weights_of(records - 1), Bits);
    std::printf("%-18s %10s %12s %10s\n", "way", "total s", "ms/design", "x alone");
    row("design alone", alone, records, alone);
    row("record in-process", in_process, records, alone);
#ifdef KALTAP_PROGRAM
    start = Clock::now();
    for (const std::string& path : paths)
        failed += run_quietly(KALTAP_PROGRAM, {"--design", path, "--output-dir", (folder / "program").string()}) != 0;
    row("kaltap --design", seconds_since(start), records, alone);
#endif
    if (failed != 0) std::printf("%d record runs failed\n", failed);
    fs::remove_all(folder);
    return failed == 0 ? 0 : 1;
}
