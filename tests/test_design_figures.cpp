// SPDX-License-Identifier: GPL-3.0-or-later
// The figures a design states against the taps it writes: the report's
// per-band deviations, measured again here from the weights file on a grid
// 16 times as dense as the design grid, whether or not the exchange converged;
// the rounded taps' own figures; the response file's floor.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Output.h"
#include "KALTAP_Remez_Engine.h"
#include "KALTAP_Weight_Quantization.h"
#include "Timers.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
const std::string Stamp = "20261206_1407_";  // the test clock's minute

// Column k (1-based) of a band-table row: 17 columns of label, then 14 a value.
double Row_Value(const std::string& row, int k) {
    return std::stod(row.substr(static_cast<std::size_t>(17 + 14 * (k - 1)), 14));
}

// Values of the band-table rows labelled `label`, over every group of bands.
std::vector<double> Table_Row(const std::vector<std::string>& lines, const std::string& label) {
    std::vector<double> values;
    for (const std::string& line : lines) {
        if (line.compare(0, label.size(), label) != 0) continue;
        const int count = static_cast<int>((line.size() - 17) / 14);
        for (int k = 1; k <= count; ++k) values.push_back(Row_Value(line, k));
    }
    return values;
}

// Column `column` (0-based) of each record after `header_lines` lines.
std::vector<double> Csv_Column(const std::string& path, int header_lines, int column) {
    std::vector<double> values;
    const std::vector<std::string> lines = Read_Lines(path);
    for (std::size_t i = static_cast<std::size_t>(header_lines); i < lines.size(); ++i) {
        std::stringstream in(lines[i]);
        std::string field;
        for (int c = 0; c <= column; ++c) std::getline(in, field, ',');
        values.push_back(std::stod(field));
    }
    return values;
}

// Amplitude response of the full impulse response h(1..N) at f: the phase of
// the centre taken out, sine terms for antisymmetric filters. The terms'
// phases advance by one rotation per tap (rounding grows with N times the
// unit roundoff, far below any deviation measured here).
double Amplitude(const std::vector<double>& h, bool symmetric, double f) {
    const double centre = (h.size() + 1) / 2.0;
    const double w = 2.0 * Pi * f;
    double c = std::cos(w * (1.0 - centre)), s = std::sin(w * (1.0 - centre));
    const double step_c = std::cos(w), step_s = std::sin(w);
    double sum = 0.0;
    for (double tap : h) {
        sum += tap * (symmetric ? c : -s);
        const double next_c = c * step_c - s * step_s;
        s = s * step_c + c * step_s;
        c = next_c;
    }
    return sum;
}

// Peak of the error of band b as the filter requirements weigh it, divided
// by the band's weight, on `points` equally spaced frequencies from edge to
// edge (a differentiator's relative error is left out at f = 0).
double Measured_Deviation(const std::vector<double>& h, bool symmetric, int type, const Band& b, int points) {
    double peak = 0.0;
    for (int i = 0; i <= points; ++i) {
        const double f = b.lower + (b.upper - b.lower) * i / points;
        double desired = b.desired, weight = 1.0;
        if (type == 2) {
            if (f == 0.0) continue;
            desired = b.desired * f;
            if (b.desired > 0.0001) weight = 1.0 / f;
        }
        peak = std::max(peak, weight * std::fabs(Amplitude(h, symmetric, f) - desired));
    }
    return peak;
}

struct Figures_Case {
    const char* name;
    int type, N, density;
    std::vector<Band> bands;
    bool converges;       // the exchange levels the error on its own
    const char* warning;  // a warning line the design must give, or nullptr
};

struct Design_Figures : ::testing::TestWithParam<Figures_Case> {
    Design_Figures() {
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
    }
    ~Design_Figures() override { Timers_Set_Clock({}); }
    Console_Capture console;
};

// Transitions of 4/N between the default three bands.
std::vector<Band> Narrow_Transitions(int N) {
    const double t = 4.0 / N;
    return {{0.0, 0.1, 0.0, 10.0}, {0.1 + t, 0.35, 1.0, 1.0}, {0.35 + t, 0.5, 0.0, 10.0}};
}

const std::vector<Band> Default_Bands = {{0.0, 0.1, 0.0, 10.0}, {0.2, 0.35, 1.0, 1.0}, {0.425, 0.5, 0.0, 10.0}};

TEST_P(Design_Figures, ReportStatesWhatTheWrittenTapsHave) {
    const Figures_Case& c = GetParam();
    Set_Up_Design(c.type, c.N, c.density, c.bands);
    KALTAP_Design();
    if (!KALTAP_Filter_Weights_Valid) return;  // a refused design states nothing
    const std::size_t first_line = console.lines.size();
    KALTAP_Classical_Output(UNIT_Standard_Output);
    const std::vector<std::string> report(console.lines.begin() + static_cast<long>(first_line), console.lines.end());
    KALTAP_Write_CSV();
    const std::vector<double> h = Csv_Column(Stamp + "Filter_Weights.csv", 1, 1);
    ASSERT_EQ(h.size(), static_cast<std::size_t>(c.N));

    const std::vector<double> stated = Table_Row(report, "  Deviation      ");
    ASSERT_EQ(stated.size(), c.bands.size());
    const bool symmetric = c.type == 1 || c.type == 4;
    for (std::size_t k = 0; k < c.bands.size(); ++k) {
        const Band& b = c.bands[k];
        // 16 times the design grid's density, 4 times for the longest filters.
        const int factor = c.N > 2000 ? 4 : 16;
        const int points = std::max(64, static_cast<int>(factor * c.density * (c.N / 2) * 2 * (b.upper - b.lower)));
        const double measured = Measured_Deviation(h, symmetric, c.type, b, points);
        // The table prints 8 decimals: half a unit of the last is its resolution.
        EXPECT_NEAR(stated[k], measured, 0.1 * measured + 5e-9) << "band " << k + 1;
    }

    // A design whose figures were measured says so directly above the table.
    const bool measured = KALTAP_Figures_Measured();
    EXPECT_EQ(KALTAP_Design_Converged(), c.converges);
    const auto heading = std::find_if(report.begin(), report.end(),
                                      [](const std::string& l) { return l.find("Band  1") != std::string::npos; });
    ASSERT_NE(heading, report.end());
    const std::string above = heading - report.begin() >= 2 ? *(heading - 2) : std::string();
    EXPECT_EQ(above.rfind("***Warning", 0) == 0, measured) << above;
    EXPECT_EQ(above.find("did not converge") != std::string::npos, !c.converges) << above;
    if (c.warning) { EXPECT_TRUE(console.contains(c.warning)) << c.warning; }
}

INSTANTIATE_TEST_SUITE_P(
    Designs, Design_Figures,
    ::testing::Values(
        Figures_Case{"ThreeBands42", 1, 42, 32, Default_Bands, true, nullptr},
        Figures_Case{"ThreeBands101", 1, 101, 16, Default_Bands, true, nullptr},
        // Ends on machine rounding with its taps at its level: the optimum.
        Figures_Case{
            "NarrowLowPass8001", 1, 8001, 16, {{0.0, 0.1, 1.0, 1.0}, {0.1006, 0.5, 0.0, 1.0}}, true, "converged after"},
        // Converges only past the exchange's limit of 25 iterations.
        Figures_Case{"NarrowTransitions1023", 1, 1023, 16, Narrow_Transitions(1023), true,
                     "iterations; it went past its limit of 25 because its deviation still rose."},
        // Beyond double precision: a shorter design padded with zeros, and one
        // found by the exchange in a longer arithmetic.
        Figures_Case{"Hilbert151", 3, 151, 16, {{0.1, 0.4, 1.0, 1.0}}, true, "design padded with zeros to 151 weights"},
        Figures_Case{"LowPass201",
                     1,
                     201,
                     16,
                     {{0.0, 0.1, 1.0, 1.0}, {0.2, 0.5, 0.0, 1.0}},
                     true,
                     "the deviations are measured from the taps, rounded to double"},
        Figures_Case{"LowPass31", 1, 31, 16, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 1.0}}, true, nullptr},
        Figures_Case{"Differentiator32", 2, 32, 16, {{0.0, 0.5, 1.0, 1.0}}, true, nullptr},
        Figures_Case{"Hilbert22", 3, 22, 16, {{0.05, 0.5, 1.0, 1.0}}, true, nullptr},
        Figures_Case{"Hilbert31", 3, 31, 16, {{0.05, 0.45, 1.0, 1.0}}, true, nullptr},
        // Desired 1 in both bands: a pure delay, levelled at nothing; its
        // figure is the taps' rounding.
        Figures_Case{"AllPass53", 1, 53, 32, {{0.0, 0.0735, 1.0, 1.0}, {0.4787, 0.5, 1.0, 5.0}}, true, nullptr},
        Figures_Case{"CoarseGrid",
                     1,
                     61,
                     4,
                     {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 1.0}},
                     true,
                     "the grid is too coarse for band 1"},
        Figures_Case{"BandPassWithNarrowBand",
                     1,
                     61,
                     16,
                     {{0.0, 0.1, 0.0, 1.0}, {0.2, 0.2002, 1.0, 1.0}, {0.3, 0.5, 0.0, 1.0}},
                     true,
                     "band 2 is narrower than two grid steps"}),
    Case_Name());

// The report of the current design (type, N taps, `bands`) written to the
// console: `note` stands there once and no warning does; the band table
// states the levelled deviation, and the taps of the weights file level the
// error to it within 1 % on `density` points per band width per tap.
void Expect_Noted_Levelled_Report(Console_Capture& console, const std::string& note, int type, int N,
                                  const std::vector<Band>& bands, int density) {
    const std::size_t first_line = console.lines.size();
    KALTAP_Classical_Output(UNIT_Standard_Output);
    const std::vector<std::string> report(console.lines.begin() + static_cast<long>(first_line), console.lines.end());
    EXPECT_EQ(std::count(report.begin(), report.end(), note), 1);
    EXPECT_EQ(
        std::count_if(report.begin(), report.end(), [](const std::string& l) { return l.rfind("***Warning", 0) == 0; }),
        0);

    KALTAP_Write_CSV();
    const std::vector<double> h = Csv_Column(Stamp + "Filter_Weights.csv", 1, 1);
    ASSERT_EQ(h.size(), static_cast<std::size_t>(N));
    const std::vector<double> stated = Table_Row(report, "  Deviation      ");
    ASSERT_EQ(stated.size(), bands.size());
    for (std::size_t k = 0; k < bands.size(); ++k) {
        const Band& b = bands[k];
        const double levelled = Remez_Deviation / b.weight;
        const int points = static_cast<int>(density * (N / 2) * 2 * (b.upper - b.lower));
        const double measured = Measured_Deviation(h, type == 1, type, b, points);
        EXPECT_NEAR(measured, levelled, 0.01 * levelled) << "band " << k + 1;
        EXPECT_NEAR(stated[k], levelled, 5e-9) << "band " << k + 1;
    }
}

// An exchange still raising its levelled deviation at its limit of 25
// iterations goes on until it converges: the default three bands with
// transitions of 4/N stop at the limit far from equiripple without that. The
// taps the weights file holds keep the levelled deviation, within 1 %, on a
// grid 16 times as dense as the design grid (4 times for the longer filter);
// the design grid is fine enough for the narrow ripples next to the
// transitions (the dialog's 32, and 48 for 2047 taps). The run log and the
// report say that the exchange went past its limit.
struct Continued_Case {
    int N, density;
    int factor;  // the measuring grid's density over the design grid's (4 for the longer filter)
};

class Continued_Exchange : public ::testing::TestWithParam<Continued_Case> {};

TEST_P(Continued_Exchange, ConvergesPastTheLimitToEquirippleTaps) {
    const Continued_Case& c = GetParam();
    Reset_Design_Program();
    Fix_Clock_And_Clear_Results();
    Console_Capture console;
    const std::vector<Band> bands = Narrow_Transitions(c.N);
    Quiet_Remez = false;
    Set_Up_Design(1, c.N, c.density, bands);
    KALTAP_Design();
    Quiet_Remez = true;
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    const int iterations = KALTAP_Remez_Iterations();
    EXPECT_EQ(KALTAP_Remez_End(), KALTAP_Exchange_End::Converged);
    EXPECT_GT(iterations, KALTAP_Remez_Iteration_Limit);
    EXPECT_LT(iterations, KALTAP_Remez_Continuation_Limit);
    EXPECT_TRUE(KALTAP_Design_Converged());
    EXPECT_FALSE(KALTAP_Figures_Measured());

    // The run log: every iteration, the passing of the limit, the end.
    EXPECT_EQ(console.count("Iteration "), iterations);
    EXPECT_EQ(console.count("The deviation still rises after 25 iterations: the exchange goes on, for at most "
                            "100 in all."),
              1);
    EXPECT_TRUE(
        console.contains("Converged after " + std::to_string(iterations) + " iterations, past the limit of 25."));
    EXPECT_FALSE(console.contains("Failure to converge"));

    // The report: the note above the band table, which states the levelled figures.
    Expect_Noted_Levelled_Report(console,
                                 "***Note: the exchange converged after " + std::to_string(iterations) +
                                     " iterations; it went past its limit of 25 because its deviation "
                                     "still rose.",
                                 1, c.N, bands, c.factor * c.density);
}

INSTANTIATE_TEST_SUITE_P(DefaultThreeBands, Continued_Exchange,
                         ::testing::Values(Continued_Case{1023, 32, 16}, Continued_Case{2047, 48, 4}),
                         [](const ::testing::TestParamInfo<Continued_Case>& info) {
                             return "Taps" + std::to_string(info.param.N) + "Density" +
                                    std::to_string(info.param.density);
                         });

// Requirements whose exchange loses its way on machine rounding from its
// evenly spread start: started again from the extremal set of the design with
// about half the weights, it converges to equiripple taps, and the run log
// and the report say how it got there.
struct Restarted_Case {
    const char* name;
    int type, N, density;
    std::vector<Band> bands;
    int shorter;  // the weights of the design it starts again from
};

class Restarted_Exchange : public ::testing::TestWithParam<Restarted_Case> {};

TEST_P(Restarted_Exchange, ConvergesFromAShorterDesignsExtremalSet) {
    const Restarted_Case& c = GetParam();
    Reset_Design_Program();
    Fix_Clock_And_Clear_Results();
    Console_Capture console;
    Set_Up_Design(c.type, c.N, c.density, c.bands);
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    const int iterations = KALTAP_Remez_Iterations();
    EXPECT_EQ(KALTAP_Restart_Weights(), c.shorter);
    EXPECT_EQ(KALTAP_Remez_End(), KALTAP_Exchange_End::Converged);
    EXPECT_TRUE(KALTAP_Design_Converged());
    EXPECT_FALSE(KALTAP_Figures_Measured());

    // The run log: the first exchange's failure, the restart, its end.
    EXPECT_EQ(console.count("Failure to converge"), 1);
    EXPECT_EQ(console.count("it starts again from the extremal set of a design with " + std::to_string(c.shorter) +
                            " weights, scaled to this grid."),
              1);
    EXPECT_EQ(console.count("The restarted exchange converged after " + std::to_string(iterations) + " iterations"), 1);

    // The report: the note above the band table; the taps written level the
    // error as the table states it.
    Expect_Noted_Levelled_Report(
        console,
        "***Note: the exchange lost itself on machine rounding from its first extremal set and converged after " +
            std::to_string(iterations) + " iterations from a reference scaled from " + std::to_string(c.shorter) +
            " weights.",
        c.type, c.N, c.bands, 16 * c.density);
}

INSTANTIATE_TEST_SUITE_P(
    LostInRounding, Restarted_Exchange,
    ::testing::Values(Restarted_Case{"Lowpass1023", 1, 1023, 64, {{0, 0.2, 1, 1}, {0.21, 0.5, 0, 1}}, 511},
                      Restarted_Case{"Lowpass2047", 1, 2047, 64, {{0, 0.2, 1, 1}, {0.203, 0.5, 0, 1}}, 1023}),
    Case_Name());

// The quantized report's own figures are those of the rounded taps the hex
// file lists; the design's stay beside them.
TEST(Rounded_Figures, AreMeasuredFromTheRoundedTaps) {
    Reset_Design_Program();
    Fix_Clock_And_Clear_Results();
    Console_Capture console;
    KALTAP_BandType = 1;
    const std::vector<Band> bands = {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}};
    Set_Up_Design(1, 61, 16, bands);
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    KALTAP_Bits = 10;
    const std::size_t first_line = console.lines.size();
    KALTAP_Quantizer();
    const std::vector<std::string> report(console.lines.begin() + static_cast<long>(first_line), console.lines.end());
    KALTAP_Write_Hex_CSV();
    const std::vector<double> rounded = Csv_Column(Stamp + "Hex_Weights.csv", 3, 2);
    ASSERT_EQ(rounded.size(), 61u);

    const std::vector<double> stated = Table_Row(report, "  Deviation      ");
    const std::vector<double> unrounded = Table_Row(report, "  Unrounded Dev. ");
    ASSERT_EQ(stated.size(), 2u);
    ASSERT_EQ(unrounded.size(), 2u);
    const double pass = Measured_Deviation(rounded, true, 1, bands[0], 2000);
    const double stop = Measured_Deviation(rounded, true, 1, bands[1], 8000);
    EXPECT_NEAR(stated[0], pass, 0.1 * pass);
    EXPECT_NEAR(stated[1], stop, 0.1 * stop);
    // Ten bits cost attenuation: the rounded stopband is worse than designed.
    EXPECT_GT(stated[1], 1.5 * unrounded[1]);
    EXPECT_NEAR(unrounded[1], KALTAP_Band_Deviation(2), 1e-8);

    const std::vector<double> ripple = Table_Row(report, "  Ripple, dB     ");
    const std::vector<double> attenuation = Table_Row(report, "  Attenuation, dB");
    ASSERT_EQ(ripple.size(), 2u);
    ASSERT_EQ(attenuation.size(), 2u);
    EXPECT_NEAR(ripple[0], 20 * std::log10((1 + pass) / (1 - pass)), 0.1 * ripple[0]);
    EXPECT_NEAR(attenuation[0], -20 * std::log10(stop), 1.0);
    EXPECT_NEAR(attenuation[1], -20 * std::log10(KALTAP_Band_Deviation(2)), 1e-6);
}

// The response file reaches 40 dB below the deepest band, between -100 and
// -300 dB; shallow designs keep the -100 dB floor.
struct Floor_Case {
    double stop_weight;
    int N;
    double expected_floor_dB;  // 0: 40 dB below the design's stopband
};

class Response_Floor : public ::testing::TestWithParam<Floor_Case> {};

TEST_P(Response_Floor, LiesFortyDecibelsBelowTheDeepestBand) {
    Reset_Design_Program();
    Fix_Clock_And_Clear_Results();
    Console_Capture console;
    const Floor_Case& c = GetParam();
    Set_Up_Design(1, c.N, 16, {{0.0, 0.1, 1.0, 1.0}, {0.2, 0.5, 0.0, c.stop_weight}});
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    const double stop_dB = 20 * std::log10(std::min(KALTAP_Band_Deviation(1), KALTAP_Band_Deviation(2)));
    const double floor_dB = c.expected_floor_dB != 0.0 ? c.expected_floor_dB : stop_dB - 40.0;
    EXPECT_NEAR(KALTAP_Response_Floor_dB(), floor_dB, 1e-9);
    KALTAP_Frequency_Response_CSV();
    const std::vector<double> dB = Csv_Column(Stamp + "Frequency_Response.csv", 1, 1);
    const double lowest = *std::min_element(dB.begin(), dB.end());
    EXPECT_GE(lowest, floor_dB - 1e-9);
    // The stopband's own ripple shows: well below -100 dB for a deep design.
    if (c.expected_floor_dB == 0.0) { EXPECT_LT(lowest, stop_dB - 3.0); }
}

INSTANTIATE_TEST_SUITE_P(Designs, Response_Floor,
                         ::testing::Values(Floor_Case{1.0, 21, -100.0}, Floor_Case{100.0, 61, 0.0},
                                           Floor_Case{1.0, 101, 0.0}));

}  // namespace

namespace {

// The figures belong to the design they were measured from: a new design
// (here weights set by hand) states none of its predecessor's.
TEST(Design_Figures_Lifetime, ANewDesignForgetsTheMeasuredFigures) {
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Design(1, 201, 16, {{0.0, 0.1, 1.0, 1.0}, {0.2, 0.5, 0.0, 1.0}});
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Figures_Measured());
    Set_Up_Design(1, 9, 16, {{0.0, 0.5, 1.0, 1.0}});
    for (int i = 1; i <= 5; ++i) Filter_Weights(i) = i == 5 ? 1.0 : 0.0;
    Remez_Deviation = 0.01;
    KALTAP_Filter_Weights_Valid = true;
    EXPECT_FALSE(KALTAP_Figures_Measured());
    EXPECT_TRUE(KALTAP_Figures_Warning().empty());
    EXPECT_EQ(KALTAP_Band_Deviation(1), 0.01);
    std::vector<double> rounded;
    KALTAP_Measure_Band_Deviations(Filter_Weights, rounded);  // nothing measured, nothing read beyond
    EXPECT_EQ(rounded, std::vector<double>{0.0});
}

}  // namespace

namespace {

// A levelled deviation below the arithmetic's rounding (a pure delay asked
// for) states what the taps really have, their rounding, without a warning.
TEST(Design_Figures_Floor, ALevelBelowRoundingStatesTheTapsRounding) {
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Design(1, 53, 32, {{0.0, 0.0735, 1.0, 1.0}, {0.4787, 0.5, 1.0, 5.0}});
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_TRUE(KALTAP_Figures_Warning().empty());
    for (int k = 1; k <= 2; ++k) {
        EXPECT_GE(KALTAP_Band_Deviation(k), KALTAP_Measured_Band_Deviation(k)) << "band " << k;
        EXPECT_LT(KALTAP_Band_Deviation(k), 1e-13) << "band " << k;
    }
    EXPECT_GT(KALTAP_Band_Deviation(1), Remez_Deviation);
}

}  // namespace
