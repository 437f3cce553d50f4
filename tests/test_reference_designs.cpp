// SPDX-License-Identifier: GPL-3.0-or-later
// The ten reference designs and the designs that exercise the fine steps of
// the exchange: iteration counts, middle weights and deviations must match
// the published reference figures.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "KALTAP_Classical_Inputs.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Remez_Engine.h"
#include "Run_Logging.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

struct Reference {
    int type, N, density;
    std::vector<Band> bands;
    int iterations;
    double middle_weight;  // 8 significant digits
    double max_error;      // 8 decimals: dB of the last band (bandpass) or the deviation
};

const std::vector<Reference> References = {
    {1, 24, 16, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}, 5, 0.23354606, -38.10803508},
    {1, 25, 32, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}, 6, 0.23978267, -38.23867646},
    {1, 32, 16, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}, 4, 0.30410917, -56.40254636},
    {1, 33, 32, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}, 8, 0.46270287, -55.88565632},
    {2, 32, 16, {{0, 0.5, 1, 1}}, 4, 0.20266535, 0.00620231},
    {2, 33, 32, {{0, 0.45, 1, 1}}, 6, 0.15784562, 0.00299411},
    {3, 20, 16, {{0.05, 0.5, 1, 1}}, 4, 0.63475618, 0.02055604},
    {3, 21, 32, {{0.05, 0.45, 1, 1}}, 4, 0.62903223, 0.02274748},
    {3, 22, 32, {{0.05, 0.5, 1, 1}}, 4, 0.63487602, 0.01438602},
    {3, 23, 32, {{0.05, 0.45, 1, 1}}, 5, 0.62999253, 0.01107411},
};

double round_significant(double x, int digits) {
    if (x == 0) return 0;
    double scale = std::pow(10.0, digits - 1 - std::floor(std::log10(std::fabs(x))));
    return std::round(x * scale) / scale;
}

// The design just made reproduces reference r: its iterations (counted in
// the exchange's console lines as well), middle weight and maximum error.
void Expect_Reference_Figures(const Reference& r, const Console_Capture& console) {
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(console.count("Iteration "), r.iterations);
    EXPECT_EQ(KALTAP_Remez_Iterations(), r.iterations);
    EXPECT_DOUBLE_EQ(round_significant(Filter_Weights(Half_Length), 8), r.middle_weight)
        << "middle weight " << Filter_Weights(Half_Length);
    double max_error = Remez_Deviation;
    if (r.type == 1) max_error = 20.0 * std::log10(Remez_Deviation / Band_Weighting(Number_of_Bands));
    EXPECT_NEAR(max_error, r.max_error, 0.5e-8) << "max error " << max_error;
    EXPECT_FALSE(KALTAP_Last_Ripple_Check().warned);
}

class Reference_Designs : public ::testing::TestWithParam<int> {};

TEST_P(Reference_Designs, ReproduceIterationsMiddleWeightAndMaxError) {
    const Reference& r = References[GetParam()];
    Reset_Design_Program();
    Console_Capture console;
    Quiet_Remez = false;
    Set_Up_Design(r.type, r.N, r.density, r.bands);
    KALTAP_Design();
    Quiet_Remez = true;
    Expect_Reference_Figures(r, console);
}

INSTANTIATE_TEST_SUITE_P(TenCases, Reference_Designs, ::testing::Range(0, 10));

// Every reference design is a sound filter: typed into the classical dialogs
// (type, length, bands, density, then each band) it is accepted at the first
// showing and designed with the same figures. Among them the even-length
// differentiator and Hilbert transformers whose band reaches half the sample
// rate, where only a symmetric filter of even length is zero.
class Reference_Designs_Through_Dialogs : public ::testing::TestWithParam<int> {};

// A value as text that reads back as the same double.
std::string Text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

TEST_P(Reference_Designs_Through_Dialogs, AreAcceptedAndReproduceTheirFigures) {
    const Reference& r = References[GetParam()];
    Reset_Design_Program();
    Console_Capture console;
    UIK_Script script;
    const int bands = static_cast<int>(r.bands.size());
    script.Accept({{"Select type of filter to design:", std::to_string(r.type)},
                   {"Number of weights", std::to_string(r.N)},
                   {"Number of Bands (use 1 for differentiator or Hilbert transformer)", std::to_string(bands)},
                   {"Search Grid Density", std::to_string(r.density)}});
    std::vector<std::pair<std::string, std::string>> band_texts;
    for (int k = 1; k <= bands; ++k) {
        const Band& b = r.bands[static_cast<std::size_t>(k - 1)];
        const std::string at = "@" + std::to_string(k);
        band_texts.push_back({"Left Band Edge" + at, Text(b.lower)});
        band_texts.push_back({"Right Band Edge" + at, Text(b.upper)});
        band_texts.push_back({"Desired Frequency Response" + at, Text(b.desired)});
        band_texts.push_back({"Band Weighting" + at, Text(b.weight)});
    }
    script.Accept(band_texts);
    Quiet_Remez = false;
    const bool stopped = Stops(KALTAP_Classical_Inputs);
    Quiet_Remez = true;
    const std::string log = Run_Log_Unit != 0 ? UNIT_File_Name(Run_Log_Unit) : std::string();
    ASSERT_FALSE(stopped);
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(script.dialogs_titled("Error in Band Definitions").size(), 0u) << "refused at the first showing";
    EXPECT_EQ(script.shown.size(), 2u);
    EXPECT_EQ(Type_of_Filter, r.type);
    EXPECT_EQ(Number_of_Weights, r.N);
    for (int k = 1; k <= bands; ++k) {
        EXPECT_EQ(Band_Edges(2 * k - 1), r.bands[static_cast<std::size_t>(k - 1)].lower) << "band " << k;
        EXPECT_EQ(Band_Edges(2 * k), r.bands[static_cast<std::size_t>(k - 1)].upper) << "band " << k;
    }
    Expect_Reference_Figures(r, console);
    Reset_Design_Program();
    if (!log.empty()) std::remove(log.c_str());
}

INSTANTIATE_TEST_SUITE_P(TenCases, Reference_Designs_Through_Dialogs, ::testing::Range(0, 10));

}  // namespace
