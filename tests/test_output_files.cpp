// SPDX-License-Identifier: GPL-3.0-or-later
// The result files read back: weights, frequency response and hexadecimal
// quantized weights, their names, layouts and refusals.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include "Dynamic_LUN.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Output.h"
#include "KALTAP_Weight_Quantization.h"
#include "Result_Set.h"
#include "Timers.h"
#include "test_support.h"

namespace {

const std::string Stamp = "20261206_1407_";  // the fixed clock below

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    return fields;
}

bool Exists(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

struct Output_Files : ::testing::Test {
    Output_Files() {
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
    }
    ~Output_Files() override { Timers_Set_Clock({}); }
    void hand_design(int type, int N, const std::vector<double>& taps, int density = 16) {
        Set_Up_Design(type, N, density, {{0.0, 0.5, 1.0, 1.0}});
        for (std::size_t k = 0; k < taps.size(); ++k) Filter_Weights(static_cast<int>(k) + 1) = taps[k];
        KALTAP_Filter_Weights_Valid = true;
    }
    Console_Capture console;
};

struct Case {
    int type, N;
    std::vector<Band> bands;
};

class Weights_File : public Output_Files, public ::testing::WithParamInterface<Case> {};

TEST_P(Weights_File, HoldsTheFullImpulseResponseWithItsSymmetry) {
    const Case& c = GetParam();
    Set_Up_Design(c.type, c.N, 16, c.bands);
    KALTAP_Design();
    Filter_Weights(2) = 5e-13;  // a tap this small is written as it is
    KALTAP_Write_CSV();
    EXPECT_EQ(Filter_Weights(2), 5e-13);
    const auto lines = Read_Lines(Stamp + "Filter_Weights.csv");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.N) + 1);
    EXPECT_EQ(lines[0], "i,Weight");
    const std::vector<double> h = Full_Impulse_Response();
    std::vector<double> written;
    for (int i = 1; i <= c.N; ++i) {
        const auto f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 2u);
        EXPECT_EQ(std::stoi(f[0]), i);
        written.push_back(std::stod(f[1]));
        EXPECT_EQ(written.back(), h[i - 1]) << "tap " << i;  // full precision
    }
    const double sign = c.type == 1 ? 1.0 : -1.0;
    for (int i = 1; i <= c.N; ++i) EXPECT_EQ(written[c.N - i], sign * written[i - 1]) << "tap " << i;
    EXPECT_EQ(written[1], 5e-13);
}

INSTANTIATE_TEST_SUITE_P(Cases, Weights_File,
                         ::testing::Values(Case{1, 31, {{0, 0.1, 1, 1}, {0.2, 0.5, 0, 1}}},
                                           Case{3, 31, {{0.05, 0.45, 1, 1}}}, Case{2, 32, {{0, 0.5, 1, 1}}}));

TEST_F(Output_Files, ResponseFileSpansZeroToHalfAndIsFlooredAtMinus100dB) {
    // h = 1/4, 1/2, 1/4: A(f) = cos^2(pi f), with a null at f = 0.5.
    hand_design(1, 3, {0.25, 0.5}, 16);
    KALTAP_Frequency_Response_CSV();
    const auto lines = Read_Lines(Stamp + "Frequency_Response.csv");
    ASSERT_EQ(lines.size(), 1u + 49u);
    EXPECT_EQ(lines[0], "Frequency,Response (dB)");
    for (int i = 1; i <= 49; ++i) {
        const auto f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 2u);
        const double freq = std::stod(f[0]), dB = std::stod(f[1]);
        EXPECT_EQ(freq, (i - 1) / 96.0);
        const double a = std::cos(M_PI * freq) * std::cos(M_PI * freq);
        EXPECT_NEAR(dB, std::max(20 * std::log10(a), -100.0), 1e-9) << "f = " << freq;
    }
    EXPECT_EQ(std::stod(Fields(lines[49])[1]), -100.0);
}

class Hex_File : public Output_Files, public ::testing::WithParamInterface<int> {};

TEST_P(Hex_File, ShowsScaleFactorAndMirroredTapsInDecimalAndHex) {
    const int type = GetParam();  // 1 symmetric, 3 antisymmetric (zero centre tap)
    hand_design(type, 5, type == 1 ? std::vector<double>{-0.25, 0.1, 0.5} : std::vector<double>{-0.25, 0.5, 0.0});
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
    KALTAP_Write_Hex_CSV();
    const auto lines = Read_Lines(Stamp + "Hex_Weights.csv");
    ASSERT_EQ(lines.size(), 3u + 5u);
    EXPECT_EQ(lines[0], "Order, Number of Bits, Scale Factor, Scale Factor (HEX)");
    EXPECT_EQ(lines[1], "     5,    16,  65534.000000000000000,'000000000000FFFE");
    EXPECT_EQ(lines[2], "N, Weight, Rounded Weight, Scaled Weight, Scaled Weight (HEX)");
    const std::vector<double> h = type == 1 ? std::vector<double>{-0.25, 0.1, 0.5, 0.1, -0.25}
                                            : std::vector<double>{-0.25, 0.5, 0.0, -0.5, 0.25};
    const std::vector<long long> q = type == 1 ? std::vector<long long>{-16384, 6553, 32767, 6553, -16384}
                                               : std::vector<long long>{-16384, 32767, 0, -32767, 16384};
    for (int n = 1; n <= 5; ++n) {
        const auto f = Fields(lines[n + 2]);
        ASSERT_EQ(f.size(), 5u) << lines[n + 2];
        EXPECT_EQ(f[0].size(), 6u);
        EXPECT_EQ(f[1].size(), 23u);
        EXPECT_EQ(f[2].size(), 23u);
        EXPECT_EQ(f[3].size(), 15u);
        EXPECT_EQ(std::stoi(f[0]), n);
        EXPECT_EQ(std::stod(f[1]), h[n - 1]);
        EXPECT_NEAR(std::stod(f[2]), q[n - 1] / 65534.0, 1e-15);
        EXPECT_EQ(std::stoll(f[3]), q[n - 1]);
        ASSERT_EQ(f[4].size(), 17u);
        EXPECT_EQ(f[4][0], '\'');
        EXPECT_EQ(static_cast<long long>(std::stoull(f[4].substr(1), nullptr, 16)), q[n - 1]);
    }
    EXPECT_EQ(Fields(lines[3])[4], "'FFFFFFFFFFFFC000");
}

INSTANTIATE_TEST_SUITE_P(Symmetries, Hex_File, ::testing::Values(1, 3));

// A designed Hilbert transformer at growing word lengths: the scale factor
// reaches 10^7 from 24 bits on and the mirrored half's 48-bit integers take
// 15 digits and a minus sign. Every field reads back as the quantizer made
// it, the records line up, and a file whose values fit keeps the columns of
// the fixed layout.
struct Hex_Width_Case {
    int bits;
    bool fixed_layout;  // every value fits its field
};

void PrintTo(const Hex_Width_Case& c, std::ostream* os) { *os << c.bits << " bits"; }

class Hex_File_Widths : public Output_Files, public ::testing::WithParamInterface<Hex_Width_Case> {};

// Positions of the commas in a line.
std::vector<std::size_t> Commas(const std::string& line) {
    std::vector<std::size_t> at;
    for (std::size_t p = line.find(','); p != std::string::npos; p = line.find(',', p + 1)) at.push_back(p);
    return at;
}

TEST_P(Hex_File_Widths, KeepEveryValueAndLineUp) {
    const Hex_Width_Case& c = GetParam();
    const int N = 31;
    Set_Up_Design(3, N, 16, {{0.05, 0.45, 1, 1}});
    KALTAP_Design();
    KALTAP_Bits = c.bits;
    KALTAP_Quantizer();
    KALTAP_Write_Hex_CSV();
    const auto lines = Read_Lines(Stamp + "Hex_Weights.csv");
    ASSERT_EQ(lines.size(), 3u + N);
    for (const auto& line : lines) EXPECT_EQ(line.find('*'), std::string::npos) << line;

    const auto order = Fields(lines[1]);
    ASSERT_EQ(order.size(), 4u) << lines[1];
    EXPECT_EQ(std::stoi(order[0]), N);
    EXPECT_EQ(std::stoi(order[1]), c.bits);
    EXPECT_EQ(std::stod(order[2]), Scale_Factor);
    EXPECT_EQ(static_cast<long long>(std::stoull(order[3].substr(1), nullptr, 16)), std::llround(Scale_Factor));

    const int M = (N + 1) / 2;
    const auto first_commas = Commas(lines[3]);
    for (int n = 1; n <= N; ++n) {
        const std::string& line = lines[n + 2];
        const long long scaled = n <= M ? Scaled_Weights(n) : -Scaled_Weights(N + 1 - n);
        const auto f = Fields(line);
        ASSERT_EQ(f.size(), 5u) << line;
        EXPECT_EQ(std::stoi(f[0]), n);
        EXPECT_EQ(std::stoll(f[3]), scaled) << line;
        EXPECT_EQ(static_cast<long long>(std::stoull(f[4].substr(1), nullptr, 16)), scaled) << line;
        EXPECT_NEAR(std::stod(f[2]), scaled / Scale_Factor, 1e-15) << line;
        EXPECT_EQ(Commas(line), first_commas) << line;
    }
    if (c.fixed_layout) {
        EXPECT_EQ(Commas(lines[1]), (std::vector<std::size_t>{6, 13, 37}));
        EXPECT_EQ(first_commas, (std::vector<std::size_t>{6, 30, 54, 70}));
    }
}

INSTANTIATE_TEST_SUITE_P(Bits, Hex_File_Widths,
                         ::testing::Values(Hex_Width_Case{16, true}, Hex_Width_Case{24, false},
                                           Hex_Width_Case{32, false}, Hex_Width_Case{48, false}),
                         [](const auto& info) { return std::to_string(info.param.bits); });

TEST_F(Output_Files, LaterFileOfTheSameMinuteReplacesTheEarlier) {
    hand_design(1, 5, {0.1, 0.2, 0.3});
    KALTAP_Write_CSV();
    Filter_Weights(1) = 0.125;
    KALTAP_Write_CSV();
    const auto lines = Read_Lines(Stamp + "Filter_Weights.csv");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::stod(Fields(lines[1])[1]), 0.125);
}

struct Refusal {
    const char* name;
    void (*prepare)();
    void (*writer)();
    const char* file;
    const char* message;  // on the console
};

class Refusals : public Output_Files, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, StopBeforeCreatingAFile) {
    const Refusal& r = GetParam();
    hand_design(1, 5, {0.1, 0.2, 0.3});
    r.prepare();
    console.lines.clear();
    EXPECT_TRUE(Stops(r.writer));
    EXPECT_TRUE(console.contains(r.message));
    EXPECT_FALSE(Exists(Stamp + r.file));
    EXPECT_EQ(DYNLUN_Count, 0);
}

void Invalidate() { KALTAP_Filter_Weights_Valid = false; }
void Nothing() {}
void Bad_Case() { PMC_DCT_Type = 7; }

// A design marked valid whose numbers are not: no writer may compute with them.
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();
void NaN_Tap() { Filter_Weights(2) = NaN; }
void Minus_Inf_Tap() { Filter_Weights(3) = -Inf; }
// Finite taps whose response 2*sum|h| overflows.
void Huge_Taps() {
    for (int i = 1; i <= 3; ++i) Filter_Weights(i) = 6e307;
}
void Quantize() {
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
}
void Quantized_Then_Inf_Tap() { Quantize(), Filter_Weights(1) = Inf; }
void Quantized_Then_NaN_Rounded() { Quantize(), Rounded_Weights(3) = NaN; }
void Quantized_Then_NaN_Scale() { Quantize(), Scale_Factor = NaN; }
// Its negative, for the mirrored half, does not exist.
void Quantized_Then_Most_Negative() { Quantize(), Scaled_Weights(2) = std::numeric_limits<long long>::min(); }

INSTANTIATE_TEST_SUITE_P(
    Messages, Refusals,
    ::testing::Values(
        Refusal{"weights", Invalidate, KALTAP_Write_CSV, "Filter_Weights.csv",
                "###Error in KALTAP_Write_CSV, called with KALTAP_Filter_Weights_Valid==.FALSE."},
        Refusal{"case", Bad_Case, KALTAP_Write_CSV, "Filter_Weights.csv",
                "###Error in KALTAAP_Write_CSV, PMC_DCT_Type: 7"},
        Refusal{"response", Invalidate, KALTAP_Frequency_Response_CSV, "Frequency_Response.csv",
                "###Error in KALTAP_Frequency_Response_CSV, called with KALTAP_Filter_Weights_Valid==.FALSE."},
        Refusal{"hex", Nothing, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                "###Error in KALTAP_Write_Hex_CSV, called with Weights_Quantized==.FALSE."},
        Refusal{"weights_nan", NaN_Tap, KALTAP_Write_CSV, "Filter_Weights.csv",
                "###Error in KALTAP_Write_CSV, Filter_Weights(2) is not finite: nan"},
        Refusal{"response_nan", NaN_Tap, KALTAP_Frequency_Response_CSV, "Frequency_Response.csv",
                "###Error in KALTAP_Frequency_Response_CSV, Filter_Weights(2) is not finite: nan"},
        Refusal{"response_minus_inf", Minus_Inf_Tap, KALTAP_Frequency_Response_CSV, "Frequency_Response.csv",
                "###Error in KALTAP_Frequency_Response_CSV, Filter_Weights(3) is not finite: -inf"},
        Refusal{"response_overflow", Huge_Taps, KALTAP_Frequency_Response_CSV, "Frequency_Response.csv",
                "###Error in KALTAP_Frequency_Response_CSV, Filter_Weights too large for a finite response"},
        Refusal{"hex_inf_tap", Quantized_Then_Inf_Tap, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                "###Error in KALTAP_Write_Hex_CSV, Filter_Weights(1) is not finite: inf"},
        Refusal{"hex_nan_rounded", Quantized_Then_NaN_Rounded, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                "###Error in KALTAP_Write_Hex_CSV, Rounded_Weights(3) is not finite: nan"},
        Refusal{"hex_nan_scale", Quantized_Then_NaN_Scale, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                "###Error in KALTAP_Write_Hex_CSV, Scale_Factor is not finite: nan"},
        Refusal{"hex_most_negative", Quantized_Then_Most_Negative, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                "###Error in KALTAP_Write_Hex_CSV, Scaled_Weights(2) out of range: -9223372036854775808"}),
    [](const auto& info) { return std::string(info.param.name); });

class Tiny_Quantized_Tap : public Output_Files, public ::testing::WithParamInterface<double> {};

TEST_P(Tiny_Quantized_Tap, KeepsItsIntegerInTheHexFile) {
    // 48 bits, largest tap 1: the scale factor is 2^47 - 1, so even a tap below
    // a millionth is an integer of millions.
    const double tap = GetParam();
    hand_design(1, 5, {1.0, tap, 0.5});
    KALTAP_Bits = 48;
    KALTAP_Quantizer();
    KALTAP_Write_Hex_CSV();
    const auto lines = Read_Lines(Stamp + "Hex_Weights.csv");
    ASSERT_EQ(lines.size(), 3u + 5u);
    const long long nearest = std::llround(tap * (std::ldexp(1.0, 47) - 1.0));
    for (int n : {2, 4}) {
        const auto f = Fields(lines[n + 2]);
        ASSERT_EQ(f.size(), 5u) << lines[n + 2];
        EXPECT_EQ(std::stoll(f[3]), nearest) << "tap " << n;
        EXPECT_EQ(static_cast<long long>(std::stoull(f[4].substr(1), nullptr, 16)), nearest) << "tap " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(BelowAndAboveAMillionth, Tiny_Quantized_Tap, ::testing::Values(5e-7, 2e-6));

TEST_F(Output_Files, RoundedWeightWithAnIntegerIsNeverWrittenAsZero) {
    // 48 bits with a largest tap of 0.01: a tap of 1e-16 scales to 1.4 and
    // keeps the integer 1, a rounded weight of about 7e-17 that F23.15 would
    // show as zero.
    hand_design(1, 5, {0.01, 1e-16, 0.005});
    KALTAP_Bits = 48;
    KALTAP_Quantizer();
    KALTAP_Write_Hex_CSV();
    const auto lines = Read_Lines(Stamp + "Hex_Weights.csv");
    ASSERT_EQ(lines.size(), 3u + 5u);
    const auto f = Fields(lines[4]);
    ASSERT_EQ(f.size(), 5u) << lines[4];
    EXPECT_EQ(std::stoll(f[3]), 1);
    EXPECT_EQ(f[1].size(), 23u);
    EXPECT_EQ(f[2].size(), 23u);
    EXPECT_NEAR(std::stod(f[1]), 1e-16, 1e-30);
    EXPECT_NEAR(std::stod(f[2]), Rounded_Weights(2), 1e-30);
    EXPECT_GT(std::stod(f[2]), 0.0);
}

class Uncreatable : public Output_Files, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Uncreatable, FileReportsAnErrorAndStops) {
    const Refusal& r = GetParam();
    hand_design(1, 5, {0.1, 0.2, 0.3});
    KALTAP_Bits = 16;
    KALTAP_Quantizer();
    // A directory of the file's name, made once the design's stem is chosen.
    const std::string blocked = KALTAP_File_Stamp() + r.file;
    ASSERT_EQ(KALTAP_File_Stamp(), Stamp);
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    EXPECT_TRUE(Stops(r.writer));
    rmdir(blocked.c_str());
    EXPECT_TRUE(console.contains(std::string(r.message) + blocked));
    EXPECT_EQ(DYNLUN_Count, 0);
}

INSTANTIATE_TEST_SUITE_P(Writers, Uncreatable,
                         ::testing::Values(Refusal{"weights", Nothing, KALTAP_Write_CSV, "Filter_Weights.csv",
                                                   "###Error in KALTAP_Write_CSV, cannot create file "},
                                           Refusal{"response", Nothing, KALTAP_Frequency_Response_CSV,
                                                   "Frequency_Response.csv",
                                                   "###Error in KALTAP_Frequency_Response_CSV, cannot create file "},
                                           Refusal{"hex", Nothing, KALTAP_Write_Hex_CSV, "Hex_Weights.csv",
                                                   "###Error in KALTAP_Write_Hex_CSV, cannot create file "}),
                         [](const auto& info) { return std::string(info.param.name); });

// The stem is the minute's first one that no file of the folder carries: a
// result file "<stem>_<name>" or a run log "<name>_<stem>.txt"; a later
// stem's files ("<stem>_2_...") do not take the plain one.
TEST(File_Stamp, IsTheMinutesFirstFreeStem) {
    Timers_Set_Clock([] {
        Clock_Reading c;
        c.year = 1999, c.month = 1, c.day = 2, c.hour = 3, c.minute = 4, c.second = 5;
        return c;
    });
    Remove_Files_Of_Day("19990102");
    struct Step {
        const char* file_left;  // a file in the folder before the next set begins
        const char* stamp;      // the next set's prefix
    };
    const Step steps[] = {{nullptr, "19990102_0304_"},
                          {"19990102_0304_2_plot_1X.png", "19990102_0304_"},
                          {"19990102_0304_Filter_Weights.csv", "19990102_0304_3_"},
                          {"Optimization_Log_19990102_0304_3.txt", "19990102_0304_4_"},
                          {"19990102_0304_4_extra_column.csv", "19990102_0304_5_"}};
    for (const Step& step : steps) {
        if (step.file_left) std::ofstream(step.file_left) << "x\n";
        RESULT_SET_End();
        EXPECT_EQ(KALTAP_File_Stamp(), step.stamp) << (step.file_left ? step.file_left : "empty folder");
        // The stem stays while the set is current, whatever appears meanwhile.
        std::ofstream(KALTAP_File_Stamp() + "Hex_Weights.csv") << "x\n";
        EXPECT_EQ(KALTAP_File_Stamp(), step.stamp);
        std::remove((KALTAP_File_Stamp() + "Hex_Weights.csv").c_str());
    }
    RESULT_SET_End();
    Remove_Files_Of_Day("19990102");
    Timers_Set_Clock({});
}

}  // namespace
