// The plots' responses by FFT: its distance from the direct sum stays well
// inside the bound it reports, and the curves it gives show, at the plots'
// six significant digits, exactly what the direct sum everywhere shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <vector>

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
    // Most points of a view that may take the direct sum. Beyond what any
    // sum resolves, six digits need it: values a few ulps from 0 dB (a
    // passband flat to 1e-6) and linear values of a -120 dB stopband.
    double direct_share;
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
    {"designed band-pass, 42 taps", Taps::Designed_Bandpass, 42, 32, 0.02},
    {"designed band-pass, 43 taps", Taps::Designed_Bandpass, 43, 16, 0.02},
    {"windowed low-pass, 4095 taps", Taps::Windowed_Lowpass, 4095, 16, 0.8},
    {"windowed low-pass, 2048 taps", Taps::Windowed_Lowpass, 2048, 16, 0.8},
    {"random taps, 1001", Taps::Random, 1001, 8, 0.02},
    {"Hilbert, 1023 taps", Taps::Hilbert, 1023, 16, 1.0},
    {"differentiator, 1024 taps", Taps::Differentiator, 1024, 16, 0.02},
    {"single tap", Taps::Random, 1, 16, 0.0},
};

// What the plot shows: the text form with six significant digits, read back.
double shown(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return std::strtod(text, nullptr);
}

class Plot_Curves : public ::testing::TestWithParam<Filter_Case> {
protected:
    void SetUp() override { set_up(GetParam()); }
    Console_Capture console;
};

TEST_P(Plot_Curves, FastCurveShowsWhatTheDirectSumShows) {
    const Filter_Case& c = GetParam();
    for (KALTAP_Plot_View view : {KALTAP_Plot_View::Main_dB, KALTAP_Plot_View::Centred_dB, KALTAP_Plot_View::Triple_dB,
                                  KALTAP_Plot_View::Linear_Half, KALTAP_Plot_View::Centred_Linear,
                                  KALTAP_Plot_View::Triple_Linear}) {
        int direct_points = -1;
        const std::vector<double> fast =
            KALTAP_Plot_Curve_Rows(view, Filter_Weights, KALTAP_Response_Path::Fast, &direct_points);
        const std::vector<double> direct = KALTAP_Plot_Curve_Rows(view, Filter_Weights, KALTAP_Response_Path::Direct);
        ASSERT_EQ(fast.size(), direct.size());
        for (std::size_t i = 0; i < fast.size(); i += 2) {
            ASSERT_EQ(fast[i], direct[i]) << "frequency of point " << i / 2 << ", view " << int(view);
            ASSERT_EQ(shown(fast[i + 1]), shown(direct[i + 1]))
                << "point " << i / 2 << " at f = " << fast[i] << ", view " << int(view) << ": " << fast[i + 1]
                << " against " << direct[i + 1];
        }
        // The direct sum is left for the doubtful points.
        const double share = direct_points / (fast.size() / 2.0);
        EXPECT_LE(share, c.direct_share) << "view " << int(view);
    }
}

// The FFT's values against the direct sum at the grids' frequencies as a
// caller computes them: the largest distance stays below a tenth of the
// bound, so the bound is safe with room to spare.
TEST_P(Plot_Curves, FFTStaysWellInsideItsBound) {
    const Filter_Case& c = GetParam();
    const bool symmetric = PMC_DCT_Type <= 2;
    struct Grid {
        double f0;
        long long a, L;
        int count;
    };
    const long long P = static_cast<long long>(c.N) * c.density;
    // The plots' three kinds of grid, one folded over the taps (L below N/2)
    // and one of prime length.
    const Grid grids[] = {{0.0, 1, 2 * P, static_cast<int>(P + 1)},
                          {-0.5, 1, 2 * P, static_cast<int>(2 * P + 1)},
                          {-1.5, 3, 3 * P, static_cast<int>(3 * P + 1)},
                          {0.5, 1, 7, 50},
                          {-0.5, 1, 20011, 20012}};
    for (const Grid& g : grids) {
        std::vector<double> fast(g.count), f(g.count), direct(g.count);
        KALTAP_Response_Bound bound;
        ASSERT_TRUE(
            KALTAP_Uniform_Response(Filter_Weights, c.N, symmetric, g.f0, g.a, g.L, g.count, fast.data(), 1, bound));
        for (int q = 0; q < g.count; ++q) f[q] = g.f0 + static_cast<double>(g.a * q) / static_cast<double>(g.L);
        KALTAP_Amplitude_Response_Many(f.data(), g.count, Filter_Weights, c.N, symmetric, direct.data());
        double worst = 0.0;
        for (int q = 0; q < g.count; ++q) worst = std::max(worst, std::fabs(fast[q] - direct[q]) / bound.at(f[q]));
        EXPECT_LT(worst, 0.1) << "grid f0 = " << g.f0 << ", a = " << g.a << ", L = " << g.L;
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, Plot_Curves, ::testing::ValuesIn(Filters));

TEST(Uniform_Response, RefusesGridsItCannotTake) {
    Array1<double> w;
    w.allocate(3);
    w(1) = 0.25, w(2) = 0.5, w(3) = 1.0;
    double A[4];
    KALTAP_Response_Bound bound;
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.25, 1, 8, 4, A, 1, bound));  // offset not a multiple of 1/2
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.0, 0, 8, 4, A, 1, bound));   // no step
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 7, true, 0.0, 1, 8, 4, A, 1, bound));   // taps missing
    w(2) = std::nan("");
    EXPECT_FALSE(KALTAP_Uniform_Response(w, 5, true, 0.0, 1, 8, 4, A, 1, bound));
}

}  // namespace
