// SPDX-License-Identifier: GPL-3.0-or-later
// The closed-form relations between number of weights, ripple, attenuation and
// transition width, and the measurement of a band's achieved deviation.
#include <cmath>
#include <string>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Tools.h"
#include "test_support.h"

namespace {

struct Figures {
    double ripple_dB, atten_dB;
    int N;
};

class Inversions : public ::testing::TestWithParam<Figures> {};

// The three inversions must solve the same relation as the order estimate:
// from a width that the estimate maps to N, each recovers the figure it was
// not given.
TEST_P(Inversions, AgreeWithTheOrderEstimate) {
    const Figures p = GetParam();
    const double dF = KALTAP_Estimate_Transition(p.ripple_dB, p.atten_dB, p.N);
    ASSERT_TRUE(dF > 0.0 && dF < 0.5) << dF;
    EXPECT_NEAR(KALTAP_Estimate_Number_of_Weights(p.ripple_dB, p.atten_dB, dF), p.N, 1e-9);
    EXPECT_NEAR(KALTAP_Estimate_Ripple(p.atten_dB, dF, p.N), p.ripple_dB, 1e-8 * (1 + p.ripple_dB));
    EXPECT_NEAR(KALTAP_Estimate_Attenuation(p.ripple_dB, dF, p.N), p.atten_dB, 1e-8 * p.atten_dB);
}

INSTANTIATE_TEST_SUITE_P(Figures, Inversions,
                         ::testing::Values(Figures{0.1, 55.0, 41}, Figures{1.0, 40.0, 21}, Figures{0.01, 100.0, 121},
                                           Figures{3.5, 10.0, 7}, Figures{0.5, 200.0, 301}));

// Figures worked out by hand from the published Herrmann-Rabiner-Chan estimate
// and its constants (a1..a6, b1, b2), independently of the code. Each constant
// changed in its fourth digit moves at least one of them far beyond the
// tolerance; the agreement tests above cannot see such a change, since the
// inversions share the constants with the estimate.
struct Pinned_Figure {
    const char* what;
    double R, A, dF;  // the two given figures of ripple (dB p-p), attenuation (dB), transition
    int N;
    double expected;
};

class Published_Estimate : public ::testing::TestWithParam<Pinned_Figure> {};

TEST_P(Published_Estimate, MatchesTheFigureWorkedOutByHand) {
    const Pinned_Figure p = GetParam();
    const std::string what = p.what;
    double value = 0.0;
    if (what == "weights")
        value = KALTAP_Estimate_Number_of_Weights(p.R, p.A, p.dF);
    else if (what == "transition")
        value = KALTAP_Estimate_Transition(p.R, p.A, p.N);
    else if (what == "attenuation")
        value = KALTAP_Estimate_Attenuation(p.R, p.dF, p.N);
    else
        value = KALTAP_Estimate_Ripple(p.A, p.dF, p.N);
    EXPECT_NEAR(value, p.expected, 1e-10 * std::fabs(p.expected)) << what;
}

INSTANTIATE_TEST_SUITE_P(HandWorked, Published_Estimate,
                         ::testing::Values(Pinned_Figure{"weights", 0.1, 55.0, 0.05, 0, 51.711747911330015},
                                           Pinned_Figure{"weights", 0.01, 80.0, 0.02, 0, 204.39672034767997},
                                           Pinned_Figure{"weights", 1.0, 40.0, 0.1, 0, 14.033080230936623},
                                           Pinned_Figure{"weights", 0.5, 100.0, 0.005, 0, 670.3329276522647},
                                           Pinned_Figure{"weights", 3.0, 20.0, 0.2, 0, 1.5429770213772138},
                                           Pinned_Figure{"transition", 0.1, 55.0, 0.0, 41, 0.06297649672134367},
                                           Pinned_Figure{"transition", 0.01, 80.0, 0.0, 101, 0.04053758714105185},
                                           Pinned_Figure{"attenuation", 0.1, 0.0, 0.05, 41, 37.368274329560684},
                                           Pinned_Figure{"attenuation", 0.01, 0.0, 0.02, 101, 16.434926285179774},
                                           Pinned_Figure{"ripple", 0.0, 55.0, 0.05, 61, 0.0218125527710611},
                                           Pinned_Figure{"ripple", 0.0, 80.0, 0.02, 151, 0.25672164952289117}));

TEST(Estimates, EveryEstimateStoresTheDeviationRatioOfItsFigures) {
    const double dp = (std::pow(10.0, 0.1 / 20) - 1) / (std::pow(10.0, 0.1 / 20) + 1);  // 0.1 dB p-p
    const double ds = 1e-3;                                                             // 60 dB
    const double ratio = dp / ds;
    Stopband_Weight_Ratio = 0;
    KALTAP_Estimate_Number_of_Weights(0.1, 60.0, 0.05);
    EXPECT_NEAR(Stopband_Weight_Ratio, ratio, 1e-12 * ratio);
    Stopband_Weight_Ratio = 0;
    // The sign of the attenuation is ignored.
    EXPECT_NEAR(KALTAP_Weight_Ratio(0.1, -60.0), ratio, 1e-12 * ratio);
    EXPECT_NEAR(Stopband_Weight_Ratio, ratio, 1e-12 * ratio);
    Stopband_Weight_Ratio = 0;
    KALTAP_Estimate_Transition(0.1, 60.0, 41);
    EXPECT_NEAR(Stopband_Weight_Ratio, ratio, 1e-12 * ratio);
    // The ripple and attenuation inversions store the ratio of the figures they find.
    const double R = KALTAP_Estimate_Ripple(60.0, 0.05, 41);
    EXPECT_NEAR(Stopband_Weight_Ratio, KALTAP_Weight_Ratio(R, 60.0), 1e-9 * Stopband_Weight_Ratio);
    const double A = KALTAP_Estimate_Attenuation(0.1, 0.05, 41);
    const double stored = Stopband_Weight_Ratio;
    EXPECT_NEAR(stored, KALTAP_Weight_Ratio(0.1, A), 1e-9 * stored);
}

TEST(Estimates, GrowAndShrinkTheWayFilterLengthDoes) {
    // More attenuation or less ripple needs more weights; a wider transition fewer.
    const double base = KALTAP_Estimate_Number_of_Weights(0.1, 55.0, 0.05);
    EXPECT_GT(KALTAP_Estimate_Number_of_Weights(0.1, 70.0, 0.05), base);
    EXPECT_GT(KALTAP_Estimate_Number_of_Weights(0.01, 55.0, 0.05), base);
    EXPECT_LT(KALTAP_Estimate_Number_of_Weights(0.1, 55.0, 0.1), base);
    // The default low-pass needs about 50 weights (it is designed with 50 or 52).
    EXPECT_GT(base, 40.0);
    EXPECT_LT(base, 60.0);
}

TEST(Estimates, WithoutARealRootTheRippleIsNotANumber) {
    // Three weights cannot give 55 dB over a 0.05 transition at any ripple:
    // the result says so instead of posing as a figure.
    EXPECT_TRUE(std::isnan(KALTAP_Estimate_Ripple(55.0, 0.05, 3)));
    EXPECT_TRUE(std::isnan(KALTAP_Estimate_Ripple(105.0, 0.05, 41)));
    EXPECT_TRUE(std::isfinite(KALTAP_Estimate_Ripple(55.0, 0.05, 41)));
}

class Band_Deviation : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Set_Up_Design(1, 21, 16, {{0.0, 0.15, 1.0, 1.0}, {0.2, 0.5, 0.0, 10.0}});
        Remez_Deviation = 0.01;
    }
};

TEST_F(Band_Deviation, PassbandGivesItsPeakToPeakRippleAndOneLine) {
    Console_Capture console;
    Stopband_Weight_Ratio = 7.0;
    const double value = KALTAP_Band_Deviation_dB(1);
    EXPECT_NEAR(value, 20 * std::log10(1.01 / 0.99), 1e-12);
    ASSERT_EQ(console.lines.size(), 1u);
    const std::string& line = console.lines[0];
    EXPECT_EQ(line.find("Deviation:"), 0u);
    EXPECT_NE(line.find(", Band 1"), std::string::npos);
    EXPECT_NE(line.find(" is a Passband, deviation in dB:"), std::string::npos);
    EXPECT_EQ(Stopband_Weight_Ratio, 7.0);
}

TEST_F(Band_Deviation, StopbandGivesItsAttenuationSilently) {
    Console_Capture console;
    // d = 0.01 / 10 = 1e-3: 60 dB.
    EXPECT_NEAR(KALTAP_Band_Deviation_dB(2), 60.0, 1e-10);
    EXPECT_TRUE(console.lines.empty());
    // A target below 1e-6 counts as a stopband, one above as a passband.
    Band_Desired_Value(2) = 5e-7;
    EXPECT_NEAR(KALTAP_Band_Deviation_dB(2), 60.0, 1e-10);
    Band_Desired_Value(2) = 2e-6;
    KALTAP_Band_Deviation_dB(2);
    EXPECT_EQ(console.count("is a Passband"), 1);
}

}  // namespace
