// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the design engine, of the response evaluation and of the zeros.
//
// Low-pass family: passband 0-0.2 (desired 1, weight 1), stopband 0.2+2/N to
// 0.5 (desired 0, weight 10), density 16. Reference per-design times of a
// widely used C implementation of the same exchange on this machine kind are
// printed as counters, so each result reads as a ratio to its target.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Filter_Analysis.h"
#include "bench_support.h"

namespace {

// Reference seconds per design for N = 31 ... 16385.
double reference_seconds(int N) {
    switch (N) {
        case 31: return 0.078e-3;
        case 127: return 1.0e-3;
        case 255: return 3.0e-3;
        case 511: return 12.6e-3;
        case 1023: return 43e-3;
        case 2047: return 206e-3;
        case 4095: return 0.79;
        case 16385: return 14.4;
        default: return 0.0;
    }
}

void BM_Low_Pass_Design(benchmark::State& state) {
    Quiet_Console();
    const int N = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Set_Up_Low_Pass_Family(N);
        KALTAP_Design();
        benchmark::DoNotOptimize(Filter_Weights(1));
    }
    state.counters["target_s"] = reference_seconds(N) / 3.0;
    state.counters["reference_s"] = reference_seconds(N);
}
BENCHMARK(BM_Low_Pass_Design)
    ->Arg(31)
    ->Arg(127)
    ->Arg(255)
    ->Arg(511)
    ->Arg(1023)
    ->Arg(2047)
    ->Arg(4095)
    ->Arg(16385)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

struct Case {
    int type, N, density;
    std::vector<Band> bands;
};

const std::vector<Case> Ten_Cases = {
    {1, 24, 16, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}},
    {1, 25, 32, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}},
    {1, 32, 16, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}},
    {1, 33, 32, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}},
    {2, 32, 16, {{0, 0.5, 1, 1}}},
    {2, 33, 32, {{0, 0.45, 1, 1}}},
    {3, 20, 16, {{0.05, 0.5, 1, 1}}},
    {3, 21, 32, {{0.05, 0.45, 1, 1}}},
    {3, 22, 32, {{0.05, 0.5, 1, 1}}},
    {3, 23, 32, {{0.05, 0.45, 1, 1}}},
};

void BM_Ten_Reference_Designs(benchmark::State& state) {
    Quiet_Console();
    for (auto _ : state) {
        for (const Case& c : Ten_Cases) {
            Set_Up_Design(c.type, c.N, c.density, c.bands);
            KALTAP_Design();
        }
        benchmark::DoNotOptimize(Filter_Weights(1));
    }
    state.counters["target_s"] = 0.16e-3;
}
BENCHMARK(BM_Ten_Reference_Designs)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The response file's points: N * density + 1 frequencies from 0 to 0.5.
void BM_Response_Points(benchmark::State& state) {
    Quiet_Console();
    const int N = static_cast<int>(state.range(0));
    Set_Up_Low_Pass_Family(N);
    KALTAP_Design();
    const int P = N * Search_Grid_Density;
    std::vector<double> f(static_cast<std::size_t>(P) + 1), a(f.size());
    for (int i = 1; i <= P + 1; ++i) f[i - 1] = (i - 1) / (2.0 * P);
    for (auto _ : state) {
        KALTAP_Amplitude_Response_Many(f.data(), P + 1, Filter_Weights, N, true, a.data());
        benchmark::DoNotOptimize(a.data());
    }
    state.counters["points"] = P + 1;
    state.counters["target_s"] = N == 16385 ? 2.0 : 0.0;
}
BENCHMARK(BM_Response_Points)->Arg(1023)->Arg(16385)->Unit(benchmark::kMillisecond)->UseRealTime();

// The zeros view of a low-pass: every zero up to the length limit, the
// unit-circle zeros beyond it. Found on the design program's thread, beside
// the windows; about a second at the limit keeps a menu answer prompt.
void BM_Filter_Zeros(benchmark::State& state) {
    Quiet_Console();
    const int N = static_cast<int>(state.range(0));
    Set_Up_Low_Pass_Family(N);
    KALTAP_Design();
    std::vector<double> h(static_cast<std::size_t>(N));
    for (int n = 1; n <= (N + 1) / 2; ++n) h[n - 1] = h[N - n] = Filter_Weights(n);
    for (auto _ : state) benchmark::DoNotOptimize(KALTAP_Filter_Zeros(h).zeros.data());
    state.counters["target_s"] = N <= KALTAP_Zeros_Length_Limit ? 1.0 : 0.0;
}
BENCHMARK(BM_Filter_Zeros)->Arg(511)->Arg(2047)->Arg(16385)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
