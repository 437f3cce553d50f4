// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency-response plots: the six windows and their order, the plot and
// curve records, the frequency grids and values, the rounded-weights curve
// and the symmetries an engineer reads off the centred and three-times views.
#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <sstream>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Output.h"
#include "KALTAP_Weight_Quantization.h"
#include "Timers.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

const std::vector<Band> Bandpass = {{0.0, 0.1, 0.0, 10.0}, {0.2, 0.35, 1.0, 1.0}, {0.425, 0.5, 0.0, 10.0}};
const std::vector<Band> Lowpass = {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 1.0}};

// The design's floor: -100 dB, or 40 dB below its deepest band.
double Decibels(double A) { return 20.0 * std::log10(std::max(std::fabs(A), KALTAP_Response_Floor())); }
// The curves' values against the direct sum: the transform's rounding, far
// below anything a plot shows.
constexpr double Value_Tolerance = 1e-9;
double Response(double f, const Array1<double>& w) {
    return KALTAP_Amplitude_Response(f, w, Number_of_Weights, PMC_DCT_Type <= 2);
}

struct Frequency_Plots : ::testing::Test {
    Frequency_Plots() { Reset_Design_Program(); }
    ~Frequency_Plots() override { EXPECT_TRUE(script.script_errors.empty()); }
    void design(int type, int N, int density, const std::vector<Band>& bands) {
        Set_Up_Design(type, N, density, bands);
        KALTAP_Design();
    }
    // As the design loop calls them.
    void draw_all() {
        KALTAP_Plot_Linear_Views();
        KALTAP_Plot_dB_Views();
        KALTAP_Plot_Frequency_Response();
    }
    const std::vector<std::pair<double, double>>& curve(const std::string& file, std::size_t k = 0) {
        const Scripted_Plot* p = script.plot_saved_as(file);
        if (p == nullptr || p->series.size() <= k) {
            ADD_FAILURE() << "no curve " << k << " in " << file;
            static const std::vector<std::pair<double, double>> none;
            return none;
        }
        return p->series[k].points;
    }
    Console_Capture console;
    UIK_Script script;
};

// ---- Every view: record, grid and values ----

struct View_Case {
    void (*routine)();
    const char* file;
    const char* title;
    bool decibels;
    std::size_t points;  // 42 weights, density 32
    double lower, upper;
    const char* label;
};

void PrintTo(const View_Case& c, std::ostream* os) { *os << c.file; }

class Each_View : public Frequency_Plots, public ::testing::WithParamInterface<View_Case> {};

TEST_P(Each_View, RecordGridAndValuesOfTheDesign) {
    const View_Case& c = GetParam();
    design(1, 42, 32, Bandpass);
    c.routine();
    ASSERT_EQ(script.plots.size(), 1u);
    const Scripted_Plot& plot = script.plots[0];
    // Saved under the stem of the design's CSV files.
    EXPECT_EQ(plot.saved_as, std::vector<std::string>{KALTAP_File_Stamp() + c.file});
    const UIK_Property_Map& p = plot.properties;
    EXPECT_EQ(plot.title(), c.title);
    EXPECT_EQ(Property<std::string>(p, "xAxisName"), "f/(sample rate)");
    EXPECT_EQ(Property<std::string>(p, "yAxisName"), c.decibels ? "Response, dB" : "Linear Response");
    EXPECT_EQ(Property<unsigned>(p, "chartBackgroundColor"), 0xffe8e8e8u);
    for (const char* key : {"xScaleType", "yScaleType"}) EXPECT_EQ(Property<int>(p, key), 0) << key;
    for (const char* key : {"xScaleLB", "xScaleUB", "xScaleStep", "yScaleLB", "yScaleUB", "yScaleStep"})
        EXPECT_EQ(Property<double>(p, key), -1.0) << key;
    for (const char* key : {"showHgridLines", "showVgridLines"}) EXPECT_EQ(Property<int>(p, key), 1) << key;

    ASSERT_EQ(plot.series.size(), 1u);
    const Scripted_Series& s = plot.series[0];
    EXPECT_EQ(s.dataType, "REAL*8");
    EXPECT_EQ(s.label(), c.label);
    EXPECT_EQ(Property<unsigned>(s.properties, "curveColor"), 0x228b22u);
    EXPECT_EQ(Property<unsigned>(s.properties, "dotColor"), 0xdc143cu);
    EXPECT_EQ(Property<int>(s.properties, "curveLineWidth"), 1);
    EXPECT_EQ(Property<int>(s.properties, "dotSize"), 6);
    EXPECT_EQ(Property<int>(s.properties, "symbolStyle"), -1);
    EXPECT_EQ(Property<int>(s.properties, "fittedCurve"), 1);

    // Equally spaced, increasing, ends exact.
    const auto& pts = s.points;
    ASSERT_EQ(pts.size(), c.points);
    EXPECT_EQ(pts.front().first, c.lower);
    EXPECT_EQ(pts.back().first, c.upper);
    const double step = (c.upper - c.lower) / static_cast<double>(c.points - 1);
    for (std::size_t i = 0; i < pts.size(); ++i)
        ASSERT_NEAR(pts[i].first, c.lower + static_cast<double>(i) * step, 1e-15) << "point " << i;

    // Values are the designed filter's response, floored 40 dB below its
    // deepest band.
    for (std::size_t i : {std::size_t{0}, pts.size() / 7, pts.size() / 3, pts.size() / 2, pts.size() - 1}) {
        const double A = Response(pts[i].first, Filter_Weights);
        EXPECT_NEAR(pts[i].second, c.decibels ? Decibels(A) : A, Value_Tolerance) << "point " << i;
    }
    EXPECT_LT(KALTAP_Response_Floor_dB(), -100.0);  // a -70 dB stopband
    for (const auto& pt : pts) ASSERT_GE(pt.second, c.decibels ? KALTAP_Response_Floor_dB() : -2.0);
}

INSTANTIATE_TEST_SUITE_P(
    Views, Each_View,
    ::testing::Values(View_Case{KALTAP_Plot_Frequency_Response, "plot_1X.png", "Frequency Response", true, 1345, 0.0,
                                0.5, "FIR Filter"},
                      View_Case{KALTAP_Plot_Centred_dB, "plot_2X.png", "Frequency Response Centered at Zero Frequency",
                                true, 2689, -0.5, 0.5, ""},
                      View_Case{KALTAP_Plot_Triple_dB, "plot_3X.png", "Frequency Response over Three Times Sample Rate",
                                true, 4033, -1.5, 1.5, ""},
                      View_Case{KALTAP_Plot_Linear_Half, "plot_1XL.png", "Frequency Response", false, 2689, 0.0, 0.5,
                                ""},
                      View_Case{KALTAP_Plot_Centred_Linear, "plot_2XL.png",
                                "Frequency Response Centered at Zero Frequency", false, 2689, -0.5, 0.5, ""},
                      View_Case{KALTAP_Plot_Triple_Linear, "plot_3XL.png",
                                "Frequency Response over Three Times Sample Rate", false, 4033, -1.5, 1.5, ""}));

// ---- The six windows together ----

TEST_F(Frequency_Plots, DesignLoopOpensSixWindowsEachSavedAfterItsCurves) {
    design(1, 42, 32, Bandpass);
    console.lines.clear();
    draw_all();
    std::vector<std::string> order;
    for (const char* view :
         {"plot_3XL.png", "plot_2XL.png", "plot_1XL.png", "plot_3X.png", "plot_2X.png", "plot_1X.png"})
        order.push_back(KALTAP_File_Stamp() + view);
    EXPECT_EQ(script.saved_files, order);
    ASSERT_EQ(script.plots.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(script.plots[k].saved_as, std::vector<std::string>{order[k]});
    // Each window is created, written and saved before the next one opens.
    std::vector<std::string> signals;
    for (const auto& r : script.requests) signals.push_back(r.signal);
    std::vector<std::string> expected;
    for (int k = 0; k < 6; ++k)
        for (const char* s : {"createXYPlot", "writeXYPlot", "saveWindowContents"}) expected.push_back(s);
    EXPECT_EQ(signals, expected);
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(Frequency_Plots, MainPlotUsesThePointsOfTheResponseFileAndTheLinearPlotHalvesTheStep) {
    Timers_Set_Clock([] {
        Clock_Reading c;
        c.year = 2026, c.month = 1, c.day = 2, c.hour = 3, c.minute = 4;
        return c;
    });
    design(1, 42, 32, Bandpass);
    KALTAP_Frequency_Response_CSV();
    draw_all();
    const std::string file = KALTAP_File_Stamp() + "Frequency_Response.csv";
    Timers_Set_Clock({});
    const auto lines = Read_Lines(file);
    std::remove(file.c_str());
    const auto& main = curve("plot_1X.png");
    const auto& half = curve("plot_1XL.png");
    ASSERT_EQ(lines.size(), main.size() + 1);
    ASSERT_EQ(half.size(), 2 * main.size() - 1);
    for (std::size_t i = 0; i < main.size(); ++i) {
        std::stringstream record(lines[i + 1]);
        double f = 0, dB = 0;
        char comma = 0;
        record >> f >> comma >> dB;
        ASSERT_DOUBLE_EQ(main[i].first, f) << "point " << i;
        ASSERT_NEAR(main[i].second, dB, 1e-9) << "point " << i;
        ASSERT_EQ(half[2 * i].first, main[i].first) << "point " << i;
        ASSERT_NEAR(Decibels(half[2 * i].second), main[i].second, 1e-9) << "point " << i;
    }
}

TEST_F(Frequency_Plots, PerfectZeroOfTheResponsePlotsAtTheFloor) {
    // Taps -0.5, 1, -0.5: A(f) = 1 - cos(2 pi f), an exact zero at f = 0 (and at +-1).
    Set_Up_Design(1, 3, 16, {{0.0, 0.5, 1.0, 1.0}});
    Filter_Weights(1) = -0.5;
    Filter_Weights(2) = 1.0;
    KALTAP_Filter_Weights_Valid = true;
    draw_all();
    for (const char* file : {"plot_1X.png", "plot_2X.png", "plot_3X.png"}) {
        int zeros = 0;
        for (const auto& pt : curve(file)) {
            ASSERT_TRUE(std::isfinite(pt.second)) << file << " f = " << pt.first;
            ASSERT_GE(pt.second, -100.0) << file;
            if (pt.first == 0.0) {
                EXPECT_EQ(pt.second, -100.0) << file;
                ++zeros;
            }
        }
        EXPECT_EQ(zeros, 1) << file;
    }
    int period_zeros = 0;  // one sample rate away from zero frequency
    for (const auto& pt : curve("plot_3X.png")) {
        if (std::fabs(pt.first) == 1.0) {
            EXPECT_EQ(pt.second, -100.0) << "f = " << pt.first;
            ++period_zeros;
        }
    }
    EXPECT_EQ(period_zeros, 2);
}

// ---- The rounded-weights curve ----

struct Rounding_Case {
    const char* name;
    std::function<void()> after_design;
    bool rounded_curve;
    bool warning;
};

void PrintTo(const Rounding_Case& c, std::ostream* os) { *os << c.name; }

void Quantize(int bits) {
    KALTAP_Bits = bits;
    KALTAP_Quantizer();
}

class Rounding : public Frequency_Plots, public ::testing::WithParamInterface<Rounding_Case> {};

TEST_P(Rounding, RoundedCurveOnlyForAQuantizationOfTheCurrentDesign) {
    const Rounding_Case& c = GetParam();
    design(1, 42, 32, Bandpass);
    c.after_design();
    console.lines.clear();
    draw_all();
    const Scripted_Plot* main = script.plot_saved_as("plot_1X.png");
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(main->series.size(), c.rounded_curve ? 2u : 1u);
    EXPECT_EQ(main->series[0].label(), "FIR Filter");
    for (const Scripted_Plot& other : script.plots) {
        if (&other != main) { EXPECT_EQ(other.series.size(), 1u) << other.saved_as[0]; }
    }
    EXPECT_EQ(console.contains("***Warning in KALTAP_Plot_Frequency_Response"), c.warning);
    if (!c.rounded_curve) return;

    const Scripted_Series& rounded = main->series[1];
    EXPECT_EQ(rounded.label(), "Rounded to 16 Bits");
    EXPECT_EQ(Property<unsigned>(rounded.properties, "curveColor"), 0x8b0000u);
    EXPECT_EQ(Property<unsigned>(rounded.properties, "dotColor"), 0xdc143cu);
    EXPECT_EQ(Property<int>(rounded.properties, "symbolStyle"), -1);
    const auto& designed = main->series[0].points;
    ASSERT_EQ(rounded.points.size(), designed.size());
    double largest_difference = 0.0;
    for (std::size_t i = 0; i < designed.size(); ++i) {
        ASSERT_EQ(rounded.points[i].first, designed[i].first);
        largest_difference = std::max(largest_difference, std::fabs(rounded.points[i].second - designed[i].second));
    }
    EXPECT_GT(largest_difference, 0.0);  // the rounding shows, at least deep in the stopbands
    for (std::size_t i : {std::size_t{0}, designed.size() / 2, designed.size() - 1})
        EXPECT_NEAR(rounded.points[i].second, Decibels(Response(designed[i].first, Rounded_Weights)), Value_Tolerance);
    // In the passband 16 bits are indistinguishable from the design.
    const std::size_t passband_point = designed.size() * 55 / 100;  // f = 0.275
    EXPECT_NEAR(rounded.points[passband_point].second, designed[passband_point].second, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Quantization, Rounding,
                         ::testing::Values(Rounding_Case{"NoRounding", [] { KALTAP_Bits = 0; }, false, false},
                                           Rounding_Case{"Rounded16Bits", [] { Quantize(16); }, true, false},
                                           Rounding_Case{"NewDesignAfterRounding",
                                                         [] {
                                                             Quantize(16);
                                                             Set_Up_Design(1, 42, 32, Bandpass);
                                                             KALTAP_Design();
                                                         },
                                                         false, false},
                                           Rounding_Case{"RedesignWithoutNewDesign",
                                                         [] {
                                                             Quantize(16);
                                                             Band_Edges(2) = 0.12;
                                                             KALTAP_Design();
                                                         },
                                                         false, true},
                                           Rounding_Case{"BitsChangedAfterRounding",
                                                         [] {
                                                             Quantize(16);
                                                             KALTAP_Bits = 12;
                                                         },
                                                         false, true}),
                         Case_Name());

// ---- Symmetries of the views ----

struct Antisymmetric_Case {
    int type, N;
    std::vector<Band> bands;
};

void PrintTo(const Antisymmetric_Case& c, std::ostream* os) { *os << "type " << c.type << ", N = " << c.N; }

class Antisymmetric : public Frequency_Plots, public ::testing::WithParamInterface<Antisymmetric_Case> {};

TEST_P(Antisymmetric, CentredLinearResponseIsOddAndNegativeLeftOfZero) {
    const Antisymmetric_Case& c = GetParam();
    design(c.type, c.N, 16, c.bands);
    ASSERT_GE(PMC_DCT_Type, 3);
    KALTAP_Plot_Centred_Linear();
    const auto& pts = curve("plot_2XL.png");
    const std::size_t P = pts.size() - 1;
    EXPECT_EQ(pts[P / 2].first, 0.0);
    EXPECT_NEAR(pts[P / 2].second, 0.0, 1e-12);
    for (std::size_t i = 0; i <= P; ++i) {
        ASSERT_NEAR(pts[P - i].second, -pts[i].second, 1e-12) << "f = " << pts[i].first;
        const double f = pts[i].first;
        if (f >= 0.1 && f <= 0.4) { ASSERT_GT(pts[i].second, 0.0) << "f = " << f; }
        if (f <= -0.1 && f >= -0.4) { ASSERT_LT(pts[i].second, 0.0) << "f = " << f; }
    }
}

INSTANTIATE_TEST_SUITE_P(HilbertAndDifferentiator, Antisymmetric,
                         ::testing::Values(Antisymmetric_Case{3, 31, {{0.05, 0.45, 1.0, 1.0}}},
                                           Antisymmetric_Case{3, 32, {{0.05, 0.5, 1.0, 1.0}}},
                                           Antisymmetric_Case{2, 32, {{0.0, 0.5, 1.0, 1.0}}}));

TEST_F(Frequency_Plots, SymmetricDesignHasEvenCentredResponse) {
    design(1, 41, 16, Lowpass);
    KALTAP_Plot_Centred_Linear();
    const auto& pts = curve("plot_2XL.png");
    const std::size_t P = pts.size() - 1;
    for (std::size_t i = 0; i <= P; ++i) ASSERT_NEAR(pts[P - i].second, pts[i].second, 1e-12);
    EXPECT_NEAR(pts[P / 2].second, 1.0, 0.05);  // passband gain at zero frequency
}

struct Period_Case {
    int N;
    double sign;  // linear response one sample rate further on
};

void PrintTo(const Period_Case& c, std::ostream* os) { *os << "N = " << c.N; }

class Triple_View : public Frequency_Plots, public ::testing::WithParamInterface<Period_Case> {};

TEST_P(Triple_View, RepeatsEverySampleRate) {
    const Period_Case& c = GetParam();
    design(1, c.N, 16, Lowpass);
    KALTAP_Plot_dB_Views();
    KALTAP_Plot_Linear_Views();
    const auto& dB = curve("plot_3X.png");
    const auto& linear = curve("plot_3XL.png");
    const std::size_t period = static_cast<std::size_t>(c.N) * 16;  // points per unit of frequency
    ASSERT_EQ(dB.size(), 3 * period + 1);
    ASSERT_EQ(linear.size(), dB.size());
    for (std::size_t i = 0; i + period < dB.size(); ++i) {
        ASSERT_NEAR(dB[i + period].first, dB[i].first + 1.0, 1e-15);
        ASSERT_NEAR(dB[i + period].second, dB[i].second, 1e-6) << "f = " << dB[i].first;
        ASSERT_NEAR(linear[i + period].second, c.sign * linear[i].second, 1e-9) << "f = " << linear[i].first;
    }
}

INSTANTIATE_TEST_SUITE_P(OddAndEvenLength, Triple_View, ::testing::Values(Period_Case{41, 1.0}, Period_Case{42, -1.0}));

// ---- Refused calls ----

struct Refusal_Case {
    const char* name;
    std::function<void()> spoil;
    const char* console_line;
};

void PrintTo(const Refusal_Case& c, std::ostream* os) { *os << c.name; }

class Refused : public Frequency_Plots, public ::testing::WithParamInterface<Refusal_Case> {};

TEST_P(Refused, StopsBeforeOpeningAWindow) {
    const Refusal_Case& c = GetParam();
    design(1, 42, 32, Bandpass);
    c.spoil();
    EXPECT_TRUE(Stops(KALTAP_Plot_Frequency_Response));
    EXPECT_TRUE(Stops(KALTAP_Plot_Linear_Views));
    EXPECT_TRUE(console.contains(std::string("###Error in KALTAP_Plot_Frequency_Response") + c.console_line));
    EXPECT_TRUE(console.contains(std::string("###Error in KALTAP_Plot_Triple_Linear") + c.console_line));
    EXPECT_TRUE(script.plots.empty());
}

INSTANTIATE_TEST_SUITE_P(Design_State, Refused,
                         ::testing::Values(Refusal_Case{"NoFinishedDesign", [] { Set_Up_Design(1, 42, 32, Bandpass); },
                                                        ", called with KALTAP_Filter_Weights_Valid==.FALSE."},
                                           Refusal_Case{"LengthRaisedAfterDesign", [] { Number_of_Weights = 200; },
                                                        ", design state does not fit the weights"},
                                           Refusal_Case{"NoGridDensity", [] { Search_Grid_Density = 0; },
                                                        ", design state does not fit the weights"}),
                         Case_Name());

}  // namespace
