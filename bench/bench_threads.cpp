// SPDX-License-Identifier: GPL-3.0-or-later
// Two threads against one on the design alone of the low-pass family, on an
// idle or a loaded machine.
//
//   bench_threads [--busy K] [--rounds R] [N ...]
//
// --busy K starts K processes that spin on their own (killed at the end) so
// that the design shares the cores with other work; default 2. Each of the R
// rounds (default 5) designs every N (default 511 4095 16385) once on one
// thread and once on two, taking turns; the table gives the median and the
// fastest seconds of each and the ratio two/one of the medians. A design
// shorter than Sample_Seconds is repeated within each round (the turns
// continuing), so that every timing spans many of the scheduler's time
// slices.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "Parallel_Work.h"
#include "bench_support.h"

namespace {

constexpr double Sample_Seconds = 0.25;

// Processes that keep a core busy until they are killed (or their parent
// ends).
class Busy_Processes {
public:
    explicit Busy_Processes(int count) {
        for (int k = 0; k < count; ++k) {
            const pid_t pid = fork();
            if (pid == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                volatile unsigned long spin = 0;
                for (;;) spin = spin + 1;
            }
            if (pid > 0)
                children_.push_back(pid);
            else
                std::perror("fork");
        }
    }
    ~Busy_Processes() {
        for (pid_t pid : children_) kill(pid, SIGKILL);
        for (pid_t pid : children_) waitpid(pid, nullptr, 0);
    }
    Busy_Processes(const Busy_Processes&) = delete;
    Busy_Processes& operator=(const Busy_Processes&) = delete;

private:
    std::vector<pid_t> children_;
};

// Seconds for the design alone (the set-up is not timed).
double design_seconds(int N, bool one_thread) {
    KALTAP_Parallel_Use_One_Thread(one_thread);
    Set_Up_Low_Pass_Family(N);
    const auto start = std::chrono::steady_clock::now();
    KALTAP_Design();
    const auto end = std::chrono::steady_clock::now();
    KALTAP_Parallel_Use_One_Thread(false);
    return std::chrono::duration<double>(end - start).count();
}

// The machine's load average over the last minute (other work included).
double load_average() {
    double load[1] = {0.0};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : 0.5 * (v[h - 1] + v[h]);
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--busy K] [--rounds R] [N ...]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int busy = 2, rounds = 5;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--busy") == 0 && i + 1 < argc)
            busy = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (argv[i][0] != '-' && std::atoi(argv[i]) > 2)
            sizes.push_back(std::atoi(argv[i]));
        else
            return usage(argv[0]);
    }
    if (busy < 0 || rounds < 1) return usage(argv[0]);
    if (sizes.empty()) sizes = {511, 4095, 16385};
    Quiet_Console();

    // Warm up both modes (the helper thread, the caches of the grid) and
    // find how often each design is repeated within a timing, before any
    // timing under load.
    std::vector<int> repeats;
    for (int N : sizes) {
        design_seconds(N, false);
        const double seconds = design_seconds(N, true);
        repeats.push_back(seconds >= Sample_Seconds ? 1 : static_cast<int>(Sample_Seconds / seconds) + 1);
    }

    std::printf("%d busy process%s, %d round%s, load average %.2f\n", busy, busy == 1 ? "" : "es", rounds,
                rounds == 1 ? "" : "s", load_average());
    Busy_Processes load(busy);
    std::printf("%7s %12s %12s %12s %12s %8s\n", "N", "one med s", "one min s", "two med s", "two min s", "two/one");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int N = sizes[i];
        std::vector<double> one, two;
        for (int r = 0; r < rounds; ++r) {
            // Designs on one thread and on two take turns (which goes first
            // alternating), so that both see the machine alike.
            double seconds[2] = {0.0, 0.0};
            for (int k = 0; k < 2 * repeats[i]; ++k) {
                const bool one_thread = (k % 2 == 0) == ((k / 2 + r) % 2 == 0);
                seconds[one_thread ? 0 : 1] += design_seconds(N, one_thread);
            }
            one.push_back(seconds[0] / repeats[i]);
            two.push_back(seconds[1] / repeats[i]);
        }
        const double m1 = median(one), m2 = median(two);
        std::printf("%7d %12.5f %12.5f %12.5f %12.5f %8.3f\n", N, m1, *std::min_element(one.begin(), one.end()), m2,
                    *std::min_element(two.begin(), two.end()), m2 / m1);
        std::fflush(stdout);
    }
    return 0;
}
