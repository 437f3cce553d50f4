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
    Type_of_Filter = 1;
    Number_of_Weights = 128;
    Search_Grid_Density = 64;
    Number_of_Bands = 5;
    KALTAP_New_Design();
    Number_of_Bands = 2;
    Search_Grid_Density = 32;
    KALTAP_BandType = 1;
    Band_Edges(1) = 0.0;
    Band_Edges(2) = 0.15;
    Band_Edges(3) = 0.2;
    Band_Edges(4) = 0.5;
    Band_Desired_Value(1) = 1.0;
    Band_Desired_Value(2) = 0.0;
    Band_Weighting(1) = 1.0;
    Band_Weighting(2) = 1.0;
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
