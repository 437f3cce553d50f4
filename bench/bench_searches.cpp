// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the two-band searches for a 41-weight low-pass filter (passband
// 0-0.15, transition 0.05, 0.1 dB ripple, 55 dB): each should take at most a
// few seconds.
#include <benchmark/benchmark.h>

#include "FIR_Optimization_Engine.h"
#include "KALTAP_Configuration_Parameters.h"
#include "bench_support.h"

namespace {

// The two-band set-up: arrays sized generously, then two bands at density 32.
void set_up_low_pass(int N) {
    Set_Up_Two_Band_Storage(1);
    Set_Band_Tables({{0.0, 0.15, 1.0, 1.0}, {0.2, 0.5, 0.0, 1.0}});
    FIR_Passband_PtoP_Ripple = 0.1;
    FIR_Stopband_Attenuation = 55.0;
    Number_of_Weights = N;
}

void BM_Find_Order(benchmark::State& state) {
    Quiet_Console();
    for (auto _ : state) {
        set_up_low_pass(41);
        FIROPT_NOW = 2;
        FIROPT_Minimize_No_of_Weights();
    }
}
BENCHMARK(BM_Find_Order)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Find_Transition(benchmark::State& state) {
    Quiet_Console();
    for (auto _ : state) {
        set_up_low_pass(41);
        FIROPT_BW_Optimization(static_cast<int>(state.range(0)));
    }
}
BENCHMARK(BM_Find_Transition)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Find_Ripple(benchmark::State& state) {
    Quiet_Console();
    for (auto _ : state) {
        set_up_low_pass(41);
        FIROPT_Ripple_Optimization();
    }
}
BENCHMARK(BM_Find_Ripple)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Find_Stopband(benchmark::State& state) {
    Quiet_Console();
    for (auto _ : state) {
        set_up_low_pass(41);
        FIROPT_Stopband_Optimization();
    }
}
BENCHMARK(BM_Find_Stopband)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
