// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis of a set of taps, checked as a filter engineer checks it: the
// step response settles at the DC gain, a linear-phase filter delays every
// frequency by (N-1)/2 samples, its zeros come in reciprocal and conjugate
// pairs and multiply back to the taps, and a filter too long for all its
// zeros still shows those of its stopband, on the unit circle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Filter_Analysis.h"
#include "KALTAP_Weight_Quantization.h"
#include "test_support.h"

namespace {

using Complex = std::complex<double>;
constexpr double Pi = 3.14159265358979323846;

struct Analysis_Case {
    const char* name;
    int type, N;
    std::vector<Band> bands;
    int bits;  // 0: the designed taps; else the taps rounded to this many bits
};

void PrintTo(const Analysis_Case& c, std::ostream* os) { *os << c.name; }

// The taps of the designed case: h(1..N), designed or rounded.
std::vector<double> taps_of(const Analysis_Case& c) {
    Reset_Design_Program();
    Set_Up_Design(c.type, c.N, 16, c.bands);
    KALTAP_Design();
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    std::vector<double> h = Full_Impulse_Response();
    if (c.bits > 0) {
        KALTAP_Bits = c.bits;
        KALTAP_Quantizer();
        const double sign = Antisymmetric ? -1.0 : 1.0;
        for (int n = 1; n <= (c.N + 1) / 2; ++n) {
            h[static_cast<std::size_t>(n - 1)] = Rounded_Weights(n);
            h[static_cast<std::size_t>(c.N - n)] = sign * Rounded_Weights(n);
        }
        if (c.N % 2 == 1 && Antisymmetric) h[static_cast<std::size_t>(c.N / 2)] = 0.0;
    }
    return h;
}

double sum_of_magnitudes(const std::vector<double>& h) {
    double sum = 0.0;
    for (double v : h) sum += std::fabs(v);
    return sum;
}

// The engine's amplitude of the linear-phase taps h, an independent path.
double amplitude(const std::vector<double>& h, double f, bool symmetric) {
    const int N = static_cast<int>(h.size());
    Array1<double> w;
    w.allocate((N + 1) / 2);
    for (int n = 1; n <= (N + 1) / 2; ++n) w(n) = h[static_cast<std::size_t>(n - 1)];
    return KALTAP_Amplitude_Response(f, w, N, symmetric);
}

// P(z) = sum_n h(n) z^(N-n) evaluated directly.
Complex polynomial(const std::vector<double>& h, Complex z) {
    Complex p = 0.0;
    for (double v : h) p = p * z + v;
    return p;
}

class Filter_Analysis : public ::testing::TestWithParam<Analysis_Case> {};

TEST_P(Filter_Analysis, StepSettlesAtTheDcGain) {
    const Analysis_Case& c = GetParam();
    const std::vector<double> h = taps_of(c);
    const std::vector<double> s = KALTAP_Step_Response(h);
    ASSERT_EQ(s.size(), h.size());
    const double dc_gain = amplitude(h, 0.0, !Antisymmetric);
    EXPECT_NEAR(s.back(), dc_gain, 1e-14 * sum_of_magnitudes(h));
    // Half way the step has reached the centre's share: for a symmetric
    // filter s(N) = 2 s(N/2) (+ the centre tap when N is odd).
    if (!Antisymmetric) {
        const std::size_t half = h.size() / 2;
        const double centre = h.size() % 2 == 1 ? h[half] : 0.0;
        EXPECT_NEAR(s.back(), 2.0 * s[half - 1] + centre, 1e-14 * sum_of_magnitudes(h));
    }
}

TEST_P(Filter_Analysis, DelayIsHalfTheLengthAndPhaseIsLinear) {
    const Analysis_Case& c = GetParam();
    const std::vector<double> h = taps_of(c);
    const KALTAP_Phase_Delay view = KALTAP_Phase_And_Group_Delay(h, 1025);
    ASSERT_GE(view.frequency.size(), 513u);
    EXPECT_EQ(view.frequency.front(), 0.0);
    EXPECT_EQ(view.frequency.back(), 0.5);
    const double delay = 0.5 * (c.N - 1);
    const double beta = Antisymmetric ? Pi / 2 : 0.0;
    const double scale = sum_of_magnitudes(h);
    int defined = 0;
    for (std::size_t i = 0; i < view.frequency.size(); ++i) {
        const double f = view.frequency[i];
        Complex H, weighted;
        KALTAP_Phase_Delay_Direct(h, f, H, weighted);
        ASSERT_NEAR(view.magnitude[i], std::abs(H), 1e-12 * scale) << "f = " << f;
        if (std::isnan(view.phase[i])) {
            EXPECT_LE(std::abs(H), 2e-9 * scale) << "gap where the response is not zero, f = " << f;
            continue;
        }
        ++defined;
        // Group delay: relative accuracy falls with the magnitude.
        const double relative = std::abs(H) / scale;
        EXPECT_NEAR(view.group_delay[i], delay, 1e-12 * c.N / relative) << "f = " << f;
        // The phase is the linear phase plus the symmetry's quarter turn, up
        // to the half turns of the amplitude's sign.
        const double turns = (view.phase[i] + 2.0 * Pi * f * delay - beta) / Pi;
        EXPECT_NEAR(turns, std::round(turns), 1e-13 / relative) << "f = " << f;
        // Unwrapped: no step of a whole turn or more.
        if (i > 0 && !std::isnan(view.phase[i - 1])) { EXPECT_LE(std::fabs(view.phase[i] - view.phase[i - 1]), Pi); }
    }
    EXPECT_GT(defined, static_cast<int>(view.frequency.size()) / 2);
}

TEST_P(Filter_Analysis, ZerosPairAndMultiplyBackToTheTaps) {
    const Analysis_Case& c = GetParam();
    const std::vector<double> h = taps_of(c);
    const KALTAP_Zeros result = KALTAP_Filter_Zeros(h);
    ASSERT_TRUE(result.all) << "check " << result.check;
    EXPECT_LE(result.check, KALTAP_Zeros_Tolerance);
    ASSERT_EQ(static_cast<int>(result.zeros.size()) + result.at_origin, result.degree);
    for (const Complex& z : result.zeros) {
        // Conjugate and reciprocal partners.
        double conjugate = 1e300, reciprocal = 1e300;
        for (const Complex& w : result.zeros) {
            conjugate = std::min(conjugate, std::abs(w - std::conj(z)));
            reciprocal = std::min(reciprocal, std::abs(w - 1.0 / z) / std::max(1.0, std::abs(1.0 / z)));
        }
        EXPECT_LE(conjugate, 1e-6 * std::max(1.0, std::abs(z))) << z;
        EXPECT_LE(reciprocal, KALTAP_Zeros_Tolerance) << z;
    }
    // Multiplied out, the zeros give back the taps' polynomial on and off
    // the unit circle.
    std::size_t first = 0;
    while (h[first] == 0.0) ++first;
    for (const Complex point : {Complex(0.3, 0.8), Complex(-1.1, 0.2), std::polar(1.0, 0.77), Complex(0.5, -0.5)}) {
        Complex product = h[first] * std::pow(point, result.at_origin);
        for (const Complex& z : result.zeros) product *= point - z;
        const Complex direct = polynomial(h, point);
        double scale = 0.0;
        for (double v : h) scale = scale * std::abs(point) + std::fabs(v);
        EXPECT_LE(std::abs(product - direct), 1e-7 * scale) << point;
    }
}

// Band-pass (odd and even length), Hilbert transformer, differentiator, and
// the rounded taps of a band-pass design.
INSTANTIATE_TEST_SUITE_P(
    Cases, Filter_Analysis,
    ::testing::Values(Analysis_Case{"LowPassOdd", 1, 61, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 1.0}}, 0},
                      Analysis_Case{"LowPassEven", 1, 60, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}}, 0},
                      Analysis_Case{
                          "BandPass", 1, 127, {{0.0, 0.1, 0.0, 1.0}, {0.14, 0.3, 1.0, 1.0}, {0.34, 0.5, 0.0, 1.0}}, 0},
                      Analysis_Case{"Hilbert", 3, 31, {{0.05, 0.45, 1.0, 1.0}}, 0},
                      Analysis_Case{"Differentiator", 2, 32, {{0.0, 0.4, 1.0, 1.0}}, 0},
                      Analysis_Case{"RoundedLowPass", 1, 61, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 1.0}}, 12}),
    [](const ::testing::TestParamInfo<Analysis_Case>& info) { return std::string(info.param.name); });

// A low-pass longer than the zeros' limit shows its stopband zeros only: on
// the unit circle, in the stopband, where the amplitude is zero, one pair
// per stopband ripple.
TEST(Filter_Analysis_Long, ShowsTheStopbandZerosOnTheUnitCircle) {
    const Analysis_Case c{
        "Long", 1, KALTAP_Zeros_Length_Limit + 77, {{0.0, 0.2, 1.0, 1.0}, {0.2015, 0.5, 0.0, 1.0}}, 0};
    const std::vector<double> h = taps_of(c);
    const KALTAP_Zeros result = KALTAP_Filter_Zeros(h);
    EXPECT_FALSE(result.all);
    int upper = 0;
    for (const Complex& z : result.zeros) {
        EXPECT_NEAR(std::abs(z), 1.0, 1e-15);
        const double f = std::fabs(std::arg(z)) / (2.0 * Pi);
        EXPECT_GE(f, 0.2015) << "a zero outside the stopband";
        // The amplitude changes sign within 1e-11 of it (or is zero there).
        const double below = amplitude(h, f - 1e-11, true), above = amplitude(h, f + 1e-11, true);
        EXPECT_TRUE(below * above <= 0.0 || amplitude(h, f, true) == 0.0) << "f = " << f;
        if (z.imag() > 0.0) ++upper;
    }
    // An equiripple stopband of width B holds about B*N ripples, each
    // between two zeros.
    const double expected = (0.5 - 0.2015) * c.N;
    EXPECT_GE(upper, 0.9 * expected);
    EXPECT_LE(upper, 1.1 * expected);
}

}  // namespace
