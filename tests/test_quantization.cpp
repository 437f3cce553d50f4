// SPDX-License-Identifier: GPL-3.0-or-later
// Weight quantization: rounding, scale factor, word-length limits and the
// quantized report on the console and in the run log.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Weight_Quantization.h"
#include "Run_Logging.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

// Bandpass of length N holding the hand-made taps H(1..).
void Hand_Design(int N, const std::vector<double>& taps) {
    Set_Up_Design(1, N, 16, {{0.0, 0.5, 1.0, 1.0}});
    for (std::size_t k = 0; k < taps.size(); ++k) Filter_Weights(static_cast<int>(k) + 1) = taps[k];
    KALTAP_Filter_Weights_Valid = true;
}

struct Quantization : ::testing::Test {
    Quantization() { Reset_Design_Program(); }
    Console_Capture console;
};

TEST_F(Quantization, HalvesRoundAwayFromZeroAndRoundedWeightsAreExact) {
    // Largest tap 32767/65536 makes the 16-bit scale factor exactly 65536.
    const double step = 1.0 / 65536;
    Hand_Design(11, {32767 * step, 2.5 * step, -2.5 * step, 1.5 * step, -0.5 * step, 0.49 * step});
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
    ASSERT_TRUE(Weights_Quantized);
    EXPECT_EQ(Scale_Factor, 65536.0);
    const long long expected[] = {32767, 3, -3, 2, -1, 0};
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(Scaled_Weights(i), expected[i - 1]) << "tap " << i;
        EXPECT_EQ(Rounded_Weights(i), expected[i - 1] * step) << "tap " << i;
    }
}

// The quantization belongs to the design it was made from: a new design
// drops it with the design arrays, so no report or hex file can show the
// rounded taps of an earlier filter.
TEST_F(Quantization, NewDesignDropsTheQuantizationOfTheLastOne) {
    Hand_Design(11, {0.5, 0.25, -0.125, 0.0625, 0.03125, 0.015625});
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
    ASSERT_TRUE(Weights_Quantized);
    ASSERT_TRUE(Rounded_Weights.allocated());
    Hand_Design(7, {0.5, 0.25, 0.125, 0.0625});
    EXPECT_FALSE(Weights_Quantized);
    EXPECT_FALSE(Scaled_Weights.allocated());
    EXPECT_FALSE(Rounded_Weights.allocated());
    EXPECT_FALSE(Scaled_Weights_Real.allocated());
    EXPECT_FALSE(Rounded_Band_Deviation.allocated());
}

class Quantization_Bits : public Quantization, public ::testing::WithParamInterface<int> {};

TEST_P(Quantization_Bits, LargestTapMapsToLargestIntegerAndReportGoesToConsoleAndLog) {
    const int B = GetParam();
    RUN_LOG_open("Quantization_Log.txt", "Quantization");
    Set_Up_Design(1, 32, 16, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}});
    KALTAP_Design();
    KALTAP_Bits = B;
    KALTAP_Quantizer();
    const long long top = (1LL << (B - 1)) - 1;
    long long largest = 0;
    for (int i = 1; i <= 16; ++i) {
        largest = std::max(largest, std::llabs(Scaled_Weights(i)));
        const double x = Scale_Factor * Filter_Weights(i);
        // The nearest integer, however small the tap.
        EXPECT_LE(std::fabs(Scaled_Weights(i) - x), 0.5);
        if (std::fabs(Rounded_Weights(i)) > 0.0) {
            EXPECT_DOUBLE_EQ(Rounded_Weights(i), Scaled_Weights(i) / Scale_Factor);
        } else {
            EXPECT_LT(std::fabs(Scaled_Weights(i) / Scale_Factor), 1e-6);
        }
    }
    EXPECT_EQ(largest, top);
    const std::string heading = "            Coefficients Quantized to" + std::string(B < 10 ? "  " : " ") +
                                std::to_string(B) + " Bits";
    EXPECT_EQ(console.count(heading), 1);  // the log copy is not echoed
    const std::string log_name = UNIT_File_Name(Run_Log_Unit);
    RUN_LOG_close();
    int in_log = 0;
    for (const auto& line : Read_Lines(log_name)) in_log += line == heading;
    EXPECT_EQ(in_log, 1);
}

INSTANTIATE_TEST_SUITE_P(WordLengths, Quantization_Bits, ::testing::Values(2, 16, 24, 48));

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

struct Refusal {
    bool valid;
    int bits;
    const char* stop_text;
    bool announces;  // "Weight quantization:" written before the stop
    std::vector<double> taps = {0.25, 0.5, 0.75};
    const char* console_line = "";  // a further console line the stop gives
};

class Quantization_Refusals : public Quantization, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Quantization_Refusals, StopWithTheirMessages) {
    const Refusal& r = GetParam();
    Hand_Design(5, r.taps);
    KALTAP_Filter_Weights_Valid = r.valid;
    KALTAP_Bits = r.bits;
    std::string text;
    EXPECT_TRUE(Stops(KALTAP_Quantizer, &text));
    EXPECT_EQ(text, r.stop_text);
    EXPECT_EQ(console.contains("Weight quantization:"), r.announces);
    EXPECT_EQ(console.contains("###Error in KALTAP_Quantizer, called with KALTAP_Filter_Weights_Valid==.FALSE."),
              !r.valid);
    EXPECT_TRUE(console.contains(r.console_line));
    // Weights that are not numbers are no zero filter.
    EXPECT_FALSE(console.contains("all filter weights are zero"));
    EXPECT_FALSE(Weights_Quantized);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Quantization_Refusals,
    ::testing::Values(
        Refusal{false, 16, "", false},
        Refusal{true, 1, "####Error in KALTAP_Quantizer, called with KALTAP_Bits = 1", false},
        Refusal{true, -1, "####Error in KALTAP_Quantizer, called with KALTAP_Bits = -1", false},
        Refusal{true, 49, "Bad KALTAP_Bits", true},
        Refusal{true,
                16,
                "",
                true,
                {0.25, NaN, 0.75},
                "###Error in KALTAP_Quantizer, Filter_Weights(2) is not finite: nan"},
        Refusal{
            true, 48, "", true, {NaN, NaN, NaN}, "###Error in KALTAP_Quantizer, Filter_Weights(1) is not finite: nan"},
        Refusal{
            true, 16, "", true, {0.25, 0.5, Inf}, "###Error in KALTAP_Quantizer, Filter_Weights(3) is not finite: inf"},
        Refusal{true,
                2,
                "",
                true,
                {-Inf, 0.5, 0.75},
                "###Error in KALTAP_Quantizer, Filter_Weights(1) is not finite: -inf"},
        // A subnormal largest weight: (2^47 - 1) / 4e-320 overflows.
        Refusal{true,
                48,
                "",
                true,
                {4e-320, 0.0, -1e-320},
                "###Error in KALTAP_Quantizer, Scale_Factor is not finite: inf"}));

TEST_F(Quantization, AllZeroWeightsQuantizeToZeroWithAWarning) {
    Hand_Design(5, {0.0, 0.0, 0.0});
    KALTAP_Bits = 8;
    KALTAP_Quantizer();
    EXPECT_TRUE(console.contains("###Warning in KALTAP_Quantizer"));
    EXPECT_EQ(Scale_Factor, 127.0);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(Scaled_Weights(i), 0);
        EXPECT_EQ(Rounded_Weights(i), 0.0);
    }
}

TEST_F(Quantization, ReportListsTinyRoundedWeightsAsTheyAreWithTheirIntegers) {
    // 24 bits, scale factor 2^24: 0.9e-6 scales to 15, a rounded weight below 1e-6.
    Hand_Design(5, {8388607.0 / 16777216, 0.9e-6, 0.25});
    KALTAP_Bits = 24;
    KALTAP_Quantizer();
    EXPECT_EQ(Rounded_Weights(2), 15.0 / 16777216);
    EXPECT_EQ(console.count("             h( 2) =  8.94069672E-07 = h(  4)"), 1);
    EXPECT_EQ(Scaled_Weights(2), 15);
    EXPECT_EQ(Scaled_Weights(3), 4194304);
}

}  // namespace
