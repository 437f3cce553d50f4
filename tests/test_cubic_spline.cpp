// SPDX-License-Identifier: GPL-3.0-or-later
// Cubic spline interpolation: end conditions, evaluation with derivatives and
// curvature, the interval search, and the failures with their stop.
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Cubic_Spline_Interpolation.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

Array1<double> To_Array(const std::vector<double>& v) {
    Array1<double> a;
    a.allocate(static_cast<int>(v.size()));
    for (std::size_t k = 0; k < v.size(); ++k) a(static_cast<int>(k) + 1) = v[k];
    return a;
}

// Non-uniform knots on [-1, 2].
const std::vector<double> Knots = {-1.0, -0.7, -0.2, 0.1, 0.15, 0.6, 1.1, 1.3, 2.0};

// A cubic with its first and second derivatives.
double P(double x) { return ((x - 2.0) * x + 0.5) * x + 1.0; }
double dP(double x) { return (3.0 * x - 4.0) * x + 0.5; }
double d2P(double x) { return 6.0 * x - 4.0; }

struct Cubic_Spline : ::testing::Test {
    Cubic_Spline() {
        Reset_Design_Program();
        Left_End_Slope = Left_End_Second_Derivative = 0.0;
        Right_End_Slope = Right_End_Second_Derivative = 0.0;
    }
    ~Cubic_Spline() override {
        CSINTERP_Release();
        Left_End_Slope = Left_End_Second_Derivative = 0.0;
        Right_End_Slope = Right_End_Second_Derivative = 0.0;
    }
    // Spline through f at the knots xs; false when the initialisation stopped.
    bool Fit(const std::vector<double>& xs, const std::function<double(double)>& f, int left, int right,
             std::string* stop_text = nullptr) {
        std::vector<double> ys;
        for (double x : xs) ys.push_back(f(x));
        const Array1<double> x = To_Array(xs), y = To_Array(ys);
        return !Stops([&] { CSINTERP_Initialization(x, y, static_cast<int>(xs.size()), left, right); }, stop_text);
    }
    Console_Capture console;
};

struct Ends {
    int left, right;
};

class Cubic_Spline_Ends : public Cubic_Spline, public ::testing::WithParamInterface<Ends> {};

TEST_P(Cubic_Spline_Ends, ReproducesTheKnotsExactly) {
    const Ends e = GetParam();
    const auto f = [](double x) { return std::sin(3.0 * x) + 0.25 * x; };
    ASSERT_TRUE(Fit(Knots, f, e.left, e.right));
    ASSERT_EQ(CSINTERP_Count, static_cast<int>(Knots.size()));
    for (std::size_t k = 0; k < Knots.size(); ++k)
        EXPECT_EQ(CSINTERP_Evaluate(Knots[k]), f(Knots[k])) << "knot " << k + 1;
}

TEST_P(Cubic_Spline_Ends, ReproducesACubicWhenTheEndsCarryItsTrueValues) {
    const Ends e = GetParam();
    Left_End_Slope = dP(Knots.front());
    Right_End_Slope = dP(Knots.back());
    Left_End_Second_Derivative = d2P(Knots.front());
    Right_End_Second_Derivative = d2P(Knots.back());
    ASSERT_TRUE(Fit(Knots, P, e.left, e.right));
    for (int i = 1; i <= CSINTERP_Count; ++i) EXPECT_NEAR(CSINTERP_Slope(i), dP(Knots[i - 1]), 1e-12) << i;
    // Inside the table and extended beyond both ends.
    for (double x = -1.5; x <= 2.5; x += 0.0625) {
        EXPECT_NEAR(CSINTERP_Evaluate(x), P(x), 1e-12) << x;
        EXPECT_NEAR(CSINTERP_Derivative, dP(x), 1e-11) << x;
        EXPECT_NEAR(CSINTERP_Second_Derivative, d2P(x), 1e-10) << x;
        EXPECT_NEAR(CSINTERP_Curvature, d2P(x) / std::pow(1.0 + dP(x) * dP(x), 1.5), 1e-10) << x;
    }
}

INSTANTIATE_TEST_SUITE_P(AllEndConditions, Cubic_Spline_Ends,
                         ::testing::Values(Ends{1, 1}, Ends{1, 2}, Ends{2, 1}, Ends{2, 2}),
                         [](const ::testing::TestParamInfo<Ends>& info) {
                             return "Left" + std::to_string(info.param.left) + "Right" +
                                    std::to_string(info.param.right);
                         });

TEST_F(Cubic_Spline, ZeroSecondDerivativeEndsAreNaturalAndAStraightLineStaysStraight) {
    ASSERT_TRUE(Fit(
        {0.0, 1.0, 3.0}, [](double x) { return 2.0 * x; }, 1, 1));
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(CSINTERP_Slope(i), 2.0, 1e-14);
    for (double x = 0.0; x <= 3.0; x += 0.25) {
        EXPECT_NEAR(CSINTERP_Evaluate(x), 2.0 * x, 1e-14);
        EXPECT_NEAR(CSINTERP_Second_Derivative, 0.0, 1e-13);
    }

    // A curved table: zero curvature at both ends, but not inside.
    ASSERT_TRUE(Fit(
        Knots, [](double x) { return std::exp(x); }, 1, 1));
    CSINTERP_Evaluate(Knots.front());
    EXPECT_NEAR(CSINTERP_Second_Derivative, 0.0, 1e-12);
    EXPECT_NEAR(CSINTERP_Curvature, 0.0, 1e-12);
    CSINTERP_Evaluate(Knots.back());
    EXPECT_NEAR(CSINTERP_Second_Derivative, 0.0, 1e-11);
    CSINTERP_Evaluate(0.6);
    EXPECT_GT(CSINTERP_Second_Derivative, 0.5);
}

TEST_F(Cubic_Spline, GivenEndSlopesAndSecondDerivativesAreHonoured) {
    const auto f = [](double x) { return std::cos(2.0 * x); };
    ASSERT_TRUE(Fit(Knots, f, 2, 2));  // flat ends
    CSINTERP_Evaluate(Knots.front());
    EXPECT_NEAR(CSINTERP_Derivative, 0.0, 1e-13);
    CSINTERP_Evaluate(Knots.back());
    EXPECT_NEAR(CSINTERP_Derivative, 0.0, 1e-13);

    Left_End_Slope = -1.5;
    Right_End_Second_Derivative = 4.0;
    ASSERT_TRUE(Fit(Knots, f, 2, 1));
    CSINTERP_Evaluate(Knots.front());
    EXPECT_NEAR(CSINTERP_Derivative, -1.5, 1e-13);
    CSINTERP_Evaluate(Knots.back());
    EXPECT_NEAR(CSINTERP_Second_Derivative, 4.0, 1e-11);

    Left_End_Second_Derivative = -3.0;
    Right_End_Slope = 0.75;
    ASSERT_TRUE(Fit(Knots, f, 1, 2));
    CSINTERP_Evaluate(Knots.front());
    EXPECT_NEAR(CSINTERP_Second_Derivative, -3.0, 1e-11);
    CSINTERP_Evaluate(Knots.back());
    EXPECT_NEAR(CSINTERP_Derivative, 0.75, 1e-13);
}

TEST_F(Cubic_Spline, SecondDerivativeIsContinuousAtInnerKnots) {
    ASSERT_TRUE(Fit(
        Knots, [](double x) { return std::tanh(2.0 * x); }, 1, 2));
    const double eps = 1e-9;
    for (std::size_t k = 1; k + 1 < Knots.size(); ++k) {
        CSINTERP_Evaluate(Knots[k] - eps);
        const double left_d1 = CSINTERP_Derivative, left_d2 = CSINTERP_Second_Derivative;
        CSINTERP_Evaluate(Knots[k]);
        EXPECT_NEAR(CSINTERP_Derivative, left_d1, 1e-7) << "knot " << k + 1;
        EXPECT_NEAR(CSINTERP_Second_Derivative, left_d2, 1e-6) << "knot " << k + 1;
    }
}

TEST_F(Cubic_Spline, ConvergesToASmoothFunctionWithItsDerivativesAndCurvature) {
    // 41 knots on [0, 2]; clamped with the true end slopes the error falls
    // like h^4 in the value, h^3 in the slope and h^2 in the second derivative.
    std::vector<double> xs;
    for (int k = 0; k <= 40; ++k) xs.push_back(0.05 * k);
    Left_End_Slope = std::cos(0.0);
    Right_End_Slope = std::cos(2.0);
    ASSERT_TRUE(Fit(
        xs, [](double x) { return std::sin(x); }, 2, 2));
    for (double x = 0.0; x <= 2.0; x += 0.0123) {
        const double d1 = std::cos(x), d2 = -std::sin(x);
        EXPECT_NEAR(CSINTERP_Evaluate(x), std::sin(x), 1e-6) << x;
        EXPECT_NEAR(CSINTERP_Derivative, d1, 1e-4) << x;
        EXPECT_NEAR(CSINTERP_Second_Derivative, d2, 1e-2) << x;
        EXPECT_NEAR(CSINTERP_Curvature, d2 / std::pow(1.0 + d1 * d1, 1.5), 1e-2) << x;
    }
}

// The interval search for tables around the size where bisection starts:
// every knot, every midpoint, the points just above and below each knot, and
// points outside the table.
class Cubic_Spline_Locate : public Cubic_Spline, public ::testing::WithParamInterface<int> {};

TEST_P(Cubic_Spline_Locate, FindsTheIntervalThatHoldsX) {
    const int n = GetParam();
    std::vector<double> xs;
    for (int k = 0; k < n; ++k) xs.push_back(k + 0.1 * k * k);  // uneven widths
    ASSERT_TRUE(Fit(
        xs, [](double x) { return x * x; }, 1, 1));
    for (int i = 1; i <= n; ++i) {
        const double xi = xs[i - 1];
        const int own = i < n ? i : n - 1;  // the last knot belongs to the last interval
        EXPECT_EQ(CSINTERP_Locate(xi), own) << "knot " << i;
        if (i < n) { EXPECT_EQ(CSINTERP_Locate(0.5 * (xi + xs[i])), i) << "middle of " << i; }
        if (i > 1) { EXPECT_EQ(CSINTERP_Locate(std::nextafter(xi, -1e9)), i - 1) << "just below " << i; }
    }
    EXPECT_EQ(CSINTERP_Locate(xs.back() + 5.0), n - 1);
    EXPECT_EQ(CSINTERP_Locate(std::numeric_limits<double>::infinity()), n - 1);
    EXPECT_EQ(CSINTERP_Locate(xs.front() - 5.0), 1);
    EXPECT_EQ(CSINTERP_Locate(-std::numeric_limits<double>::infinity()), 1);
    const int nan_interval = CSINTERP_Locate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_GE(nan_interval, 1);
    EXPECT_LE(nan_interval, n - 1);
}

INSTANTIATE_TEST_SUITE_P(TableSizes, Cubic_Spline_Locate,
                         ::testing::Values(2, 3, 9, 10, 11, 12, 20, 21, 22, 23, 41, 100));

TEST_F(Cubic_Spline, EndConditionsAreAnnouncedOnTheConsoleWithTheirValues) {
    const struct {
        int left, right;
        const char* left_text;
        const char* right_text;
    } cases[] = {
        {1, 1, "Left end canonical, 2nd derivative", "Right end canonical, 2nd derivative"},
        {2, 2, "Left end sets slope to", "Right end sets slope to"},
    };
    Left_End_Second_Derivative = 0.5;
    Right_End_Second_Derivative = -2.25;
    Left_End_Slope = 3.125;
    Right_End_Slope = -0.375;
    const double values[][2] = {{0.5, -2.25}, {3.125, -0.375}};
    for (int c = 0; c < 2; ++c) {
        console.lines.clear();
        ASSERT_TRUE(Fit(Knots, P, cases[c].left, cases[c].right));
        ASSERT_EQ(console.lines.size(), 2u);
        const std::string* lines[] = {&console.lines[0], &console.lines[1]};
        const char* texts[] = {cases[c].left_text, cases[c].right_text};
        for (int s = 0; s < 2; ++s) {
            ASSERT_EQ(lines[s]->rfind(texts[s], 0), 0u) << *lines[s];
            const auto items = UNIT_Free_Format_Items(lines[s]->substr(std::string(texts[s]).size()));
            ASSERT_EQ(items.size(), 1u) << *lines[s];
            double v = 0;
            ASSERT_TRUE(UNIT_Parse_Real(items[0], v)) << *lines[s];
            EXPECT_EQ(v, values[c][s]) << *lines[s];
        }
    }
}

// An end condition other than 1 or 2: two error lines, a blank stop, no spline.
struct Bad_Ends {
    int left, right;
    const char* first_error;
    int bad_value;
    bool left_line_written;
};

class Cubic_Spline_Bad_Ends : public Cubic_Spline, public ::testing::WithParamInterface<Bad_Ends> {};

TEST_P(Cubic_Spline_Bad_Ends, WritesTheErrorLinesAndStops) {
    const Bad_Ends b = GetParam();
    ASSERT_TRUE(Fit(Knots, P, 1, 1));  // an old spline that must not survive
    console.lines.clear();
    std::string stop_text = "not set";
    EXPECT_FALSE(Fit(Knots, P, b.left, b.right, &stop_text));
    EXPECT_EQ(stop_text, "");
    ASSERT_EQ(console.lines.size(), b.left_line_written ? 4u : 3u);
    std::size_t k = 0;
    if (b.left_line_written) { EXPECT_EQ(console.lines[k++].rfind("Left end canonical, 2nd derivative", 0), 0u); }
    const std::string& first = console.lines[k++];
    ASSERT_EQ(first.rfind(b.first_error, 0), 0u) << first;
    long long value = 0;
    ASSERT_TRUE(UNIT_Parse_Integer(first.substr(std::string(b.first_error).size()), value)) << first;
    EXPECT_EQ(value, b.bad_value);
    const auto items = UNIT_Free_Format_Items(console.lines[k++]);
    EXPECT_EQ(items, (std::vector<std::string>{"Must", "be", "either", "1", "or", "2"}));
    EXPECT_EQ(console.lines[k], "");  // the blank stop text
    EXPECT_EQ(CSINTERP_Count, 0);
    EXPECT_FALSE(CSINTERP_Slope.allocated());
}

INSTANTIATE_TEST_SUITE_P(
    LeftAndRight, Cubic_Spline_Bad_Ends,
    ::testing::Values(Bad_Ends{0, 1, "###Error in CSINTERP_Initialization, Left_End_Condition is", 0, false},
                      Bad_Ends{3, 7, "###Error in CSINTERP_Initialization, Left_End_Condition is", 3, false},
                      Bad_Ends{1, -1, "###Error in CSINTERP_Initialization, Right_End_Condition is", -1, true},
                      Bad_Ends{1, 3, "###Error in CSINTERP_Initialization, Right_End_Condition is", 3, true}));

TEST_F(Cubic_Spline, TablesThatCannotCarryASplineStopWithoutReadingOutsideThem) {
    const struct {
        std::vector<double> x, y;
        int n;
        const char* why;
    } cases[] = {
        {{1.0}, {1.0}, 1, "one knot"},
        {{}, {}, 0, "no knots"},
        {{0.0, 1.0, 2.0}, {0.0, 1.0}, 3, "y shorter than n"},
        {{0.0, 1.0}, {0.0, 1.0, 2.0}, 3, "x shorter than n"},
        {{0.0, 1.0, 1.0, 2.0}, {0.0, 1.0, 2.0, 3.0}, 4, "repeated abscissa"},
        {{0.0, 2.0, 1.0, 3.0}, {0.0, 1.0, 2.0, 3.0}, 4, "decreasing abscissa"},
        {{0.0, std::nan(""), 2.0}, {0.0, 1.0, 2.0}, 3, "NaN abscissa"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Fit(Knots, P, 1, 1));
        console.lines.clear();
        const Array1<double> x = To_Array(c.x), y = To_Array(c.y);
        std::string stop_text = "not set";
        EXPECT_TRUE(Stops([&] { CSINTERP_Initialization(x, y, c.n, 1, 1); }, &stop_text)) << c.why;
        EXPECT_EQ(stop_text, "") << c.why;
        EXPECT_EQ(console.count("###Error in CSINTERP_Initialization"), 1) << c.why;
        EXPECT_EQ(CSINTERP_Count, 0) << c.why;
    }
}

TEST_F(Cubic_Spline, EvaluationWithoutASplineStops) {
    ASSERT_TRUE(Fit(Knots, P, 1, 1));
    CSINTERP_Release();
    EXPECT_EQ(CSINTERP_Count, 0);
    EXPECT_FALSE(CSINTERP_X.allocated());
    EXPECT_TRUE(Stops([] { CSINTERP_Evaluate(0.5); }));
    EXPECT_TRUE(console.contains("###Error in CSINTERP_Evaluate"));
    EXPECT_TRUE(Stops([] { CSINTERP_Locate(0.5); }));
    EXPECT_TRUE(console.contains("###Error in CSINTERP_Locate"));
}

TEST_F(Cubic_Spline, ANewInitialisationReplacesTheOldSpline) {
    ASSERT_TRUE(Fit(Knots, P, 1, 1));
    ASSERT_TRUE(Fit(
        {0.0, 0.5, 1.0, 4.0}, [](double x) { return -x; }, 1, 1));
    EXPECT_EQ(CSINTERP_Count, 4);
    EXPECT_EQ(CSINTERP_X.extent(), 4);
    EXPECT_EQ(CSINTERP_H.extent(), 3);
    EXPECT_NEAR(CSINTERP_Evaluate(2.0), -2.0, 1e-14);
    EXPECT_NEAR(CSINTERP_Derivative, -1.0, 1e-14);
    EXPECT_NEAR(CSINTERP_Curvature, 0.0, 1e-13);
}

}  // namespace
