// Results must not depend on the number of threads: the same designs give the
// same bits on one core and on two.
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "KALTAP_Output.h"
#include "Parallel_Work.h"
#include "test_support.h"

namespace {

struct Result {
    double deviation;
    std::vector<double> weights;
    std::vector<double> response;
};

Result design(int N, bool one_thread) {
    KALTAP_Parallel_Use_One_Thread(one_thread);
    Set_Up_Design(1, N, 16, {{0, 0.2, 1, 1}, {0.2 + 2.0 / N, 0.5, 0, 10}});
    KALTAP_Design();
    Result r;
    r.deviation = Remez_Deviation;
    r.weights.assign(Filter_Weights.at(1), Filter_Weights.at(1) + Half_Length);
    std::vector<double> f(4001);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = 0.5 * i / (f.size() - 1);
    r.response.resize(f.size());
    KALTAP_Amplitude_Response_Many(f.data(), static_cast<int>(f.size()), Filter_Weights, N, true, r.response.data());
    KALTAP_Parallel_Use_One_Thread(false);
    return r;
}

TEST(Threads, DesignsAreTheSameOnOneCoreAndOnTwo) {
    Reset_Design_Program();
    Console_Capture console;
    // 601 weights: the exchange works with its look-ahead on the second core.
    for (int N : {61, 601}) {
        Result one = design(N, true), two = design(N, false);
        EXPECT_EQ(one.deviation, two.deviation) << N;
        EXPECT_EQ(one.weights, two.weights) << N;
        EXPECT_EQ(one.response, two.response) << N;
    }
}

TEST(Threads, SplitInterpolationIsTheSameOnOneCoreAndOnTwo) {
    Reset_Design_Program();
    Console_Capture console;
    // A set large enough to be summed in two halves.
    const int m = KALTAP_Split_Points + 37;
    Type_of_Filter = 1;
    Number_of_Weights = 2 * m;
    Number_of_Bands = 2;
    Search_Grid_Density = 4;
    KALTAP_New_Design();
    for (int j = 1; j <= m; ++j) {
        Extremal_Cosine(j) = std::cos(3.14159 * (j - 0.5) / m);
        Extremal_Value(j) = std::sin(0.01 * j);
    }
    KALTAP_Barycentric_Weights(m, (m - 2) / 15 + 1);
    for (double x : {-0.99, -0.3, 0.123456, 0.7, Extremal_Cosine(17)}) {
        KALTAP_Parallel_Use_One_Thread(true);
        double one = KALTAP_Interpolate_At_Cosine_Parallel(x, m);
        KALTAP_Parallel_Use_One_Thread(false);
        double two = KALTAP_Interpolate_At_Cosine_Parallel(x, m);
        EXPECT_EQ(one, two) << x;
        EXPECT_EQ(one, KALTAP_Interpolate_At_Cosine(x, m)) << x;
    }
    EXPECT_EQ(KALTAP_Interpolate_At_Cosine(Extremal_Cosine(17), m), Extremal_Value(17));
}

// Pieces handed to the other core may be taken back by the caller when the
// other core has not started them: every piece still runs exactly once, in
// short pieces (where taking back is common) and in busy stretches. Such
// short pieces never pay, so they are split here whether or not they do.
TEST(Threads, EveryPieceRunsExactlyOnceWhoeverRunsIt) {
    constexpr int Rounds = 20000, Indices = 64;
    KALTAP_Parallel_Always_Split(true);
    std::atomic<int> parts[2] = {0, 0};
    std::vector<std::atomic<int>> indices(Indices);
    for (bool busy : {false, true}) {
        for (auto& part : parts) part = 0;
        for (auto& index : indices) index = 0;
        {
            std::unique_ptr<KALTAP_Busy_Stretch> stretch(busy ? new KALTAP_Busy_Stretch : nullptr);
            for (int round = 0; round < Rounds; ++round) {
                KALTAP_Parallel_Pair([](void* context, int part) { static_cast<std::atomic<int>*>(context)[part]++; },
                                     parts);
                KALTAP_Parallel_For(0, Indices - 1, 2, [&](int lo, int hi) {
                    for (int i = lo; i <= hi; ++i) indices[i]++;
                });
            }
        }
        EXPECT_EQ(parts[0], Rounds);
        EXPECT_EQ(parts[1], Rounds);
        for (int i = 0; i < Indices; ++i) ASSERT_EQ(indices[i], Rounds) << "index " << i << (busy ? ", busy" : "");
    }
    KALTAP_Parallel_Always_Split(false);
}

}  // namespace
