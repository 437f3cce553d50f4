// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Design_Figures.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "Run_Logging.h"

namespace {

// Points of the measuring grid between two neighbouring design-grid points.
constexpr int Points_Between = 3;
// Points across a band the design grid gives fewer than two points.
constexpr int Narrow_Band_Points = 9;
// The weighted error at the grid points may exceed the levelled deviation by
// 0.1 % (the exchange compares single-precision errors); between the grid
// points by 5 % before the grid is said not to cover the taps' error.
constexpr double Grid_Point_Tolerance = 1.001;
constexpr double Between_Points_Tolerance = 1.05;
// An error at the grid points more than 5 % above the levelled deviation is
// no rounding of the levelling: the exchange did not find the optimum.
constexpr double Levelling_Tolerance = 1.05;
// Taps whose magnitudes add up to more than this many times the largest
// response asked for are what an exchange that collapsed leaves behind: their
// response is lost in the rounding of its own sum.
constexpr double Collapsed_Tap_Gain = 1.0e6;
// Misses within this many units of rounding of the largest desired response
// (at least 1) are the arithmetic's, not a failure to level the error: an
// exact design (an all-pass delay, say) has a deviation of almost nothing.
constexpr double Rounding_Floor_Units = 64.0;

// The measuring grid of the last full design: frequency, desired response,
// weight and band of each point, and whether it is a design-grid point.
struct Measuring_Grid {
    std::vector<double> f, desired, weight;
    std::vector<int> band;
    std::vector<char> on_grid;
    double largest_desired = 1.0;
    double rounding_floor = 0.0;

    void clear() {
        f.clear();
        desired.clear();
        weight.clear();
        band.clear();
        on_grid.clear();
    }
    void add(double frequency, int k, bool grid_point) {
        double D = 0.0, W = 0.0;
        KALTAP_Band_Requirement(k, frequency, D, W);
        // The differentiator's relative error has no value at f = 0, where
        // its response and the desired one are both zero.
        if (!std::isfinite(W) || !std::isfinite(D)) return;
        f.push_back(frequency);
        desired.push_back(D);
        weight.push_back(W);
        band.push_back(k);
        on_grid.push_back(grid_point ? 1 : 0);
    }
    std::size_t size() const { return f.size(); }
};

struct Figures {
    bool assessed = false;
    bool converged = true;
    bool measured = false;
    std::vector<double> band_deviation;  // measured, per band
    std::string warning;
    std::string note;
    std::vector<std::string> lines;  // run-log lines of the measurement, not yet written
};

Measuring_Grid Grid;
Figures Current;

// The weight band k's deviation is stated in: the equalizer's error has
// weight 1 and no band weights of its own.
double band_weight(int k) { return Type_of_Filter == 4 ? 1.0 : Band_Weighting(k); }

double grid_step() { return 0.5 / (Half_Length * Search_Grid_Density); }

// The design grid's points, each with the band it was made for (every band's
// points end on its upper edge), three equally spaced points between two
// neighbours of one band, and points across any band the grid gives fewer
// than two points.
void build_measuring_grid() {
    Grid.clear();
    const int NGRID = Grid_Size;
    std::vector<int> grid_band(static_cast<std::size_t>(NGRID));
    int k = 1;
    for (int j = 1; j <= NGRID; ++j) {
        while (k < Number_of_Bands && Grid_Frequency(j) > Band_Edges(2 * k)) ++k;
        grid_band[j - 1] = k;
    }
    std::vector<int> points_in_band(static_cast<std::size_t>(Number_of_Bands), 0);
    for (int j = 1; j <= NGRID; ++j) {
        const int band = grid_band[j - 1];
        ++points_in_band[band - 1];
        Grid.add(Grid_Frequency(j), band, true);
        if (j == NGRID || grid_band[j] != band) continue;
        const double low = Grid_Frequency(j), step = (Grid_Frequency(j + 1) - low) / (Points_Between + 1);
        for (int i = 1; i <= Points_Between; ++i) Grid.add(low + i * step, band, false);
    }
    for (int band = 1; band <= Number_of_Bands; ++band) {
        if (points_in_band[band - 1] >= 2) continue;
        const double low = Band_Edges(2 * band - 1), high = Band_Edges(2 * band);
        for (int i = 0; i < Narrow_Band_Points; ++i)
            Grid.add(low + (high - low) * i / (Narrow_Band_Points - 1), band, false);
    }
    Grid.largest_desired = 1.0;
    for (double D : Grid.desired) Grid.largest_desired = std::max(Grid.largest_desired, std::fabs(D));
    Grid.rounding_floor = Rounding_Floor_Units * DBL_EPSILON * Grid.largest_desired;
}

// Weighted error peaks of `taps` on the measuring grid, per band: `peak` of
// every miss, `significant` of the misses above the rounding floor only.
void measure(const Array1<double>& taps, std::vector<double>& peak, std::vector<double>* significant,
             KALTAP_Grid_Error* at_grid) {
    const std::size_t count = Grid.size();
    std::vector<double> response(count);
    if (count > 0)
        KALTAP_Amplitude_Response_Many(Grid.f.data(), static_cast<int>(count), taps, Number_of_Weights,
                                       PMC_DCT_Type <= 2, response.data());
    peak.assign(static_cast<std::size_t>(Number_of_Bands), 0.0);
    if (significant) significant->assign(static_cast<std::size_t>(Number_of_Bands), 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double miss = std::fabs(response[i] - Grid.desired[i]);
        const double e = std::fabs(Grid.weight[i] * miss);
        const std::size_t b = static_cast<std::size_t>(Grid.band[i] - 1);
        if (b >= peak.size()) continue;  // a band no longer in the requirements
        if (!(e <= peak[b])) peak[b] = e;
        if (miss <= Grid.rounding_floor) continue;
        if (significant && !(e <= (*significant)[b])) (*significant)[b] = e;
        if (at_grid && Grid.on_grid[i] && !(e <= at_grid->largest)) {
            at_grid->largest = e;
            at_grid->frequency = Grid.f[i];
        }
    }
}

// Sum of the magnitudes of the full impulse response's taps.
double tap_gain(const Array1<double>& taps) {
    const int N = Number_of_Weights;
    double sum = 0.0;
    for (int i = 1; i <= N / 2; ++i) sum += 2.0 * std::fabs(taps(i));
    if (N % 2 == 1) sum += std::fabs(taps(N / 2 + 1));
    return sum;
}

std::string exchange_reason(KALTAP_Exchange_End end) {
    const std::string limit = FMT_Free(KALTAP_Remez_Iteration_Limit);
    switch (end) {
        case KALTAP_Exchange_End::Iteration_Limit:
            return "the exchange stopped at " + FMT_Free(KALTAP_Remez_Continuation_Limit) +
                   " iterations, still improving past its limit of " + limit;
        case KALTAP_Exchange_End::Rounding_Floor:
            if (KALTAP_Remez_Past_Limit())
                return "the exchange stopped on machine rounding error after " + FMT_Free(KALTAP_Remez_Iterations()) +
                       " iterations, past its limit of " + limit;
            return "the exchange stopped on machine rounding error";
        case KALTAP_Exchange_End::Not_Finite: return "the levelled deviation is not a number";
        case KALTAP_Exchange_End::Converged: break;
    }
    return "the taps' error exceeds the levelled deviation";
}

std::string short_number(double x) { return FMT_Trim(FMT_General_15(x)); }

// A fraction in per cent with two decimals (F12.2, widened for a value of a
// billion per cent or more rather than asterisks).
std::string percent(double fraction) {
    constexpr int Width = 12, Decimals = 2;
    const double value = 100.0 * fraction;
    return FMT_Trim(FMT_Fixed(value, FMT_Fixed_Width(value, Width, Decimals), Decimals));
}

}  // namespace

void KALTAP_Reset_Design_Figures() {
    Current = Figures();
    Grid.clear();
}

KALTAP_Grid_Error KALTAP_Assess_Design_Figures() {
    Current = Figures();
    Current.assessed = true;
    const KALTAP_Exchange_End end = KALTAP_Remez_End();
    build_measuring_grid();

    KALTAP_Grid_Error at_grid;
    at_grid.tap_gain = tap_gain(Filter_Weights);
    if (at_grid.tap_gain > Collapsed_Tap_Gain * Grid.largest_desired) {
        at_grid.collapsed = true;
        return at_grid;
    }
    std::vector<double> significant;
    measure(Filter_Weights, Current.band_deviation, &significant, &at_grid);
    at_grid.exceeded = !(at_grid.largest <= Remez_Deviation * Grid_Point_Tolerance);
    const KALTAP_Rescue& rescue = KALTAP_Last_Rescue();
    // A padded design is the shorter design's equiripple taps; its own
    // warning says the figures are measured.
    if (at_grid.exceeded && rescue.path != KALTAP_Rescue_Path::Padded)
        Current.lines.push_back("***Warning: the taps are not equiripple: largest weighted error " +
                                FMT_Free(at_grid.largest) + " against the levelled deviation " +
                                FMT_Free(Remez_Deviation) + " at frequency " + FMT_Free(at_grid.frequency) +
                                "; try a wider transition band or fewer weights.");
    // An exchange that ended on machine rounding with taps that keep its
    // level at the grid points (within 0.1 %) has reached the optimum: the
    // level is a lower bound of the best deviation, the taps' error an upper.
    // A rescued design's exchange converged, or it would not be here.
    const bool at_level_on_rounding = end == KALTAP_Exchange_End::Rounding_Floor && !at_grid.exceeded &&
                                      Remez_Deviation >= Grid.rounding_floor;
    Current.converged = (end == KALTAP_Exchange_End::Converged || at_level_on_rounding ||
                         rescue.path != KALTAP_Rescue_Path::None) &&
                        at_grid.largest <= Remez_Deviation * Levelling_Tolerance;
    Current.measured = !Current.converged || at_grid.exceeded;

    // Each band's figure in the terms of its weight.
    for (int k = 1; k <= Number_of_Bands; ++k)
        Current.band_deviation[static_cast<std::size_t>(k - 1)] /= band_weight(k);

    // Bands the grid does not cover: too narrow for two grid steps, or (for a
    // converged design) with an error between the grid points well above the
    // levelled one.
    const double DELF = grid_step();
    bool uncovered = false;
    for (int k = 1; k <= Number_of_Bands; ++k) {
        const double measured = Current.band_deviation[static_cast<std::size_t>(k - 1)];
        const double width = Band_Edges(2 * k) - Band_Edges(2 * k - 1);
        if (width < 2.0 * DELF) {
            uncovered = true;
            Current.lines.push_back("***Warning: band " + FMT_Free(k) + " is narrower than two grid steps (" +
                                    short_number(width) + " against a step of " + short_number(DELF) +
                                    "); its measured peak deviation is " + short_number(measured) +
                                    ". Widen the band or raise the grid density.");
        } else if (Current.converged &&
                   significant[static_cast<std::size_t>(k - 1)] > Remez_Deviation * Between_Points_Tolerance) {
            uncovered = true;
            Current.lines.push_back("***Warning: the grid is too coarse for band " + FMT_Free(k) +
                                    ": between grid points the taps' deviation reaches " + short_number(measured) +
                                    ", more than 5 % above the levelled " +
                                    short_number(Remez_Deviation / band_weight(k)) + ". Raise the grid density.");
        }
    }
    if (rescue.path != KALTAP_Rescue_Path::None) {
        const std::string arithmetic = rescue.arithmetic == KALTAP_Rescue_Arithmetic::Quadruple ? "quadruple precision"
                                       : rescue.arithmetic == KALTAP_Rescue_Arithmetic::Long_Double
                                           ? "long double arithmetic"
                                           : "double arithmetic";
        const std::string from = rescue.start_weights > 0
                                     ? " from a reference scaled from " + FMT_Free(rescue.start_weights) + " weights"
                                     : std::string();
        if (rescue.path == KALTAP_Rescue_Path::Precise) {
            const std::string taps = rescue.arithmetic == KALTAP_Rescue_Arithmetic::Double && rescue.quadruple_series
                                         ? "; its taps were formed in quadruple precision"
                                         : std::string();
            Current.note = "***Note: the exchange lost its way in double arithmetic; the design " +
                           std::string(rescue.exchange_converged ? "converged" : "ended on machine rounding") +
                           " after " + FMT_Free(rescue.iterations) + " iterations of an exchange in " + arithmetic +
                           from + taps + ".";
            Current.warning = "***Warning: the design was found by an exchange in " + arithmetic +
                              "; the deviations are measured from the taps, rounded to double.";
        } else {
            const int zeros = (Number_of_Weights - rescue.weights) / 2;
            Current.note = "***Note: " + FMT_Free(Number_of_Weights) +
                           " weights ask for more precision than double taps hold; the taps are those of the best "
                           "design the rescue found, " +
                           FMT_Free(rescue.weights) + " weights (exchange in " + arithmetic + from +
                           ", levelled deviation " + short_number(rescue.deviation) + "), with " + FMT_Free(zeros) +
                           " zeros added at each end: the same delay and symmetry.";
            Current.measured = true;
            Current.warning = "***Warning: the taps are a " + FMT_Free(rescue.weights) +
                              "-weight design padded with zeros to " + FMT_Free(Number_of_Weights) +
                              " weights; the deviations are measured from the taps.";
        }
    } else if (KALTAP_Restart_Weights() > 0)
        Current.note = "***Note: the exchange lost itself on machine rounding from its first extremal set and " +
                       (Current.converged
                            ? "converged after " + FMT_Free(KALTAP_Remez_Iterations()) + " iterations from"
                            : std::string("started again from")) +
                       " a reference scaled from " + FMT_Free(KALTAP_Restart_Weights()) + " weights.";
    else if (end == KALTAP_Exchange_End::Converged && KALTAP_Remez_Past_Limit())
        Current.note = "***Note: the exchange converged after " + FMT_Free(KALTAP_Remez_Iterations()) +
                       " iterations; it went past its limit of " + FMT_Free(KALTAP_Remez_Iteration_Limit) +
                       " because its deviation still rose.";
    if (rescue.path != KALTAP_Rescue_Path::None)
        ;  // said above
    else if (!Current.converged)
        Current.warning = "***Warning: the design did not converge (" + exchange_reason(end) +
                          "); its deviations are measured from the taps.";
    else if (at_grid.exceeded)
        Current.warning = "***Warning: the taps' error exceeds the levelled deviation by up to " +
                          percent(at_grid.largest / Remez_Deviation - 1.0) +
                          " %; the deviations are measured from the taps.";
    else if (uncovered)
        Current.warning =
            "***Warning: the design grid does not cover the taps' error; the deviations are measured from the taps.";
    // A rescued design's taps are rounded from a longer arithmetic: what
    // they have is measured.
    Current.measured = Current.measured || uncovered || rescue.path != KALTAP_Rescue_Path::None;
    return at_grid;
}

void KALTAP_Write_Design_Figures_Lines() {
    for (const std::string& line : Current.lines) RUN_LOG_write(line);
    Current.lines.clear();
}

bool KALTAP_Design_Converged() { return Current.converged; }
bool KALTAP_Figures_Measured() { return Current.measured; }

double KALTAP_Measured_Band_Deviation(int k) {
    if (k < 1 || k > static_cast<int>(Current.band_deviation.size())) return Remez_Deviation / band_weight(k);
    return Current.band_deviation[static_cast<std::size_t>(k - 1)];
}

double KALTAP_Band_Deviation(int k) {
    if (Current.measured) return KALTAP_Measured_Band_Deviation(k);
    const double levelled = Remez_Deviation / band_weight(k);
    // A level below the rounding of the arithmetic is no figure of the taps:
    // what they have there is their rounding, measured.
    if (Current.assessed && levelled < Grid.rounding_floor)
        return std::max(levelled, KALTAP_Measured_Band_Deviation(k));
    return levelled;
}

double KALTAP_Band_Deviation_dB(int k, double deviation) {
    const double D = Band_Desired_Value(k);
    if (D == 0.0) return 20.0 * std::log10(deviation);
    if (!(deviation < std::fabs(D))) return std::numeric_limits<double>::infinity();
    return 20.0 * std::log10((D + deviation) / (D - deviation));
}

double KALTAP_Deepest_Deviation_dB() {
    if (!Current.assessed) return std::numeric_limits<double>::infinity();
    double deepest = std::numeric_limits<double>::infinity();
    for (int k = 1; k <= Number_of_Bands; ++k) deepest = std::min(deepest, KALTAP_Band_Deviation(k));
    return 20.0 * std::log10(deepest);
}

std::string KALTAP_Figures_Warning() { return Current.measured ? Current.warning : std::string(); }

std::string KALTAP_Exchange_Note() { return Current.note; }

void KALTAP_Measure_Band_Deviations(const Array1<double>& taps, std::vector<double>& deviation) {
    measure(taps, deviation, nullptr, nullptr);
    for (int k = 1; k <= Number_of_Bands; ++k) deviation[static_cast<std::size_t>(k - 1)] /= band_weight(k);
}
