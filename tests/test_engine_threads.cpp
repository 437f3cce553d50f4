// SPDX-License-Identifier: GPL-3.0-or-later
// Results must not depend on the number of threads: the same designs give the
// same bits on one core and on two.
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "KALTAP_Remez_Engine.h"
#include "Parallel_Work.h"
#include "test_support.h"

namespace {

struct Result {
    double deviation;
    int iterations;
    std::vector<double> weights;
    std::vector<double> response;
};

// Threads that keep both cores busy while they live, so that the helper
// thread is often off its core in the middle of its work.
class Core_Hogs {
public:
    Core_Hogs() {
        for (int k = 0; k < 2; ++k)
            hogs_.emplace_back([this] {
                while (!stop_.load(std::memory_order_relaxed)) {}
            });
    }
    ~Core_Hogs() {
        stop_.store(true);
        for (std::thread& t : hogs_) t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> hogs_;
};

Result design(int N, bool one_thread) {
    KALTAP_Parallel_Use_One_Thread(one_thread);
    Set_Up_Design(1, N, 16, {{0, 0.2, 1, 1}, {0.2 + 2.0 / N, 0.5, 0, 10}});
    KALTAP_Design();
    Result r;
    r.deviation = Remez_Deviation;
    r.iterations = KALTAP_Remez_Iterations();
    r.weights.assign(Filter_Weights.at(1), Filter_Weights.at(1) + Half_Length);
    std::vector<double> f(4001);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = 0.5 * i / (f.size() - 1);
    r.response.resize(f.size());
    KALTAP_Amplitude_Response_Many(f.data(), static_cast<int>(f.size()), Filter_Weights, N, true, r.response.data());
    KALTAP_Parallel_Use_One_Thread(false);
    return r;
}

// Also while other work keeps both cores busy: the helper is then often
// late or stopped halfway, and the search takes its work back.
TEST(Threads, DesignsAreTheSameOnOneCoreAndOnTwo) {
    Reset_Design_Program();
    Console_Capture console;
    // 2049 weights: the second core works ahead of the exchange's search.
    for (int N : {61, 601, 2049}) {
        const Result one = design(N, true), two = design(N, false);
        Result starved;
        {
            Core_Hogs hogs;
            starved = design(N, false);
        }
        const std::pair<const Result*, const char*> others[] = {{&two, "two threads"},
                                                                {&starved, "two threads, cores busy"}};
        for (const auto& [other, which] : others) {
            EXPECT_EQ(one.deviation, other->deviation) << N << ", " << which;
            EXPECT_EQ(one.iterations, other->iterations) << N << ", " << which;
            EXPECT_EQ(one.weights, other->weights) << N << ", " << which;
            EXPECT_EQ(one.response, other->response) << N << ", " << which;
        }
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
