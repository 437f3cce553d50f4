// The ten reference designs and the designs that exercise the fine steps of
// the exchange: iteration counts, middle weights and deviations must match
// the published reference figures.
#include <cmath>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Remez_Engine.h"
#include "Run_Logging.h"
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

class Reference_Designs : public ::testing::TestWithParam<int> {};

TEST_P(Reference_Designs, ReproduceIterationsMiddleWeightAndMaxError) {
    const Reference& r = References[GetParam()];
    Reset_Design_Program();
    Console_Capture console;
    Quiet_Remez = false;
    Set_Up_Design(r.type, r.N, r.density, r.bands);
    KALTAP_Design();
    Quiet_Remez = true;
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(console.count("Iteration "), r.iterations);
    EXPECT_EQ(KALTAP_Remez_Iterations(), r.iterations);
    EXPECT_DOUBLE_EQ(round_significant(Filter_Weights(Half_Length), 8), r.middle_weight)
        << "middle weight " << Filter_Weights(Half_Length);
    double max_error = Remez_Deviation;
    if (r.type == 1) max_error = 20.0 * std::log10(Remez_Deviation / Band_Weighting(Number_of_Bands));
    EXPECT_NEAR(max_error, r.max_error, 0.5e-8) << "max error " << max_error;
    EXPECT_FALSE(KALTAP_Last_Ripple_Check().warned);
}

INSTANTIATE_TEST_SUITE_P(TenCases, Reference_Designs, ::testing::Range(0, 10));

}  // namespace
