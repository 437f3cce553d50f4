// SPDX-License-Identifier: GPL-3.0-or-later
// Designs that exercise the fine steps of the exchange, and the behaviour of
// the exchange at its limits.
#include <cmath>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Interpolation_Kernel.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "KALTAP_Remez_Engine.h"
#include "Run_Logging.h"
#include "test_support.h"

namespace {

struct Fine_Step_Case {
    const char* name;
    int type, N, density;
    std::vector<Band> bands;
    int iterations;
    double deviation;
    bool deviation_decrease;
};

class Fine_Steps : public Design_Case_Test<Fine_Step_Case> {};

TEST_P(Fine_Steps, IterationsAndDeviation) {
    const Fine_Step_Case& c = GetParam();
    Quiet_Remez = false;
    KALTAP_Design();
    Quiet_Remez = true;
    EXPECT_EQ(console.count("Iteration "), c.iterations);
    EXPECT_NEAR(Remez_Deviation, c.deviation, 0.5e-10);
    EXPECT_EQ(console.contains("###Deviation decrease!"), c.deviation_decrease);
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    if (c.deviation_decrease) {
        EXPECT_TRUE(console.contains("************ Failure to converge **********"));
        EXPECT_TRUE(console.contains("Probable cause is machine rounding error.  Number of iterations = " +
                                     std::to_string(c.iterations)));
        EXPECT_TRUE(console.contains("If the number of iterations exceeds 3, the design may be correct,"));
        EXPECT_TRUE(console.contains("but should be verified by checking the frequency response."));
        for (int j = 1; j <= Half_Length; ++j) EXPECT_TRUE(std::isfinite(Filter_Weights(j)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, Fine_Steps,
    ::testing::Values(
        // The first extremum's level needs the 1.00001 factor.
        Fine_Step_Case{"Hilbert11", 3, 11, 32, {{0.05, 0.45, 1, 1}}, 3, 0.1017490164, false},
        // An extremum below the set.
        Fine_Step_Case{"Lowpass19", 1, 19, 8, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}}, 7, 0.01123474317, false},
        // The level stops growing at iteration 7.
        Fine_Step_Case{
            "Bandpass29", 1, 29, 8, {{0, 0.1, 0, 1}, {0.15, 0.35, 1, 1}, {0.4, 0.5, 0, 1}}, 7, 0.02370048061, true}),
    Case_Name());

// The interpolation on the extremal set reproduces a polynomial of low degree
// from its values, wherever the points lie, for set sizes below, at and above
// the runs of sixteen points that share a division; a point within the
// coincidence distance of a set point takes that point's value.
TEST(Interpolation, ReproducesALowDegreePolynomial) {
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Design(1, 1200, 4, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}});
    auto p = [](double x) { return 0.3 - 0.7 * x + 1.1 * x * x * x; };
    for (int m : {5, 15, 16, 17, 33, 64, 65, 257, 600}) {
        for (int j = 1; j <= m; ++j) {
            Extremal_Cosine(j) = std::cos(3.14159265358979 * (j - 0.7) / m);
            Extremal_Value(j) = p(Extremal_Cosine(j));
        }
        KALTAP_Barycentric_Weights(m, (m - 2) / 15 + 1);
        double worst = 0.0;
        for (int i = 0; i <= 400; ++i) {
            const double x = -1.0 + i / 200.0;
            worst = std::max(worst, std::fabs(KALTAP_Interpolate_At_Cosine(x, m) - p(x)));
        }
        EXPECT_LT(worst, 1e-12) << m << " points";
        const double near = Extremal_Cosine(m / 2) + 0.5e-10;
        EXPECT_EQ(KALTAP_Interpolate_At_Cosine(near, m), Extremal_Value(m / 2)) << m << " points";
        // Just outside the coincidence distance the value is interpolated.
        const double close = Extremal_Cosine(m / 2) + 5e-10;
        EXPECT_NEAR(KALTAP_Interpolate_At_Cosine(close, m), p(close), 1e-13) << m << " points";
        EXPECT_NE(KALTAP_Interpolate_At_Cosine(close, m), Extremal_Value(m / 2)) << m << " points";
    }
}

// Where the blocked sums cancel to 0/0 but the plain sequential sum does not,
// the kernels give the plain value. All differences are powers of two, so
// every term is exact: sequentially 1e20 - 1e20 + 1 = 1, while the lanes add
// (1e20 + 1) + (-1e20) = 0. Sets summed in runs of four, in runs of sixteen
// and in two halves.
TEST(Interpolation, CancelledBlockedSumsFallBackToThePlainSum) {
    Reset_Design_Program();
    Console_Capture console;
    const int largest = KALTAP_Split_Points + 16;
    Set_Up_Design(1, 2 * largest, 4, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}});
    for (int m : {8, 16, largest}) {
        for (int j = 1; j <= m; ++j) {
            Extremal_Cosine(j) = j <= 16 ? -std::ldexp(1.0, -(j - 1)) : -1.0;  // xf - X(j) = 2^-(j-1) at xf = 0
            Extremal_Value(j) = 1.0;
            Barycentric_Weight(j) = 0.0;
        }
        Barycentric_Weight(1) = 1e20;                 // term 1e20 (lane 0)
        Barycentric_Weight(3) = -1e20 * 0.25;         // term -1e20 (lane 2)
        Barycentric_Weight(6) = std::ldexp(1.0, -5);  // term 1 (lane 1)
        EXPECT_EQ(KALTAP_Interpolate_At_Cosine_Plain(0.0, m), 1.0) << m;
        EXPECT_EQ(KALTAP_Interpolate_At_Cosine(0.0, m), 1.0) << m;
        EXPECT_EQ(KALTAP_Interpolate_At_Cosine_Parallel(0.0, m), 1.0) << m;
        if (m < KALTAP_Split_Points) { EXPECT_EQ(kaltap_interpolation::value_at(0.0, m), 1.0) << m; }
    }
}

}  // namespace
