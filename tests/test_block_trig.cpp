// SPDX-License-Identifier: GPL-3.0-or-later
// Sines and cosines evaluated in blocks give exactly the element-wise results
// of the same function, and the many-frequency response equals the
// single-frequency one bit for bit, whatever the block length or tail.
#include <cmath>
#include <random>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Block_Trig.h"
#include "KALTAP_Configuration_Parameters.h"
#include "test_support.h"

namespace {

constexpr double Two_Pi = 6.283185307179586476925286766559;

TEST(BlockTrig, RampsEqualTheScalarKernelElementByElement) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> frequency(0.0, 0.5);
    std::vector<double> y(KALTAP_Trig_Block);
    long mismatches = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const double step = Two_Pi * frequency(random);
        const double offset = trial % 2 ? -0.5 : 0.0;
        const int first = 1 + trial * 37 % 9000;
        const int n = 1 + trial * 13 % KALTAP_Trig_Block;  // every tail length
        KALTAP_Fast_Cos_Ramp(first, offset, step, y.data(), n);
        for (int i = 0; i < n; ++i)
            mismatches += y[i] != KALTAP_Fast_Cos((static_cast<double>(first + i) + offset) * step);
        KALTAP_Fast_Sin_Ramp(first, offset, step, y.data(), n);
        for (int i = 0; i < n; ++i)
            mismatches += y[i] != KALTAP_Fast_Sin((static_cast<double>(first + i) + offset) * step);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(BlockTrig, FastKernelIsWithinTwoUnitsInTheLastPlace) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> argument(-60000.0, 60000.0);
    double worst = 0.0;
    for (int i = 0; i < 200000; ++i) {
        const double x = i < 1000 ? i * 1e-3 : argument(random);
        for (bool cosine : {true, false}) {
            const double exact = cosine ? std::cos(x) : std::sin(x);
            const double fast = cosine ? KALTAP_Fast_Cos(x) : KALTAP_Fast_Sin(x);
            if (std::fabs(exact) < 1e-3) {
                EXPECT_NEAR(fast, exact, 1e-18 + 4e-16 * std::fabs(exact) + 1e-16);
                continue;
            }
            const double ulp = std::nextafter(std::fabs(exact), 2.0) - std::fabs(exact);
            worst = std::max(worst, std::fabs(fast - exact) / ulp);
        }
    }
    EXPECT_LE(worst, 2.0);
}

TEST(BlockTrig, KernelGivesTheSameBitsWithAndWithoutProcessorFma) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> argument(-30000.0, 30000.0);
    long mismatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const double x = argument(random);
        mismatches += KALTAP_Fast_Cos(x) != KALTAP_Fast_Trig_Portable(x, true);
        mismatches += KALTAP_Fast_Sin(x) != KALTAP_Fast_Trig_Portable(x, false);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(BlockTrig, LibraryBlocksAreTheLibraryFunctions) {
    std::vector<double> x(2 * KALTAP_Trig_Block + 3), c(x.size()), s(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = Two_Pi * 0.5 * i / x.size() + 1e-3 * i;
    KALTAP_Cos_Block(x.data(), c.data(), static_cast<int>(x.size()));
    KALTAP_Sin_Block(x.data(), s.data(), static_cast<int>(x.size()));
    for (std::size_t i = 0; i < x.size(); ++i) {
        ASSERT_EQ(c[i], std::cos(x[i]));
        ASSERT_EQ(s[i], std::sin(x[i]));
    }
}

TEST(BlockTrig, ManyFrequencyResponseEqualsSingleFrequencyResponse) {
    Reset_Design_Program();
    Console_Capture console;
    for (int N : {1, 2, 7, 64, 2049}) {
        Array1<double> w;
        w.allocate(N / 2 + 1);
        for (int k = 1; k <= N / 2 + 1; ++k) w(k) = std::sin(0.37 * k) / k;
        std::vector<double> f(1003), many(f.size());
        for (std::size_t i = 0; i < f.size(); ++i) f[i] = 0.5 * i / (f.size() - 1);
        for (bool symmetric : {true, false}) {
            KALTAP_Amplitude_Response_Many(f.data(), static_cast<int>(f.size()), w, N, symmetric, many.data());
            for (std::size_t i = 0; i < f.size(); ++i)
                ASSERT_EQ(many[i], KALTAP_Amplitude_Response(f[i], w, N, symmetric)) << "N " << N << " f " << f[i];
        }
    }
}

// The response against the plain sum of the definition, in long double with
// the library's own sines and cosines, for lengths with and without a partial
// block of terms, odd and even, symmetric and antisymmetric.
TEST(AmplitudeResponse, AgreesWithTheDirectSumOfTheDefinition) {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> tap(-0.5, 0.5), frequency(0.0, 0.5);
    for (int N : {3, 4, 31, 32, 33, 34, 255, 2049, 16385}) {
        const int m = N / 2;
        Array1<double> w;
        w.allocate(m + 1);
        double total = 0.0;
        for (int k = 1; k <= m + 1; ++k) {
            w(k) = tap(random);
            total += std::fabs(w(k));
        }
        const long double s = N % 2 ? 0.0L : -0.5L;
        for (bool symmetric : {true, false}) {
            double worst = 0.0;
            for (int trial = 0; trial < 40; ++trial) {
                const double f = trial == 0 ? 0.0 : trial == 1 ? 0.5 : frequency(random);
                long double sum = N % 2 ? 0.5L * w(m + 1) : 0.0L;
                for (int i = 1; i <= m; ++i) {
                    const long double x = (i + s) * 2.0L * 3.14159265358979323846264338327950288L * f;
                    sum += (symmetric ? std::cos(x) : std::sin(x)) * w(m + 1 - i);
                }
                const double direct = static_cast<double>(2.0L * sum);
                worst = std::max(worst, std::fabs(KALTAP_Amplitude_Response(f, w, N, symmetric) - direct));
            }
            EXPECT_LE(worst, 1e-13 * total) << "N " << N << (symmetric ? " symmetric" : " antisymmetric");
        }
    }
}

TEST(AmplitudeResponse, SpecialFrequenciesAndLengths) {
    Array1<double> w;
    w.allocate(40);
    for (int k = 1; k <= 40; ++k) w(k) = 0.01 * k;
    // A single tap: its own value at every frequency.
    for (double f : {0.0, 0.1, 0.5}) EXPECT_DOUBLE_EQ(KALTAP_Amplitude_Response(f, w, 1, true), w(1));
    // Even symmetric filters vanish at half the sample rate.
    EXPECT_NEAR(KALTAP_Amplitude_Response(0.5, w, 40, true), 0.0, 1e-14);
    // Antisymmetric filters vanish at 0.
    EXPECT_EQ(KALTAP_Amplitude_Response(0.0, w, 40, false), 0.0);
    Array1<double> odd;  // odd antisymmetric: the centre tap is 0
    odd.allocate(21);
    for (int k = 1; k <= 20; ++k) odd(k) = w(k);
    odd(21) = 0.0;
    EXPECT_EQ(KALTAP_Amplitude_Response(0.0, odd, 41, false), 0.0);
    // At f = 0 a symmetric filter's response is the sum of all its taps.
    double sum = 2.0 * (0.01 * 20 * 21 / 2);
    EXPECT_NEAR(KALTAP_Amplitude_Response(0.0, w, 40, true), sum, 1e-13);
}

}  // namespace
