// SPDX-License-Identifier: GPL-3.0-or-later
// The design reports: fixed-column layout, band table per filter type,
// deviations in dB, zeroing of tiny taps, the quantized form and the stops.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Output.h"
#include "KALTAP_Weight_Quantization.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

struct General_Case {
    double value;
    const char* text;
};

class General_Format : public ::testing::TestWithParam<General_Case> {};

TEST_P(General_Format, FifteenColumns) { EXPECT_EQ(FMT_General_15(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Values, General_Format,
    ::testing::Values(General_Case{0.5, " 0.50000000    "}, General_Case{-0.25, "-0.25000000    "},
                      General_Case{0.1, " 0.10000000    "}, General_Case{0.0012345, " 1.23450000E-03"},
                      General_Case{-3.0e-5, "-3.00000000E-05"}, General_Case{0.099999999, " 9.99999990E-02"},
                      General_Case{12345678.0, "  12345678.    "}, General_Case{1.0e8, " 1.00000000E+08"}));

struct Report : ::testing::Test {
    Report() { Reset_Design_Program(); }
    // A finished-looking design filled by hand: taps, deviation, extremal set.
    void hand_design(int type, int N, const std::vector<Band>& bands, const std::vector<double>& taps,
                     double deviation) {
        Set_Up_Design(type, N, 16, bands);
        for (int j = 1; j <= Half_Length + 1; ++j) {
            Filter_Weights(j) = j <= static_cast<int>(taps.size()) ? taps[j - 1] : 0.01 * j;
            Grid_Frequency(j) = 0.5 * (j - 1) / Half_Length;
            Extremal_Index(j) = j;
        }
        Remez_Deviation = deviation;
        KALTAP_Filter_Weights_Valid = true;
    }
    std::vector<std::string> report(int bits = 0) {
        console.lines.clear();
        if (bits)
            KALTAP_Quantized_Output(UNIT_Standard_Output, bits);
        else
            KALTAP_Classical_Output(UNIT_Standard_Output);
        return console.lines;
    }
    // The values of the band-table row with this label (17-column label,
    // value fields of `width` columns, F14.8 while the values fit).
    std::vector<double> row(const std::vector<std::string>& lines, const std::string& label, int group = 0,
                            std::size_t width = 14) {
        for (const auto& l : lines)
            if (l.compare(0, 17, label) == 0 && group-- == 0) {
                std::vector<double> v;
                EXPECT_EQ((l.size() - 17) % width, 0u) << l;
                for (std::size_t p = 17; p + width <= l.size(); p += width) v.push_back(std::stod(l.substr(p, width)));
                return v;
            }
        return {};
    }
    static bool has(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    Console_Capture console;
};

TEST_F(Report, TapLinesUseTheGeneralFormatAndListTinyTapsAsTheyAre) {
    const std::vector<double> taps = {-0.0012345, 3e-7, 2e-6, 0.25, 0.5};
    hand_design(1, 9, {{0, 0.1, 1, 1}, {0.2, 0.5, 0, 1}}, taps, 0.01);
    const auto lines = report();
    EXPECT_EQ(lines[0], std::string(70, '*'));
    EXPECT_EQ(lines[2], "               Finite Impulse Response (FIR)");
    EXPECT_EQ(lines[3], "             Linear Phase Digital Filter Design");
    EXPECT_EQ(lines[4], "                 Remez Exchange Algorithm");
    EXPECT_EQ(lines[6], "                      Bandpass Filter");
    EXPECT_EQ(lines[8], "                    Filter Length = 9");
    EXPECT_EQ(lines[10], "               ***** Impulse Response *****");
    EXPECT_EQ(lines[11], "             h( 1) = -1.23450000E-03 = h(  9)");
    EXPECT_EQ(lines[12], "             h( 2) =  3.00000000E-07 = h(  8)");
    EXPECT_EQ(lines[13], "             h( 3) =  2.00000000E-06 = h(  7)");
    EXPECT_EQ(lines[15], "             h( 5) =  0.50000000     = h(  5)");
    EXPECT_EQ(Filter_Weights(2), 3e-7);  // the listing changes no tap
    EXPECT_EQ(Filter_Weights(3), 2e-6);
    EXPECT_EQ(lines.end()[-3], "");
    EXPECT_EQ(lines.end()[-2], std::string(70, '*'));
}

TEST_F(Report, DeviationInDecibelsIsStopbandLevelOrPeakToPeakRipple) {
    hand_design(1, 9, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 10}}, {}, 0.01);
    const auto lines = report();
    EXPECT_EQ(row(lines, "  Deviation      "), (std::vector<double>{0.01, 0.001}));
    const auto dB = row(lines, "  Deviation, dB  ");
    ASSERT_EQ(dB.size(), 2u);
    EXPECT_NEAR(dB[0], 20 * std::log10(1.01 / 0.99), 1e-8);
    EXPECT_NEAR(dB[1], -60.0, 1e-8);
    // Half_Length + 1 = 6 extremal frequencies: five on a line, then the rest.
    EXPECT_EQ(lines[lines.size() - 6], "  Extremal Frequencies--Maxima of the Error Curve");
    EXPECT_EQ(lines[lines.size() - 5], "     0.0000000   0.1000000   0.2000000   0.3000000   0.4000000");
    EXPECT_EQ(lines[lines.size() - 4], "     0.5000000");
}

TEST_F(Report, SixBandsMakeTwoGroupsWithAlignedHeadings) {
    std::vector<Band> bands;
    for (int k = 0; k < 6; ++k) bands.push_back({0.08 * k, 0.08 * k + 0.04, k % 2 * 1.0, 1.0 + k});
    hand_design(1, 33, bands, {}, 0.02);
    const auto lines = report();
    EXPECT_TRUE(has(lines, std::string(24, ' ') + "Band  1       Band  2       Band  3       Band  4"));
    EXPECT_TRUE(has(lines, std::string(24, ' ') + "Band  5       Band  6"));
    EXPECT_EQ(row(lines, "  Lower Band Edge", 1), (std::vector<double>{0.32, 0.40}));
    EXPECT_EQ(row(lines, "  Upper Band Edge", 1), (std::vector<double>{0.36, 0.44}));
    EXPECT_EQ(row(lines, "  Weighting      ", 1), (std::vector<double>{5, 6}));
}

// Band values beyond F14.8 (a desired value from 10^5, a weighting from 10^6)
// widen every value field of the table to the widest, and the headings move
// with them; both forms, whose tables hold different rows.
struct Wide_Band_Case {
    int bits;  // 0: the design report
    std::size_t width;
};

class Report_Wide_Bands : public Report, public ::testing::WithParamInterface<Wide_Band_Case> {};

TEST_P(Report_Wide_Bands, WidenTheTableAndItsHeadings) {
    const Wide_Band_Case& c = GetParam();
    hand_design(1, 9, {{0, 0.2, 250000.0, 1}, {0.3, 0.5, 0, 2.5e6}}, {}, 0.01);
    if (c.bits != 0) {
        KALTAP_Bits = c.bits;
        KALTAP_Quantizer();
    }
    const auto lines = report(c.bits);
    // No field of asterisks; the rules of 70 and the impulse-response title stay.
    for (const auto& l : lines) {
        if (l != std::string(70, '*')) { EXPECT_EQ(l.find("******"), std::string::npos) << l; }
    }
    const std::string heading = std::string(17 + c.width - 7, ' ') + "Band  1" + std::string(c.width - 7, ' ') +
                                "Band  2";
    EXPECT_TRUE(has(lines, heading)) << heading;
    EXPECT_EQ(row(lines, "  Lower Band Edge", 0, c.width), (std::vector<double>{0.0, 0.3}));
    EXPECT_EQ(row(lines, "  Desired value  ", 0, c.width), (std::vector<double>{250000.0, 0.0}));
    if (c.bits == 0) { EXPECT_EQ(row(lines, "  Weighting      ", 0, c.width), (std::vector<double>{1.0, 2.5e6})); }
}

INSTANTIATE_TEST_SUITE_P(Forms, Report_Wide_Bands,
                         ::testing::Values(Wide_Band_Case{0, 16},     // 2500000.00000000
                                           Wide_Band_Case{16, 15}));  // 250000.00000000

struct Type_Case {
    int type, N;
    std::vector<Band> bands;
    const char* type_line;
    const char* mirror;
    std::vector<const char*> rows;  // labels present in the band table
};

class Report_Types : public Report, public ::testing::WithParamInterface<Type_Case> {};

TEST_P(Report_Types, ListTheirOwnRowsAndSymmetry) {
    const Type_Case& c = GetParam();
    hand_design(c.type, c.N, c.bands, {}, 0.01);
    const auto lines = report();
    EXPECT_EQ(lines[6], c.type_line);
    int taps = 0;
    for (const auto& l : lines) taps += l.find(c.mirror) != std::string::npos;
    EXPECT_EQ(taps, Half_Length);
    EXPECT_EQ(has(lines, "             h(16) =  0.0"), c.type == 3 && c.N == 31);
    for (const char* label :
         {"  Desired value  ", "  Desired Slope  ", "  Weighting      ", "  Deviation      ", "  Deviation, dB  "}) {
        const bool wanted = std::find_if(c.rows.begin(), c.rows.end(),
                                         [&](const char* r) { return std::string(r) == label; }) != c.rows.end();
        EXPECT_EQ(row(lines, label).size() == c.bands.size(), wanted) << label;
    }
    EXPECT_EQ(row(lines, "  Lower Band Edge").size(), c.bands.size());
}

INSTANTIATE_TEST_SUITE_P(
    Types, Report_Types,
    ::testing::Values(Type_Case{1,
                                31,
                                {{0, 0.1, 1, 1}, {0.2, 0.5, 0, 1}},
                                "                      Bandpass Filter",
                                " = h(",
                                {"  Desired value  ", "  Weighting      ", "  Deviation      ", "  Deviation, dB  "}},
                      Type_Case{2,
                                32,
                                {{0, 0.5, 1, 1}},
                                "                      Differentiator",
                                " = -h(",
                                {"  Desired Slope  ", "  Weighting      ", "  Deviation      "}},
                      Type_Case{3,
                                31,
                                {{0.05, 0.45, 1, 1}},
                                "                    Hilbert Transformer",
                                " = -h(",
                                {"  Desired Slope  ", "  Weighting      ", "  Deviation      "}},
                      Type_Case{4, 32, {{0, 0.5, 1, 1}}, "                         Equalizer", " = h(", {}}));

// Tap lines keep their 2- and 3-column numbers while the numbers fit and widen
// to the largest number's digits beyond, in both forms of the report, so that
// every line still names its taps (never "h(**)").
struct Tap_Lines_Case {
    int type, N, bits;
    int line;            // the tap line checked, counted from the first
    const char* starts;  // its beginning, up to the weight
    const char* ends;    // its end, after the weight
};

class Report_Tap_Numbers : public Report, public ::testing::WithParamInterface<Tap_Lines_Case> {};

TEST_P(Report_Tap_Numbers, NameEveryTap) {
    const Tap_Lines_Case c = GetParam();
    hand_design(c.type, c.N, {{0.05, 0.45, 1, 1}}, {0.5}, 0.01);
    if (c.bits != 0) {
        KALTAP_Bits = c.bits;
        KALTAP_Quantizer();
    }
    const auto lines = report(c.bits);
    for (const auto& l : lines) ASSERT_EQ(l.find("(*"), std::string::npos) << l;
    const int first_tap_line = c.bits != 0 ? 12 : 11;
    const std::string& l = lines.at(static_cast<std::size_t>(first_tap_line + c.line));
    EXPECT_EQ(l.rfind(c.starts, 0), 0u) << l;
    const std::string ends = c.ends;
    EXPECT_TRUE(l.size() >= ends.size() && l.compare(l.size() - ends.size(), ends.size(), ends) == 0) << l;
}

INSTANTIATE_TEST_SUITE_P(Widths, Report_Tap_Numbers,
                         ::testing::Values(Tap_Lines_Case{1, 31, 0, 0, "             h( 1) = ", " = h( 31)"},
                                           Tap_Lines_Case{1, 197, 0, 98, "             h(99) = ", " = h( 99)"},
                                           Tap_Lines_Case{1, 201, 0, 100, "             h(101) = ", " = h(101)"},
                                           Tap_Lines_Case{1, 1001, 0, 0, "             h(  1) = ", " = h(1001)"},
                                           Tap_Lines_Case{1, 16385, 0, 8192, "             h(8193) = ", " = h( 8193)"},
                                           Tap_Lines_Case{3, 16385, 0, 8192, "             h(8193) =  0.0",
                                                          "h(8193) =  0.0"},
                                           Tap_Lines_Case{1, 16385, 24, 0, "             h(   1) = ", " = h(16385)"}));

TEST_F(Report, QuantizedFormListsRoundedWeightsWithoutDeviations) {
    Set_Up_Design(1, 32, 16, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}});
    KALTAP_Design();
    KALTAP_Bits = 12;
    KALTAP_Quantizer();
    const auto lines = report(12);
    EXPECT_EQ(lines[3], "                Linear Phase Digital Filter");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[7], "            Coefficients Quantized to 12 Bits");
    EXPECT_EQ(lines[15], "             h( 4) = " + FMT_General_15(Rounded_Weights(4)) + " = h( 29)");
    EXPECT_NE(Rounded_Weights(4), Filter_Weights(4));
    EXPECT_EQ(row(lines, "  Desired value  ").size(), 3u);
    EXPECT_TRUE(row(lines, "  Weighting      ").empty());
    for (const auto& l : lines) EXPECT_EQ(l.find("Extremal"), std::string::npos);
}

TEST_F(Report, InvalidWeightsAndUnknownTypeStop) {
    hand_design(1, 9, {{0, 0.5, 1, 1}}, {}, 0.01);
    KALTAP_Filter_Weights_Valid = false;
    EXPECT_TRUE(Stops([] { KALTAP_Classical_Output(UNIT_Standard_Output); }));
    EXPECT_TRUE(
        console.contains("###Error in KALTAP_Classical_Output, called with KALTAP_Filter_Weights_Valid==.FALSE."));
    EXPECT_TRUE(Stops([] { KALTAP_Quantized_Output(UNIT_Standard_Output, 16); }));
    EXPECT_EQ(console.count("###Error in KALTAP_Classical_Output, called with"), 2);

    // The type error goes to the report's own unit.
    KALTAP_Filter_Weights_Valid = true;
    Type_of_Filter = 5;
    ASSERT_EQ(UNIT_Open(70, "Report_Unit.txt", UNIT_Mode::Write), UNIT_OK);
    EXPECT_TRUE(Stops([] { KALTAP_Classical_Output(70); }));
    UNIT_Close(70);
    EXPECT_EQ(Read_Lines("Report_Unit.txt").back(),
              "####Error in KALTAP_Classical_Output, Type_of_Filter out of bounds: 5");
}

}  // namespace
