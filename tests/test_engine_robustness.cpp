// SPDX-License-Identifier: GPL-3.0-or-later
// Filter requirements at the limits of what the input dialogs accept must never
// crash the engine, read outside an array or divide by zero: each one either
// designs (finite taps, marked valid) or ends in an orderly stop with an
// error line. The sanitizer build runs this sweep too.
#include <cmath>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "test_support.h"

namespace {

std::vector<Band> many_bands(int count) {
    std::vector<Band> bands;
    const double width = 0.5 / count;
    for (int k = 0; k < count; ++k) {
        double lo = k * width + (k ? 0.3 * width : 0.0);
        double hi = (k + 1) * width - (k + 1 < count ? 0.3 * width : 0.0);
        bands.push_back({lo, hi, static_cast<double>(k % 2), 1.0});
    }
    return bands;
}

class Limits : public Design_Case_Test<> {};

TEST_P(Limits, DesignsOrStopsInOrder) {
    std::string text;
    bool stopped = Stops([] { KALTAP_Design(); }, &text);
    if (stopped) {
        EXPECT_TRUE(console.contains("###Error in KALTAP_Design") ||
                    console.contains("*** Storage problem in Design Engine"));
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
        return;
    }
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    int finite = 0;
    for (int j = 1; j <= Half_Length; ++j) finite += std::isfinite(Filter_Weights(j));
    // Taps that are not finite are never passed off as a good design.
    if (finite < Half_Length) { EXPECT_TRUE(console.contains("***Warning")); }
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, Limits,
    ::testing::Values(Design_Case{"ThreeTapsBandpass", 1, 3, 4, {{0, 0.1, 1, 1}, {0.3, 0.5, 0, 1}}},
                      Design_Case{"FourTapsBandpass", 1, 4, 4, {{0, 0.1, 1, 1}, {0.3, 0.5, 0, 1}}},
                      Design_Case{"ThreeTapsHilbert", 3, 3, 4, {{0.1, 0.4, 1, 1}}},
                      Design_Case{"ThreeTapsDifferentiator", 2, 3, 4, {{0, 0.5, 1, 1}}},
                      Design_Case{"FourTapsDifferentiator", 2, 4, 16, {{0, 0.5, 1, 1}}},
                      Design_Case{"OneBandWholeAxis", 1, 21, 16, {{0, 0.5, 1, 1}}},
                      Design_Case{"BandsTouchingZeroAndHalf", 1, 40, 8, {{0, 0.2, 1, 1}, {0.25, 0.5, 0, 1}}},
                      Design_Case{"HilbertWholeAxis", 3, 40, 8, {{0, 0.5, 1, 1}}},
                      Design_Case{"VeryNarrowBands", 1, 101, 16, {{0.1, 0.1001, 1, 1}, {0.4, 0.4001, 0, 1}}},
                      Design_Case{"ZeroWidthBand", 1, 15, 16, {{0, 0, 1, 1}, {0.2, 0.5, 0, 1}}},
                      Design_Case{"ManyBands", 1, 601, 4, many_bands(129)},
                      Design_Case{"LargestDensity", 1, 65, 33, {{0, 0.2, 1, 1}, {0.3, 0.5, 0, 1}}},
                      Design_Case{"HugeWeightRatio", 1, 61, 16, {{0, 0.2, 1, 1e-6}, {0.25, 0.5, 0, 1e6}}},
                      Design_Case{"LongEqualBands", 1, 1001, 4, {{0, 0.25, 1, 1}, {0.26, 0.5, 0, 1}}}),
    Case_Name());

TEST(Capacity, LengthAboveTheAllocationEndsInTheStorageStop) {
    Reset_Design_Program();
    Console_Capture console;
    // Arrays sized for 128 weights, 5 bands, density 64 (the two-band set-up),
    // then a longer two-band design: the extremal arrays would overflow first.
    Set_Up_Two_Band_Storage(1);
    Set_Band_Tables({{0, 0.15, 1, 1}, {0.2, 0.5, 0, 1}});
    for (int N : {145, 200, 16385}) {
        Number_of_Weights = N;
        console.lines.clear();
        EXPECT_TRUE(Stops([] { KALTAP_Design(); })) << N;
        EXPECT_TRUE(console.contains(" *** Storage problem in Design Engine: band_index*Number_of_Weights/delta_f >"))
            << N;
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    }
    // Within the allocation the same state designs normally.
    Number_of_Weights = 127;
    EXPECT_FALSE(Stops([] { KALTAP_Design(); }));
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
}

TEST(Capacity, DensityAboveTheAllocationOverflowsTheGridAndStops) {
    Reset_Design_Program();
    Console_Capture console;
    Set_Up_Design(1, 31, 8, {{0, 0.2, 1, 1}, {0.25, 0.5, 0, 1}});
    Search_Grid_Density = 64;
    EXPECT_TRUE(Stops([] { KALTAP_Design(); }));
    std::string expected = " *** Storage problem in Design Engine: band_index*Number_of_Weights/delta_f >" +
                           std::string(5 - std::to_string(Grid_Capacity).size(), ' ') + std::to_string(Grid_Capacity) +
                           "! ***";
    EXPECT_TRUE(console.contains(expected));
}

TEST(Capacity, CountsAndDensitiesTooSmallStopWithAnError) {
    struct Bad {
        int N, density;
    };
    for (Bad b : {Bad{2, 16}, Bad{0, 16}, Bad{-1, 16}, Bad{21, -1}}) {
        Reset_Design_Program();
        Console_Capture console;
        Set_Up_Design(1, 21, 16, {{0, 0.2, 1, 1}, {0.25, 0.5, 0, 1}});
        Number_of_Weights = b.N;
        Search_Grid_Density = b.density;
        EXPECT_TRUE(Stops([] { KALTAP_Design(); })) << b.N << " " << b.density;
        EXPECT_EQ(console.count("###Error in KALTAP_Design"), 1) << b.N << " " << b.density;
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    }
}

TEST(Capacity, NegativeCountsAllocateNothingNegative) {
    Reset_Design_Program();
    Console_Capture console;
    Type_of_Filter = 1;
    Number_of_Weights = -1;
    Number_of_Bands = 2;
    Search_Grid_Density = 16;
    KALTAP_New_Design();
    EXPECT_GE(Extremal_Capacity, 0);
    EXPECT_GE(Grid_Capacity, 0);
    EXPECT_TRUE(Stops([] { KALTAP_Design(); }));
    EXPECT_TRUE(console.contains("###Error in KALTAP_Design"));
}

}  // namespace
