// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program on large classical designs: the real design program on
// its thread and the real window layer (offscreen), answered as a user would,
// timed stage by stage and compared with the design alone.
//
// Family: low-pass, N weights, 2 bands, density 16, band 1 0–0.2 (desired 1,
// weight 1), band 2 0.2 + 2/N – 0.5 (desired 0, weight 10), 16 bits.
//
// With no arguments it runs, for each size, one child process that designs
// alone (KALTAP_Design on the same filter requirements) and one that runs the
// program, and prints one table; "--busy K" does the same with K processes
// that keep a core busy each running beside them. The children are this
// program again:
//   bench_pipeline --design-alone N      prints "design <seconds>"
//   bench_pipeline --pipeline N          prints "<stage> <seconds>" lines and "peak_rss_mib <MiB>"
//   bench_pipeline --pipeline N FOLDER   the same, run in FOLDER, whose result files, plots and run
//                                        log are kept (to compare two builds' files byte for byte)
//
// Stages of the program run, all seen from the GUI thread:
//   design + report   OK on "Band Definitions" until "Next action?" shows (with its
//                     preview of the main plot)
//   quantizer + hex   OK on the bits dialog until the hex file is written
//   weights file, response file   until each file is written (file times)
//   plot k compute    the last file or plot saved until plot k's window shows
//   plot k draw       its window shows until its last curve is drawn
//   plot k save       until its PNG file is saved
//   output stage      OK on the bits dialog until the program is idle
//   gui lag report / output   the most a 20 ms timer on the GUI thread fell
//                     behind during design + report and during the output stage
// The robot that answers the dialogs looks every few milliseconds, so each
// boundary it sees is late by at most that.
#include <QApplication>
#include <QDir>
#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Main.h"
#include "Program_Memory.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "XYPlot.h"
#include "bench_support.h"
#include "toolkit_test_support.h"

namespace {
const int Sizes[] = {1023, 4095, 16385};
constexpr int Plots = 6;
constexpr int Program_Timeout_ms = 600000;
constexpr int Heartbeat_ms = 20;

// The lower edge of band 2 as the robot types it: 17 digits read back to the
// very double the design alone uses.
QString secondEdge(int n) { return QString::number(0.2 + 2.0 / n, 'g', 17); }

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Peak resident memory of this process, MiB.
double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // KiB on Linux
}

int designAlone(int n) {
    Quiet_Console();
    Set_Up_Low_Pass_Family(n);
    const auto start = std::chrono::steady_clock::now();
    KALTAP_Design();
    std::printf("design %.4f\n", seconds(start, std::chrono::steady_clock::now()));
    return 0;
}

// The time a file in the working folder ending with `suffix` was last
// written, on the steady clock of this process (from the wall clock's
// distance to now).
bool fileWritten(const QString& suffix, std::chrono::steady_clock::time_point& when) {
    for (const QFileInfo& info : QDir::current().entryInfoList(QDir::Files)) {
        if (!info.fileName().endsWith(suffix)) continue;
        const qint64 ago_ms = info.lastModified().msecsTo(QDateTime::currentDateTime());
        when = std::chrono::steady_clock::now() - std::chrono::milliseconds(ago_ms);
        return true;
    }
    return false;
}

int pipeline(int argc, char** argv, int n, const char* folder) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program starts.
    Program_Memory_Return_Large_Blocks();
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    if (!QDir::setCurrent(folder != nullptr ? QString::fromLocal8Bit(folder) : scratch.path())) {
        std::fprintf(stderr, "cannot work in %s\n", folder != nullptr ? folder : "a temporary folder");
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    Clock::time_point bandsOk, nextAction, bitsOk, idle;
    std::vector<Clock::time_point> shown, drawn, saved;
    std::vector<int> curvesWanted;
    QList<QPointer<XYPlot>> plots;

    Program_Session controller(&application, KALTAP_Run_Design_Program);
    // Each plot window shows as it is created; it is drawn when its curves
    // are all there (the main plot, the last, has the rounded curve as well)
    // and saved when its image file is. The 1 ms poll below looks for both.
    QObject::connect(controller.mdiArea, &QMdiArea::subWindowActivated, [&](QMdiSubWindow* window) {
        if (window == nullptr || bitsOk == Clock::time_point() || int(shown.size()) >= Plots) return;
        auto* plot = qobject_cast<XYPlot*>(window->widget());
        if (plot == nullptr || (!plots.isEmpty() && plots.last() == plot)) return;
        shown.push_back(Clock::now());
        plots.append(plot);
        curvesWanted.push_back(int(shown.size()) == Plots ? 2 : 1);
    });
    const auto lookForPlotStages = [&] {
        if (drawn.size() < shown.size() && !plots.last().isNull() && plots.last()->curves.size() >= curvesWanted.back())
            drawn.push_back(Clock::now());
        if (saved.size() < drawn.size() &&
            QDir::current().entryList({QStringLiteral("*.png")}, QDir::Files).size() > int(saved.size()))
            saved.push_back(Clock::now());
    };

    Program_Robot robot(controller);
    robot.accept("User Agreement and Selection", {{"Agree?", "1"}, {"Select run type:", "1"}})
        .accept("Select Filter Type", {{"Select filter design approach:", "3"}})
        .accept("Legacy FIR Filter Parameters",
                {{"Select type of filter to design:", "1"},
                 {"Number of weights", QString::number(n)},
                 {"Number of Bands (use 1 for differentiator or Hilbert transformer)", "2"},
                 {"Search Grid Density", "16"}})
        .act("Band Definitions",
             [&](QWidget* dialog) {
                 const Program_Robot::Fields bands = {{"Left Band Edge@1", "0.0"},
                                                      {"Right Band Edge@1", "0.2"},
                                                      {"Desired Frequency Response@1", "1.0"},
                                                      {"Band Weighting@1", "1.0"},
                                                      {"Left Band Edge@2", secondEdge(n)},
                                                      {"Right Band Edge@2", "0.5"},
                                                      {"Desired Frequency Response@2", "0.0"},
                                                      {"Band Weighting@2", "10.0"}};
                 robot.setFields(dialog, bands);
                 bandsOk = Clock::now();
                 pressOk(dialog);
             })
        .act("Next action?",
             [&](QWidget* dialog) {
                 nextAction = Clock::now();
                 pressOk(dialog);
             })
        .act("Select Number of Bits for Rounding", [&](QWidget* dialog) {
            robot.setFields(dialog, {{"Number of Bits (2 to 48)", "16"}});
            bitsOk = Clock::now();
            pressOk(dialog);
        });

    // A 20 ms timer on the GUI thread: how far behind it falls shows how long
    // the GUI thread was kept from its events, per stage.
    QTimer heartbeat;
    Clock::time_point lastBeat = Clock::now();
    double lagDuringReport = 0.0, lagDuringOutput = 0.0;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double lag = seconds(lastBeat, now) - Heartbeat_ms / 1000.0;
        lastBeat = now;
        if (bitsOk != Clock::time_point())
            lagDuringOutput = std::max(lagDuringOutput, lag);
        else if (bandsOk != Clock::time_point())
            lagDuringReport = std::max(lagDuringReport, lag);
    });
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.start(Heartbeat_ms);

    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        lookForPlotStages();
        if (controller.menus->idle) {
            idle = Clock::now();
            wait.quit();
        }
    });
    poll.start(1);
    QTimer::singleShot(Program_Timeout_ms, &wait, &QEventLoop::quit);
    wait.exec();
    if (!controller.menus->idle || !robot.errors.isEmpty() || int(saved.size()) != Plots) {
        std::fprintf(stderr, "the program did not finish: %s (%zu plots saved)\n", qPrintable(robot.errors.join("; ")),
                     saved.size());
        return 1;
    }

    Clock::time_point hex, weights, response;
    if (!fileWritten("Hex_Weights.csv", hex) || !fileWritten("Filter_Weights.csv", weights) ||
        !fileWritten("Frequency_Response.csv", response)) {
        std::fprintf(stderr, "a result file is missing\n");
        return 1;
    }
    std::printf("design_and_report %.4f\n", seconds(bandsOk, nextAction));
    std::printf("quantizer_and_hex %.4f\n", seconds(bitsOk, hex));
    std::printf("weights_file %.4f\n", seconds(hex, weights));
    std::printf("response_file %.4f\n", seconds(weights, response));
    Clock::time_point before = response;
    for (int k = 0; k < Plots; ++k) {
        std::printf("plot%d_compute %.4f\n", k + 1, seconds(before, shown[k]));
        std::printf("plot%d_draw %.4f\n", k + 1, seconds(shown[k], drawn[k]));
        std::printf("plot%d_save %.4f\n", k + 1, seconds(drawn[k], saved[k]));
        before = saved[k];
    }
    std::printf("output_stage %.4f\n", seconds(bitsOk, idle));
    std::printf("gui_lag_report %.4f\n", lagDuringReport);
    std::printf("gui_lag_output %.4f\n", lagDuringOutput);
    std::printf("peak_rss_mib %.1f\n", peakRssMiB());
    return 0;
}

// Runs this program as a child and reads its "<name> <value>" lines.
std::map<std::string, double> child(const char* self, const char* mode, int n) {
    std::map<std::string, double> values;
    const std::string command = std::string("'") + self + "' " + mode + " " + std::to_string(n);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return values;
    char name[64];
    double value = 0.0;
    while (std::fscanf(pipe, "%63s %lf", name, &value) == 2) values[name] = value;
    pclose(pipe);
    return values;
}

// Processes that keep a core busy until the returned ones are ended.
std::vector<pid_t> startBusyProcesses(int count) {
    std::vector<pid_t> busy;
    for (int k = 0; k < count; ++k) {
        const pid_t pid = fork();
        if (pid == 0) {
            volatile unsigned long spin = 0;
            for (;;) ++spin;
        }
        if (pid > 0) busy.push_back(pid);
    }
    return busy;
}

void endBusyProcesses(const std::vector<pid_t>& busy) {
    for (pid_t pid : busy) kill(pid, SIGKILL);
    for (pid_t pid : busy) waitpid(pid, nullptr, 0);
}

int table(const char* self, int busyCount) {
    std::printf("Whole program, classical low-pass family, density 16, 16 bits; seconds unless marked");
    if (busyCount > 0) std::printf("; %d busy processes beside it", busyCount);
    std::printf("\n\n");
    std::fflush(stdout);
    const std::vector<pid_t> busy = startBusyProcesses(busyCount);
    std::vector<std::map<std::string, double>> runs, alone;
    for (int n : Sizes) {
        alone.push_back(child(self, "--design-alone", n));
        runs.push_back(child(self, "--pipeline", n));
    }
    endBusyProcesses(busy);
    std::printf("%-22s", "stage");
    for (int n : Sizes) std::printf("%14d", n);
    std::printf("\n");
    const auto row = [&](const std::string& label, const std::function<double(std::size_t)>& value) {
        std::printf("%-22s", label.c_str());
        for (std::size_t i = 0; i < runs.size(); ++i) std::printf("%14.3f", value(i));
        std::printf("\n");
    };
    const auto get = [](const std::map<std::string, double>& m, const std::string& key) {
        const auto it = m.find(key);
        return it == m.end() ? -1.0 : it->second;
    };
    row("design alone", [&](std::size_t i) { return get(alone[i], "design"); });
    std::vector<std::string> keys = {"design_and_report", "quantizer_and_hex", "weights_file", "response_file"};
    for (int k = 1; k <= Plots; ++k)
        for (const char* part : {"_compute", "_draw", "_save"}) keys.push_back("plot" + std::to_string(k) + part);
    keys.push_back("output_stage");
    keys.push_back("gui_lag_report");
    keys.push_back("gui_lag_output");
    for (const std::string& key : keys) row(key, [&](std::size_t i) { return get(runs[i], key); });
    row("report adds", [&](std::size_t i) { return get(runs[i], "design_and_report") - get(alone[i], "design"); });
    row("report / design", [&](std::size_t i) { return get(runs[i], "design_and_report") / get(alone[i], "design"); });
    row("output / design", [&](std::size_t i) { return get(runs[i], "output_stage") / get(alone[i], "design"); });
    row("peak RSS (MiB)", [&](std::size_t i) { return get(runs[i], "peak_rss_mib"); });
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--design-alone") return designAlone(std::atoi(argv[2]));
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--pipeline")
        return pipeline(argc, argv, std::atoi(argv[2]), argc == 4 ? argv[3] : nullptr);
    if (argc == 3 && std::string(argv[1]) == "--busy") return table(argv[0], std::atoi(argv[2]));
    return table(argv[0], 0);
}
