// SPDX-License-Identifier: GPL-3.0-or-later
// The plots' responses by one transform of the taps: on the plots' grids
// and on grids of other offsets, steps and lengths, every value lies within
// a few units in the last place of the direct sum's, and the curves the
// views write are the direct sum's up to that.
#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Output.h"
#include "KALTAP_Uniform_Response.h"
#include "test_support.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// Taps of the kind an engineer designs, put straight into the design state.
enum class Taps { Designed_Bandpass, Windowed_Lowpass, Random, Hilbert, Differentiator };

struct Filter_Case {
    const char* name;
    Taps taps;
    int N, density;
};
void PrintTo(const Filter_Case& c, std::ostream* os) { *os << c.name; }

// Kaiser-windowed ideal low-pass (or Hilbert / differentiator) of length N:
// stopbands far below -100 dB, so the floor and the deep nulls are covered.
double bessel_i0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 60; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

void set_up(const Filter_Case& c) {
    Reset_Design_Program();
    const int type = c.taps == Taps::Hilbert ? 3 : c.taps == Taps::Differentiator ? 2 : 1;
    const std::vector<Band> bands = type == 1 ? std::vector<Band>{{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}}
                                              : std::vector<Band>{{0.05, 0.45, 1.0, 1.0}};
    Set_Up_Design(type, c.N, c.density, bands);
    if (c.taps == Taps::Designed_Bandpass) {
        Set_Up_Design(1, c.N, c.density, {{0.0, 0.1, 0.0, 10.0}, {0.2, 0.35, 1.0, 1.0}, {0.425, 0.5, 0.0, 10.0}});
        KALTAP_Design();
        ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
        return;
    }
    std::mt19937_64 random(c.N);
    std::uniform_real_distribution<double> tap(-0.5, 0.5);
    const double centre = (c.N - 1) / 2.0, beta = 12.0;
    for (int k = 1; k <= (c.N + 1) / 2; ++k) {
        const double n = (k - 1) - centre;  // distance from the centre, <= 0
        const double window = bessel_i0(beta * std::sqrt(std::max(0.0, 1.0 - (n / centre) * (n / centre)))) /
                              bessel_i0(beta);
        double h = 0.0;
        switch (c.taps) {
            case Taps::Windowed_Lowpass: h = n == 0.0 ? 0.25 : std::sin(0.25 * Pi * n) / (Pi * n); break;
            case Taps::Hilbert: h = n == 0.0 ? 0.0 : (1.0 - std::cos(Pi * n)) / (Pi * n); break;
            case Taps::Differentiator:
                h = n == 0.0 ? 0.0 : std::cos(Pi * n) / n - std::sin(Pi * n) / (Pi * n * n);
                break;
            default: h = tap(random); break;
        }
        Filter_Weights(k) = c.taps == Taps::Random ? h : h * window;
    }
    KALTAP_Filter_Weights_Valid = true;
}

const Filter_Case Filters[] = {
    {"designed band-pass, 42 taps", Taps::Designed_Bandpass, 42, 32},
    {"designed band-pass, 43 taps", Taps::Designed_Bandpass, 43, 16},
    {"windowed low-pass, 4095 taps", Taps::Windowed_Lowpass, 4095, 16},
    {"windowed low-pass, 2048 taps", Taps::Windowed_Lowpass, 2048, 16},
    {"random taps, 1001", Taps::Random, 1001, 8},
    {"Hilbert, 1023 taps", Taps::Hilbert, 1023, 16},
    {"differentiator, 1024 taps", Taps::Differentiator, 1024, 16},
    {"single tap", Taps::Random, 1, 16},
};

// How far a value may stray from the direct sum's, in units in the last
// place: each output of the transform gathers the roundings of about
// log2(length) stages, of 2 * sum |taps| each; the direct sum's term i has
// the angle 2 pi f (i+s), rounded to a unit in its own last place.
constexpr double Ulps_Per_Stage = 8.0, Ulps_Per_Angle = 4.0;
constexpr double Epsilon = 2.220446049250313e-16;
constexpr double Two_Pi = 2.0 * Pi;

struct Allowance {
    double base = 0.0, per_frequency = 0.0;
    Allowance(const Array1<double>& w, int N, long long Q) {
        const int m = N / 2;
        double taps = 0.0, taps_by_index = 0.0;
        for (int i = 1; i <= (N + 1) / 2; ++i) taps += std::fabs(w(i));
        for (int i = 1; i <= m; ++i) taps_by_index += std::fabs(w(m + 1 - i)) * i;
        base = Ulps_Per_Stage * Epsilon * 2.0 * taps * (std::log2(static_cast<double>(Q) + 2.0) + 1.0);
        per_frequency = Ulps_Per_Angle * Epsilon * 2.0 * Two_Pi * taps_by_index;
    }
    double at(double f) const { return base + per_frequency * std::fabs(f); }
};

class Plot_Curves : public ::testing::TestWithParam<Filter_Case> {
protected:
    void SetUp() override { set_up(GetParam()); }
    Console_Capture console;
};

// The plots' three kinds of grid, one with an odd step over a longer
// denominator starting a period further on, one folded over the taps (L
// below N/2), one of prime length, and one of steps of 1/N.
TEST_P(Plot_Curves, TransformAgreesWithTheDirectSumOnEveryGrid) {
    const Filter_Case& c = GetParam();
    const bool symmetric = PMC_DCT_Type <= 2;
    struct Grid {
        double f0;
        long long a, L;
        int count;
    };
    const long long P = static_cast<long long>(c.N) * c.density;
    const Grid grids[] = {{0.0, 1, 2 * P, static_cast<int>(P + 1)},
                          {-0.5, 1, 2 * P, static_cast<int>(2 * P + 1)},
                          {-1.5, 3, 3 * P, static_cast<int>(3 * P + 1)},
                          {1.0, 2, 2 * P + 1, static_cast<int>(3 * P)},
                          {0.5, 1, 7, 50},
                          {-0.5, 1, 20011, 20012},
                          {0.5, 1, std::max(2LL * (c.N / 2), 2LL), 4 * c.N + 1}};
    for (const Grid& g : grids) {
        std::vector<double> fast(g.count), f(g.count), direct(g.count);
        ASSERT_TRUE(KALTAP_Uniform_Response(Filter_Weights, c.N, symmetric, g.f0, g.a, g.L, g.count, fast.data(), 1));
        for (int q = 0; q < g.count; ++q) f[q] = g.f0 + static_cast<double>(g.a * q) / static_cast<double>(g.L);
        KALTAP_Amplitude_Response_Many(f.data(), g.count, Filter_Weights, c.N, symmetric, direct.data());
        const Allowance allowed(Filter_Weights, c.N, 2 * g.L);
        for (int q = 0; q < g.count; ++q)
            ASSERT_LE(std::fabs(fast[q] - direct[q]), allowed.at(f[q]))
                << "grid f0 = " << g.f0 << ", a = " << g.a << ", L = " << g.L << ": point " << q << " at f = " << f[q]
                << ", " << fast[q] << " against " << direct[q];
    }
}

// Each view's rows: the view's frequencies, and the direct sum's values (in
// decibels above the floor) up to the transform's allowance.
TEST_P(Plot_Curves, ViewsWriteTheDirectSumsCurve) {
    const Filter_Case& c = GetParam();
    const bool symmetric = PMC_DCT_Type <= 2;
    const double floor = KALTAP_Response_Floor();
    const Allowance allowed(Filter_Weights, c.N, 6LL * c.N * c.density);
    for (KALTAP_Plot_View view :
         {KALTAP_Plot_View::Main_dB, KALTAP_Plot_View::Centred_dB, KALTAP_Plot_View::Triple_dB,
          KALTAP_Plot_View::Linear_Half, KALTAP_Plot_View::Centred_Linear, KALTAP_Plot_View::Triple_Linear}) {
        const bool decibels = view == KALTAP_Plot_View::Main_dB || view == KALTAP_Plot_View::Centred_dB ||
                              view == KALTAP_Plot_View::Triple_dB;
        const std::vector<double> rows = KALTAP_Plot_Curve_Rows(view, Filter_Weights);
        const int points = static_cast<int>(rows.size() / 2);
        std::vector<double> f(points), direct(points);
        for (int i = 0; i < points; ++i) f[i] = rows[2 * i];
        KALTAP_Amplitude_Response_Many(f.data(), points, Filter_Weights, c.N, symmetric, direct.data());
        for (int i = 0; i < points; ++i) {
            // max(|A|, floor) moves no further than A does.
            const double shown = decibels ? std::pow(10.0, rows[2 * i + 1] / 20.0) : rows[2 * i + 1];
            const double expected = decibels ? std::max(std::fabs(direct[i]), floor) : direct[i];
            ASSERT_LE(std::fabs(shown - expected), allowed.at(f[i]) + 1e-13 * std::fabs(expected))
                << "view " << int(view) << ", point " << i << " at f = " << f[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, Plot_Curves, ::testing::ValuesIn(Filters));

TEST(Uniform_Response, RefusesGridsItCannotTake) {
    Array1<double> w;
    w.allocate(3);
    w(1) = 0.25, w(2) = 0.5, w(3) = 1.0;
    double A[4];
    EXPECT_TRUE(KALTAP_Uniform_Response(w, 5, true, 0.0, 1, 8, 4, A, 1));
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.25, 1, 8, 4, A, 1));  // offset not a multiple of 1/2
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.0, 0, 8, 4, A, 1));   // no step
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 7, true, 0.0, 1, 8, 4, A, 1));   // taps missing
    w(2) = std::nan("");
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.0, 1, 8, 4, A, 1));
}

}  // namespace
