// SPDX-License-Identifier: GPL-3.0-or-later
// Filter requirements the dialogs accept that ask for more than double arithmetic
// holds, bands that touch, and responses that rise between bands. A design
// either has finite taps that do what the bands ask, or it is reported as
// failed (weights invalid, one error line, no figures measured from its taps);
// never non-finite taps marked valid.
#include <algorithm>
#include <cmath>

#include "FIR_Optimization_Engine.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Figures.h"
#include "Run_Logging.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

constexpr long double Pi_Long = 3.141592653589793238462643383279502884L;
const std::string Failure_Line = "###Error in KALTAP_Design: the ";

// Zero-phase amplitude of the full impulse response at f, from the taps alone
// (summed in long double: taps at the rounding of double are measured too).
double amplitude_from_taps(const std::vector<double>& h, double f, bool symmetric) {
    const int N = static_cast<int>(h.size());
    const long double centre = (N - 1) / 2.0L;
    long double sum = 0.0L;
    for (int n = 0; n < N; ++n) {
        const long double phase = 2.0L * Pi_Long * f * (n - centre);
        sum += symmetric ? h[n] * std::cos(phase) : -h[n] * std::sin(phase);
    }
    return static_cast<double>(sum);
}

// Largest |response - desired| over a fine sampling of the bands (weights not
// applied), skipping the frequencies where the linear-phase case forces zero.
double largest_band_error(int type, const std::vector<Band>& bands, const std::vector<double>& h) {
    const bool symmetric = type == 1;
    const int N = static_cast<int>(h.size());
    double largest = 0.0;
    for (const Band& b : bands) {
        for (int i = 0; i <= 400; ++i) {
            const double f = b.lower + (b.upper - b.lower) * i / 400;
            if (!symmetric && (f == 0.0 || (N % 2 == 1 && f == 0.5))) continue;
            if (symmetric && N % 2 == 0 && f == 0.5) continue;
            const double desired = type == 2 ? b.desired * f : b.desired;
            largest = std::max(largest, std::fabs(amplitude_from_taps(h, f, symmetric) - desired));
        }
    }
    return largest;
}

// Finite: taps that meet the bands. Warned: finite taps that miss the bands,
// marked valid with the warning that they are not equiripple. Failed: no taps.
enum class Outcome { Finite, Warned, Failed };

struct Failure_Case {
    const char* name;
    int type, N, density;
    std::vector<Band> bands;
    Outcome outcome;
    double band_error;   // Finite: the taps meet every band within this; Warned: they miss by more
    bool rescue = true;  // false: the exchange's own design, without the rescue
};

void PrintTo(const Failure_Case& c, std::ostream* os) { *os << c.name; }

class Beyond_Precision : public ::testing::TestWithParam<Failure_Case> {};

TEST_P(Beyond_Precision, FiniteTapsOrAReportedFailure) {
    const Failure_Case& c = GetParam();
    Reset_Design_Program();
    Console_Capture console;
    RUN_LOG_open("Failures.txt", "Designs beyond double precision");
    const std::string log_name = UNIT_File_Name(Run_Log_Unit);
    Set_Up_Design(c.type, c.N, c.density, c.bands);
    KALTAP_Rescue_Enabled = c.rescue;
    KALTAP_Design_Failed = true;  // cleared by every design
    EXPECT_FALSE(Stops([] { KALTAP_Design(); }));
    const std::vector<std::string> log = Read_Lines(log_name);
    const int logged = static_cast<int>(
        std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find(Failure_Line) == 0; }));
    if (c.outcome == Outcome::Failed) {
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
        EXPECT_TRUE(KALTAP_Design_Failed);
        EXPECT_EQ(console.count(Failure_Line), 1);
        EXPECT_EQ(logged, 1);
        EXPECT_TRUE(console.contains("more precision than double arithmetic holds"));
        return;
    }
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_FALSE(KALTAP_Design_Failed);
    EXPECT_EQ(logged, 0);
    EXPECT_FALSE(console.contains("###Error"));
    const std::vector<double> h = Full_Impulse_Response();
    for (int n = 0; n < c.N; ++n) ASSERT_TRUE(std::isfinite(h[n])) << "tap " << n + 1;
    const double error = largest_band_error(c.type, c.bands, h);
    if (c.outcome == Outcome::Finite) {
        EXPECT_LT(error, c.band_error);
        // A rescued design states measured figures and may say that its taps
        // are not equiripple at its level; the exchange's own may not.
        if (KALTAP_Last_Rescue().path == KALTAP_Rescue_Path::None) { EXPECT_FALSE(console.contains("not equiripple")); }
        // No band's stated figure is below what the written taps have.
        for (std::size_t k = 0; c.rescue && KALTAP_Last_Rescue().path != KALTAP_Rescue_Path::None && k < c.bands.size();
             ++k)
            EXPECT_GE(KALTAP_Band_Deviation(static_cast<int>(k) + 1) * 1.1 + 1e-15,
                      largest_band_error(c.type, {c.bands[k]}, h))
                << "band " << k + 1;
        // A shorter design padded with zeros: its delay and symmetry are
        // those of the length asked for.
        const KALTAP_Rescue& rescue = KALTAP_Last_Rescue();
        if (rescue.path == KALTAP_Rescue_Path::Padded) {
            const int zeros = (c.N - rescue.weights) / 2;
            ASSERT_GT(zeros, 0);
            for (int n = 0; n < zeros; ++n) {
                EXPECT_EQ(h[n], 0.0) << "tap " << n + 1;
                EXPECT_EQ(h[c.N - 1 - n], 0.0) << "tap " << c.N - n;
            }
            EXPECT_NE(h[zeros], 0.0);
            EXPECT_EQ(console.count(" zeros added at each end"), 1);
        }
    } else {
        EXPECT_GT(error, c.band_error);
        EXPECT_EQ(console.count("***Warning: the taps are not equiripple"), 1);
    }
}

// The default three-band band-pass filter.
const std::vector<Band> Default_Bandpass = {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}};

INSTANTIATE_TEST_SUITE_P(
    Reproductions, Beyond_Precision,
    ::testing::Values(
        // Beyond double precision: the exchange collapses or misses by far;
        // the taps come from the longer arithmetic, at the rounding of double
        // taps (the band-pass's are large, so is their rounding).
        Failure_Case{"Hilbert151", 3, 151, 16, {{0.1, 0.4, 1, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"Lowpass201", 1, 201, 16, {{0, 0.1, 1, 1}, {0.2, 0.5, 0, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"Hilbert229", 3, 229, 16, {{0.05, 0.45, 1, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"Lowpass259", 1, 259, 16, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"Differentiator161", 2, 161, 16, {{0, 0.4, 1, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"Lowpass601", 1, 601, 16, {{0, 0.1, 1, 1}, {0.4, 0.5, 0, 1}}, Outcome::Finite, 1e-13},
        Failure_Case{"DefaultBandpass16000", 1, 16000, 32, Default_Bandpass, Outcome::Finite, 5e-13},
        // The exchange finds its set but the series in double loses the taps
        // (9.6e-8 against a level of 9.5e-13): the set's series is formed again.
        Failure_Case{"Lowpass8001Narrow", 1, 8001, 16, {{0, 0.1, 1, 1}, {0.102, 0.5, 0, 1}}, Outcome::Finite, 2e-12},
        // Without the rescue: the collapse is reported, or the taps are warned.
        Failure_Case{"Hilbert229Alone", 3, 229, 16, {{0.05, 0.45, 1, 1}}, Outcome::Failed, 0, false},
        Failure_Case{"Lowpass259Alone", 1, 259, 16, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}}, Outcome::Warned, 1e-3, false},
        Failure_Case{"Lowpass601Alone", 1, 601, 16, {{0, 0.1, 1, 1}, {0.4, 0.5, 0, 1}}, Outcome::Failed, 0, false},
        // Desired 1 in both bands: the best filter is a pure delay.
        Failure_Case{"AllPass53", 1, 53, 32, {{0, 0.0735, 1, 1}, {0.4787, 0.5, 1, 5}}, Outcome::Finite, 1e-12},
        // Two bands on one edge: one grid point there, not two.
        Failure_Case{"TouchingBands", 1, 31, 16, {{0, 0.2, 1, 1}, {0.2, 0.5, 0, 1}}, Outcome::Finite, 0.6}),
    Case_Name());

TEST(Beyond_Precision, TheFailureLineReachesTheConsoleOnceWhenTheLogDoesNotEcho) {
    Reset_Design_Program();
    Console_Capture console;
    RUN_LOG_open("Failures.txt", "Quiet log");
    Run_Log_Echo = 1;
    KALTAP_Rescue_Enabled = false;
    Set_Up_Design(1, 601, 16, {{0, 0.1, 1, 1}, {0.4, 0.5, 0, 1}});
    KALTAP_Design();
    Run_Log_Echo = 0;
    EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(console.count(Failure_Line), 1);
}

// ---------------------------------------------------------------- between bands

struct Gap_Case {
    const char* name;
    int type, N;
    std::vector<Band> bands;
    bool warned;
    int lower_band;  // the warning's gap lies between this band and the next
};

void PrintTo(const Gap_Case& c, std::ostream* os) { *os << c.name; }

class Gap_Peak : public ::testing::TestWithParam<Gap_Case> {};

// The warning appears exactly when the response measured from the taps in a
// gap rises 20 dB above the largest gain any band asks for.
TEST_P(Gap_Peak, WarnedExactlyWhenTheResponseRisesFarAboveEveryBand) {
    const Gap_Case& c = GetParam();
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Design(c.type, c.N, 16, c.bands);
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    const std::vector<double> h = Full_Impulse_Response();
    double reference = 0.0, peak = 0.0;
    for (std::size_t k = 0; k < c.bands.size(); ++k) {
        reference = std::max(reference, std::fabs(c.bands[k].desired) + Remez_Deviation / c.bands[k].weight);
        if (k + 1 == c.bands.size()) break;
        const double lo = c.bands[k].upper, hi = c.bands[k + 1].lower;
        for (int i = 1; i < 2000; ++i)
            peak = std::max(peak, std::fabs(amplitude_from_taps(h, lo + (hi - lo) * i / 2000, c.type == 1)));
    }
    EXPECT_EQ(peak > 10 * reference, c.warned) << "peak " << peak << ", largest band gain " << reference;
    EXPECT_EQ(console.count("***Warning: the response rises to"), c.warned ? 1 : 0);
    if (c.warned) {
        const std::string gap = "in the gap between bands " + std::to_string(c.lower_band) + " and " +
                                std::to_string(c.lower_band + 1);
        EXPECT_TRUE(console.contains(gap));
        EXPECT_TRUE(console.contains("; use a narrower transition or add a band there."));
        // The line names the peak in dB, to within the sampling of the gap.
        EXPECT_NEAR(20 * std::log10(KALTAP_Last_Ripple_Check().gap_peak), 20 * std::log10(peak), 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gaps, Gap_Peak,
    ::testing::Values(
        Gap_Case{"WideUpperTransition", 1, 31, {{0, 0.1, 0, 1}, {0.12, 0.2, 1, 1}, {0.4, 0.5, 0, 1}}, true, 2},
        Gap_Case{"ModerateUpperTransition", 1, 31, {{0, 0.1, 0, 1}, {0.12, 0.2, 1, 1}, {0.3, 0.5, 0, 1}}, false, 0},
        Gap_Case{"DefaultBandpass", 1, 33, Default_Bandpass, false, 0},
        Gap_Case{"Lowpass", 1, 61, {{0, 0.1, 1, 1}, {0.45, 0.5, 0, 1}}, false, 0}),
    Case_Name());

// ---------------------------------------------------------------- searches

// A stopband search whose trials ask for more precision than double
// arithmetic holds: every trial design fails. The search ends without a
// design (or on a complete design that failed) and says so once, and
// measures nothing from taps it does not have.
TEST(Search, AStopbandSearchEndsOnAFailedDesignAndSaysSo) {
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Two_Band_Storage(1);
    const std::vector<Band> bands = {{0, 0.1, 1, 1}, {0.3, 0.5, 0, 1}};
    for (int k = 1; k <= 2; ++k) {
        Band_Edges(2 * k - 1) = bands[k - 1].lower, Band_Edges(2 * k) = bands[k - 1].upper;
        Band_Desired_Value(k) = bands[k - 1].desired;
    }
    FIR_Passband_PtoP_Ripple = 1e-7;
    FIR_Stopband_Attenuation = 40;
    Number_of_Weights = 127;
    EXPECT_FALSE(Stops([] { FIROPT_Stopband_Optimization(); }));
    if (KALTAP_Filter_Weights_Valid) {
        // Should the design be formed after all, its taps must be finite.
        for (int j = 1; j <= Half_Length; ++j) ASSERT_TRUE(std::isfinite(Filter_Weights(j)));
        return;
    }
    EXPECT_TRUE(KALTAP_Design_Failed);
    EXPECT_LE(console.count(Failure_Line), 1);
    EXPECT_EQ(console.count("***Warning in FIROPT_Stopband_Optimization"), 1);
    EXPECT_TRUE(console.contains("no finite taps (the design failed)") || console.contains("so no design is left"));
    EXPECT_FALSE(console.contains("(measured from the taps)"));
}

}  // namespace
