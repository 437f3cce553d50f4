// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Design_Engine.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Block_Trig.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "KALTAP_Precise_Exchange.h"
#include "KALTAP_Remez_Engine.h"
#include "Parallel_Work.h"
#include "Program_Stop.h"
#include "Progress.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

KALTAP_Equalizer_Response_Routine KALTAP_Equalizer_Response_Hook = nullptr;
bool KALTAP_Rescue_Enabled = true;

namespace {

constexpr double Pi = 3.14159265358979323846264338327950;
constexpr double Two_Pi = 6.283185307179586476925286766559;
constexpr double Differentiator_Flat_Slope = 0.0001;  // slopes up to this keep the plain band weight
constexpr int Minimum_Weights = 3;
constexpr int Coefficient_Split_Groups = 32;  // groups of eight coefficients worth the other core
// A response between bands more than this many times the largest gain any
// band asks for (20 dB above it) is reported: the transition is too wide for
// the number of weights, and the filter amplifies there.
constexpr double Gap_Peak_Factor = 10.0;
// The gain the gap peak is compared with when every band asks for zero.
constexpr double Gap_Reference_Floor = 1.0;

KALTAP_Ripple_Check Last_Check;
// The weights of the shorter design the last full design's exchange started
// again from; 0 when it kept its evenly spread start.
int Restart_Weights = 0;

// An exchange whose levelled deviation ends below this many units of rounding
// of the largest weighted desired value, on machine rounding error, has lost
// its way in the rounding: its evenly spread start was too far from the
// optimum for double arithmetic to tell the errors apart.
constexpr double Lost_Deviation_Units = 64.0;
// Only a design with at least this many independent coefficients starts its
// exchange again from a shorter design's extremal set (a shorter one is cheap
// to design and far less prone to lose its way).
constexpr int Restart_Half_Length = 64;

// The grid index ranges [first, last] of each band on the current grid (a
// point belongs to the first band whose upper edge it does not pass); an
// empty range has last < first.
void band_ranges(std::vector<int>& first, std::vector<int>& last) {
    first.assign(static_cast<std::size_t>(Number_of_Bands), 1);
    last.assign(static_cast<std::size_t>(Number_of_Bands), 0);
    int k = 1;
    for (int j = 1; j <= Grid_Size; ++j) {
        while (k < Number_of_Bands && Grid_Frequency(j) > Band_Edges(2 * k)) {
            ++k;
            first[static_cast<std::size_t>(k - 1)] = j;
        }
        last[static_cast<std::size_t>(k - 1)] = j;
    }
}

// The largest |desired| * weight on the current grid (after the case
// conversion the product is that of the requirements).
double largest_weighted_desired() {
    double largest = DBL_MIN;
    for (int j = 1; j <= Grid_Size; ++j) largest = std::max(largest, std::fabs(Grid_Desired(j)) * Grid_Weight(j));
    return largest;
}

// The last exchange ended on machine rounding with a level at the rounding
// of the arithmetic.
bool exchange_lost_in_rounding() {
    if (KALTAP_Remez_End() != KALTAP_Exchange_End::Rounding_Floor) return false;
    return Remez_Deviation < Lost_Deviation_Units * DBL_EPSILON * largest_weighted_desired();
}

// The grid point from `from` to `last` nearest to frequency f (from itself
// when f lies below it; `from` when from > last).
int nearest_grid_point(double f, int from, int last) {
    int j = from;
    while (j < last && Grid_Frequency(j + 1) <= f) ++j;
    if (j < last && Grid_Frequency(j + 1) - f < f - Grid_Frequency(j)) ++j;
    return j;
}

// Places in Extremal_Index(1..Half_Length+1) the extremal set of a shorter
// design scaled to the current grid: per band, as many points as the shorter
// set has there times the ratio of the set sizes, at frequencies interpolated
// along the shorter set's points, each on the nearest grid point of the band
// above the previous point. false when the set does not fit the grid.
bool place_scaled_set(const std::vector<double>& shorter) {
    std::vector<int> first, last;
    band_ranges(first, last);
    const int bands = Number_of_Bands, size = Half_Length + 1;
    std::vector<std::vector<double>> in_band(static_cast<std::size_t>(bands));
    for (double f : shorter) {
        int k = 1;
        while (k < bands && f > Band_Edges(2 * k)) ++k;
        in_band[static_cast<std::size_t>(k - 1)].push_back(f);
    }
    std::vector<int> count(static_cast<std::size_t>(bands));
    int total = 0, largest = 0;
    for (int k = 0; k < bands; ++k) {
        count[k] = static_cast<int>(std::lround(static_cast<double>(in_band[k].size()) * size / shorter.size()));
        total += count[k];
        if (count[k] > count[largest]) largest = k;
    }
    count[largest] += size - total;
    int previous = 0, slot = 0;
    for (int k = 0; k < bands; ++k) {
        const std::vector<double>& points = in_band[k];
        if (count[k] > 0 && points.empty()) return false;
        for (int i = 0; i < count[k]; ++i) {
            double f = points[0];
            if (points.size() > 1 && count[k] > 1) {
                const double position = static_cast<double>(i) * (points.size() - 1) / (count[k] - 1);
                const std::size_t below = std::min(static_cast<std::size_t>(position), points.size() - 2);
                f = points[below] + (position - below) * (points[below + 1] - points[below]);
            }
            const int j = nearest_grid_point(f, std::max(first[k], previous + 1), last[k]);
            if (j > last[k]) return false;
            Extremal_Index(++slot) = j;
            previous = j;
        }
    }
    return slot == size;
}

// The extremal frequencies of the current requirements designed with `weights`
// weights by silent exchanges (the grid and the case of that length), started
// again in the same way where they lose their way; empty when the exchange
// found nothing better than rounding.
std::vector<double> shorter_extremal_frequencies(int weights);

// Starts the exchange again, on the current grid, from the extremal set of a
// design with about half the weights (the same case) scaled to this grid.
// Keeps the new exchange when its level is higher; otherwise repeats the first
// exchange, silently, to leave its result as it was. true when it restarted.
bool restart_exchange(bool silent) {
    if (Half_Length < Restart_Half_Length) return false;
    const int N = Number_of_Weights;
    const double lost_level = Remez_Deviation;
    int shorter = N / 2;
    if (shorter % 2 != N % 2) ++shorter;
    const std::vector<double> start = shorter_extremal_frequencies(shorter);
    Number_of_Weights = N;
    KALTAP_Derive_Parameters();
    KALTAP_Set_Up_Grid();
    KALTAP_Convert_Case();
    KALTAP_Remez_Prepare_Grid();
    if (start.empty() || !place_scaled_set(start)) {
        KALTAP_Remez_Exchange(KALTAP_Exchange_Start::Even_Spread, true);
        return false;
    }
    if (!silent)
        RUN_LOG_write(
            "The exchange lost its way on machine rounding from its evenly spread start (levelled deviation " +
            FMT_Free(lost_level) + "); it starts again from the extremal set of a design with " + FMT_Free(shorter) +
            " weights, scaled to this grid.");
    KALTAP_Remez_Exchange(KALTAP_Exchange_Start::Given_Set, silent);
    if (Remez_Deviation > lost_level) {
        if (!silent) {
            Restart_Weights = shorter;
            if (KALTAP_Remez_End() == KALTAP_Exchange_End::Converged)
                RUN_LOG_write("The restarted exchange converged after " + FMT_Free(KALTAP_Remez_Iterations()) +
                              " iterations at a levelled deviation of " + FMT_Free(Remez_Deviation) + ".");
        }
        return true;
    }
    if (!silent)
        RUN_LOG_write("The restarted exchange levelled no higher (" + FMT_Free(Remez_Deviation) +
                      "); the design keeps the first exchange's result.");
    KALTAP_Remez_Exchange(KALTAP_Exchange_Start::Even_Spread, true);
    return false;
}

std::vector<double> shorter_extremal_frequencies(int weights) {
    Number_of_Weights = weights;
    KALTAP_Derive_Parameters();
    KALTAP_Set_Up_Grid();
    KALTAP_Convert_Case();
    KALTAP_Remez_Prepare_Grid();
    KALTAP_Remez_Exchange(KALTAP_Exchange_Start::Even_Spread, true);
    if (exchange_lost_in_rounding() && !restart_exchange(true)) return {};
    if (KALTAP_Remez_End() == KALTAP_Exchange_End::Not_Finite) return {};
    std::vector<double> frequencies(static_cast<std::size_t>(Half_Length + 1));
    for (int j = 1; j <= Half_Length + 1; ++j) frequencies[j - 1] = Grid_Frequency(Extremal_Index(j));
    return frequencies;
}

[[noreturn]] void storage_problem(int capacity) {
    UNIT_Write(UNIT_Standard_Output, " *** Storage problem in Design Engine: band_index*Number_of_Weights/delta_f >" +
                                         FMT_Integer(capacity, FMT_Integer_Width(capacity, 5)) + "! ***");
    KALTAP_Stop();
}

[[noreturn]] void design_error(const std::string& what) {
    UNIT_Write(UNIT_Standard_Output, "###Error in KALTAP_Design, " + what);
    KALTAP_Stop();
}

// The filter requirements must fit the arrays sized by the last initialisation and
// describe a design the exchange can work on.
void check_requirements() {
    if (Number_of_Weights < Minimum_Weights)
        design_error("Number_of_Weights = " + FMT_Free(Number_of_Weights) + " is below 3");
    if (Search_Grid_Density < 1) design_error("Search_Grid_Density = " + FMT_Free(Search_Grid_Density) + " is below 1");
    if (Number_of_Bands < 1) design_error("Number_of_Bands = " + FMT_Free(Number_of_Bands) + " is below 1");
    if (Number_of_Bands > Allocated_Number_of_Bands || !Band_Edges.allocated()) storage_problem(Grid_Capacity);
    // The extremal arrays hold the set, the sentinel and the end-search point.
    if (Half_Length + 2 > Extremal_Capacity) storage_problem(Grid_Capacity);
}

// The gain band k asks for at its largest, deviation included: |desired| + d
// with d = Remez_Deviation / weight; for the differentiator the desired
// response slope*f and its deviation d*f (d where the weight is the plain
// band weight) taken at the upper edge.
double band_peak_gain(int k) {
    const double deviation = Remez_Deviation / Band_Weighting(k);
    if (Type_of_Filter == 2) {
        const double f = std::fabs(Band_Edges(2 * k));
        const double slope = Band_Desired_Value(k);
        return std::fabs(slope) * f + (slope <= Differentiator_Flat_Slope ? deviation : deviation * f);
    }
    return std::fabs(Band_Desired_Value(k)) + deviation;
}

// The response of the final taps in the gaps between bands (band-pass,
// differentiator and Hilbert transformer designs, where a band's desired
// value is a gain): its peak magnitude, sampled at the grid spacing, against
// Gap_Peak_Factor times the largest gain of any band. A higher peak gets a
// warning line naming it, its frequency and the bands around it.
void check_gaps(double DELF) {
    if (Type_of_Filter < 1 || Type_of_Filter > 3 || Number_of_Bands < 2) return;
    double reference = 0.0;
    for (int k = 1; k <= Number_of_Bands; ++k) reference = std::max(reference, band_peak_gain(k));
    bool all_zero = true;
    for (int k = 1; k <= Number_of_Bands; ++k) all_zero = all_zero && Band_Desired_Value(k) == 0.0;
    if (all_zero) reference = std::max(reference, Gap_Reference_Floor);
    std::vector<double> f, response;
    for (int k = 1; k < Number_of_Bands; ++k) {
        const double low = Band_Edges(2 * k), high = Band_Edges(2 * k + 1);
        if (!(high > low)) continue;
        // Points strictly inside the gap, about one per grid step.
        const int count = static_cast<int>(std::ceil((high - low) / DELF));
        f.resize(static_cast<std::size_t>(count > 1 ? count - 1 : 1));
        if (count > 1)
            for (int i = 1; i < count; ++i) f[static_cast<std::size_t>(i - 1)] = low + (high - low) * i / count;
        else
            f[0] = 0.5 * (low + high);
        response.resize(f.size());
        KALTAP_Amplitude_Response_Many(f.data(), static_cast<int>(f.size()), Filter_Weights, Number_of_Weights,
                                       PMC_DCT_Type <= 2, response.data());
        for (std::size_t i = 0; i < f.size(); ++i) {
            const double a = std::fabs(response[i]);
            if (a > Last_Check.gap_peak) {
                Last_Check.gap_peak = a;
                Last_Check.gap_frequency = f[i];
                Last_Check.gap_band = k;
            }
        }
    }
    if (Last_Check.gap_peak > Gap_Peak_Factor * reference) {
        Last_Check.gap_warned = true;
        const int k = Last_Check.gap_band;
        RUN_LOG_write("***Warning: the response rises to " +
                      FMT_Trim(FMT_Fixed(20.0 * std::log10(Last_Check.gap_peak), 12, 1)) + " dB at " +
                      FMT_Trim(FMT_Fixed(Last_Check.gap_frequency, 12, 4)) + " in the gap between bands " +
                      FMT_Free(k) + " and " + FMT_Free(k + 1) + "; use a narrower transition or add a band there.");
    }
}

// The final taps measured on the design's measuring grid: the largest
// weighted error at the grid points (warned about when it exceeds the levelled
// deviation) and the figures the design states. The run-log lines of the
// measurement wait for report_final_taps.
KALTAP_Grid_Error measure_final_taps() {
    Last_Check = KALTAP_Ripple_Check();
    const KALTAP_Grid_Error at_grid = KALTAP_Assess_Design_Figures();
    if (at_grid.collapsed) return at_grid;
    Last_Check.largest_error = at_grid.largest;
    Last_Check.frequency = at_grid.frequency;
    Last_Check.warned = at_grid.exceeded;
    return at_grid;
}

// The measurement's run-log lines, then the gaps between bands.
void report_final_taps() {
    KALTAP_Write_Design_Figures_Lines();
    check_gaps(0.5 / (Half_Length * Search_Grid_Density));
}

// True when every stored tap (case 3: with the zero centre tap) is finite.
bool taps_finite() {
    const int stored = PMC_DCT_Type == 3 ? Half_Length + 1 : Half_Length;
    for (int j = 1; j <= stored; ++j)
        if (!std::isfinite(Filter_Weights(j))) return false;
    return true;
}

// A full design whose taps are not finite has failed: the exchange worked
// below the resolution of double arithmetic. The weights are marked invalid
// and one error line goes to the run log and the console; the program goes on.
void design_failed(const std::string& what) {
    KALTAP_Filter_Weights_Valid = false;
    KALTAP_Design_Failed = true;
    Last_Check = KALTAP_Ripple_Check();
    KALTAP_Reset_Design_Figures();
    const std::string line =
        "###Error in KALTAP_Design: " + what +
        "; these filter requirements ask for more precision than "
        "double arithmetic holds. Use fewer weights, wider transition bands or a smaller ratio of band weights.";
    RUN_LOG_write(line);
    if (Run_Log_Echo != 0) UNIT_Write(UNIT_Standard_Output, line);
}

// ---------------------------------------------------------------- rescue

KALTAP_Rescue Last_Rescue;

// The precise exchange works on lengths up to these (its cost grows with the
// square of the length, quadruple precision's some twenty times faster).
constexpr int Extended_Weights_Limit = 2048;
constexpr int Quadruple_Weights_Limit = 512;
// The series of a converged exchange is formed in quadruple precision for
// designs up to this length (about 3n^2 operations, a second or two there).
constexpr int Quadruple_Series_Limit = 8192;
// A levelled deviation within this many units of rounding of the largest
// weighted desired value is at the floor of double taps.
constexpr double Floor_Units = 16.0;
// The rescue's first length and how its lengths grow.
constexpr int Rescue_First_Weights = 32;
constexpr double Rescue_Growth = 1.5;
// The halving between the last two lengths stops within this fraction of the
// longer (a few per cent of length change the error little).
constexpr int Rescue_Halvings_Below = 16;
// A design of the rescue counts when its taps' error at the grid points stays
// within this factor of its levelled deviation (or within rounding of it).
constexpr double Rescue_Levelling_Tolerance = 1.05;

// Largest weighted error |A(f) - D(f)| W(f) of Filter_Weights at the points
// of the current grid, in the terms of the requirements.
double largest_grid_error() {
    std::vector<int> first, last;
    band_ranges(first, last);
    std::vector<double> f(static_cast<std::size_t>(Grid_Size)), response(f.size());
    for (int j = 1; j <= Grid_Size; ++j) f[j - 1] = Grid_Frequency(j);
    KALTAP_Amplitude_Response_Many(f.data(), Grid_Size, Filter_Weights, Number_of_Weights, PMC_DCT_Type <= 2,
                                   response.data());
    double largest = 0.0;
    for (int k = 1; k <= Number_of_Bands; ++k) {
        for (int j = first[k - 1]; j <= last[k - 1]; ++j) {
            double D = 0.0, W = 0.0;
            KALTAP_Band_Requirement(k, Grid_Frequency(j), D, W);
            if (!std::isfinite(W)) continue;
            const double e = W * std::fabs(response[j - 1] - D);
            if (!(e <= largest)) largest = e;
        }
    }
    return largest;
}

// Taps kept: as Filter_Weights holds them, (weights+1)/2 of them.
int stored_taps(int weights) { return (weights + 1) / 2; }

// One length of the rescue.
struct Precise_Design {
    bool counts = false;    // converged, with finite taps
    bool at_floor = false;  // its levelled deviation is at the rounding of double taps, or below their error
    int weights = 0;
    int start_weights = 0;  // the design its extremal set was scaled from; 0: evenly spread
    KALTAP_Rescue_Arithmetic arithmetic = KALTAP_Rescue_Arithmetic::Double;
    bool quadruple_series = false;
    bool exchange_converged = true;  // else it ended on machine rounding (its taps still met its level)
    int iterations = 0;
    double deviation = 0.0;                                  // levelled
    double error = std::numeric_limits<double>::infinity();  // of its double taps at the grid points
    std::vector<double> taps;                                // Filter_Weights(1..(weights+1)/2)
    std::vector<double> extremal;                            // frequencies of the final set
};

// The extremal frequencies of the current exchange's set.
std::vector<double> extremal_frequencies() {
    std::vector<double> f(static_cast<std::size_t>(Half_Length + 1));
    for (int j = 1; j <= Half_Length + 1; ++j) f[j - 1] = Grid_Frequency(Extremal_Index(j));
    return f;
}

// The weighted grid error of the taps just recovered into Filter_Weights;
// infinity when they are not finite.
double recovered_taps_error() { return taps_finite() ? largest_grid_error() : std::numeric_limits<double>::infinity(); }

// The taps meet the levelled deviation: 5 %, or `allowance`, above it at the
// grid points.
bool at_level(double error, double deviation, double allowance) {
    return error <= Rescue_Levelling_Tolerance * deviation + allowance;
}

// The taps of the exchange's set (Extremal_Index) in Filter_Weights, and their
// grid error: from the series in double arithmetic where they meet its
// `deviation`; otherwise from the series in quadruple precision, which levels
// the set again (`deviation` becomes that level; `quadruple` says so).
double series_in_quadruple(double& deviation, double allowance, bool& quadruple) {
    quadruple = false;
    KALTAP_Cosine_Coefficients(Band_Edges, Number_of_Bands);
    KALTAP_Recover_Weights();
    const double error = recovered_taps_error();
    if (at_level(error, deviation, allowance) || Number_of_Weights > Quadruple_Series_Limit) return error;
    quadruple = true;
    deviation = KALTAP_Precise_Series();
    KALTAP_Recover_Weights();
    return recovered_taps_error();
}

// Keeps the current design (Filter_Weights, the exchange's set) in `d`.
void keep_taps(Precise_Design& d, double error, double deviation) {
    d.counts = true;
    d.error = error;
    d.deviation = deviation;
    d.taps.assign(&Filter_Weights(1), &Filter_Weights(1) + stored_taps(Number_of_Weights));
    d.extremal = extremal_frequencies();
}

// Designs the current requirements with `weights` weights, the exchange
// started from `start` (the extremal frequencies of the design of
// `start_weights` weights, scaled to this grid) or evenly spread: by the
// engine's own exchange in double arithmetic, then where its taps miss the
// levelled deviation by the precise exchange in long double, then in
// quadruple precision (started from the long double exchange's set where that
// converged). Keeps the one whose taps' error is smallest.
Precise_Design precise_design(int weights, const std::vector<double>& start, int start_weights, double floor) {
    Precise_Design d;
    d.weights = weights;
    Number_of_Weights = weights;
    KALTAP_Derive_Parameters();
    KALTAP_Set_Up_Grid();
    if (Grid_Size < Half_Length + 1) return d;
    KALTAP_Convert_Case();
    const double allowance = Lost_Deviation_Units * DBL_EPSILON * largest_weighted_desired();
    std::vector<double> set = start;
    bool scaled_start = false;
    for (const KALTAP_Rescue_Arithmetic arithmetic :
         {KALTAP_Rescue_Arithmetic::Double, KALTAP_Rescue_Arithmetic::Long_Double,
          KALTAP_Rescue_Arithmetic::Quadruple}) {
        if (arithmetic == KALTAP_Rescue_Arithmetic::Long_Double && weights > Extended_Weights_Limit) break;
        if (arithmetic == KALTAP_Rescue_Arithmetic::Quadruple && weights > Quadruple_Weights_Limit) break;
        const bool given = !set.empty() && place_scaled_set(set);
        if (arithmetic == KALTAP_Rescue_Arithmetic::Double) scaled_start = given;
        const KALTAP_Exchange_Start from = given ? KALTAP_Exchange_Start::Given_Set
                                                 : KALTAP_Exchange_Start::Even_Spread;
        bool converged = false, quadruple_series = arithmetic != KALTAP_Rescue_Arithmetic::Double;
        int iterations = 0;
        double deviation = 0.0, error = std::numeric_limits<double>::infinity();
        if (arithmetic == KALTAP_Rescue_Arithmetic::Double) {
            KALTAP_Remez_Prepare_Grid();
            KALTAP_Remez_Exchange(from, true);
            converged = KALTAP_Remez_End() == KALTAP_Exchange_End::Converged;
            iterations = KALTAP_Remez_Iterations();
            deviation = std::fabs(Remez_Deviation);
            if (converged) error = series_in_quadruple(deviation, allowance, quadruple_series);
        } else {
            const KALTAP_Precise_Outcome outcome = KALTAP_Precise_Exchange(
                arithmetic == KALTAP_Rescue_Arithmetic::Quadruple ? KALTAP_Precision::Quadruple
                                                                  : KALTAP_Precision::Extended,
                from);
            converged = outcome.converged;
            iterations = outcome.iterations;
            deviation = outcome.deviation;
            if (converged) {
                KALTAP_Recover_Weights();
                error = recovered_taps_error();
            }
        }
        if (!converged) continue;
        // The next arithmetic starts where this one ended.
        set = extremal_frequencies();
        if (!(error < d.error)) continue;
        keep_taps(d, error, deviation);
        d.start_weights = scaled_start ? start_weights : 0;
        d.arithmetic = arithmetic;
        d.quadruple_series = quadruple_series;
        d.iterations = iterations;
        const bool level = at_level(error, deviation, allowance);
        d.at_floor = deviation <= floor || !level;
        if (level) break;
    }
    return d;
}

// The rescue's search over lengths (see KALTAP_Design_Engine.h): the design
// whose taps have the smallest error; one that does not count when nothing
// does.
Precise_Design rescue_search(int N) {
    const double floor = Floor_Units * DBL_EPSILON * largest_weighted_desired();
    auto fit = [N](int L) {
        L = std::max(L, Minimum_Weights);
        if (L % 2 != N % 2) ++L;
        return std::min(L, N);
    };
    Precise_Design best, below;  // the best taps; the longest design above the floor
    auto keep = [&best](Precise_Design& d) {
        if (d.counts && d.error < best.error) best = d;
    };
    int low = 0, high = 0;  // lengths known above the floor / at it or failing
    for (int L = fit(Rescue_First_Weights);; L = fit(static_cast<int>(std::ceil(L * Rescue_Growth)))) {
        Precise_Design d = precise_design(L, below.extremal, below.weights, floor);
        keep(d);
        if (!d.counts || d.at_floor) {
            high = L;
            break;
        }
        low = L;
        below = std::move(d);
        if (L == N) return below;
    }
    while (low > 0 && high - low > std::max(2, high / Rescue_Halvings_Below)) {
        const int L = fit((low + high) / 2);
        if (L <= low || L >= high) break;
        Precise_Design d = precise_design(L, below.extremal, below.weights, floor);
        keep(d);
        if (d.counts && !d.at_floor) {
            low = L;
            below = std::move(d);
        } else {
            high = L;
        }
    }
    return best;
}

// Puts the rescue's design in place as the design of N weights: its taps,
// padded with zeros in front to N's first half, N's grid and case, its
// levelled deviation, and its extremal set on N's grid.
void install_rescue(const Precise_Design& d, int N) {
    Number_of_Weights = N;
    KALTAP_Derive_Parameters();
    KALTAP_Set_Up_Grid();
    KALTAP_Convert_Case();
    const int shift = (N - d.weights) / 2;
    for (int j = 1; j <= stored_taps(N); ++j) Filter_Weights(j) = j <= shift ? 0.0 : d.taps[j - shift - 1];
    Remez_Deviation = d.deviation;
    int previous = 0;
    for (std::size_t k = 0; k < d.extremal.size(); ++k) {
        previous = nearest_grid_point(d.extremal[k], previous + 1, Grid_Size);
        Extremal_Index(static_cast<int>(k) + 1) = previous;
    }
    KALTAP_Filter_Weights_Valid = true;
    Last_Rescue.path = d.weights < N ? KALTAP_Rescue_Path::Padded : KALTAP_Rescue_Path::Precise;
    Last_Rescue.weights = d.weights;
    Last_Rescue.arithmetic = d.arithmetic;
    Last_Rescue.quadruple_series = d.quadruple_series;
    Last_Rescue.exchange_converged = d.exchange_converged;
    Last_Rescue.start_weights = d.start_weights;
    Last_Rescue.iterations = d.iterations;
    Last_Rescue.deviation = d.deviation;
    Last_Rescue.extremal_points = static_cast<int>(d.extremal.size());
}

// The exchange lost its way in double arithmetic: the taps are not finite,
// have collapsed, or miss the levelled deviation (taps that meet it are as
// good as the exchange's level, whatever its end).
bool needs_rescue(bool finite, const KALTAP_Grid_Error& at_grid) {
    if (!KALTAP_Rescue_Enabled) return false;
    return !finite || at_grid.collapsed || at_grid.exceeded;
}

// Runs the rescue for the current design of N weights whose taps (when
// finite and not collapsed) have the weighted grid error `error`; true when
// its design replaced them. The state of the first design is restored
// otherwise.
bool rescue_design(double error) {
    const int N = Number_of_Weights;
    const std::vector<double> first_taps(&Filter_Weights(1), &Filter_Weights(1) + stored_taps(N));
    std::vector<int> first_set(static_cast<std::size_t>(Half_Length + 1));
    for (int j = 1; j <= Half_Length + 1; ++j) first_set[j - 1] = Extremal_Index(j);
    const double first_deviation = Remez_Deviation;
    const KALTAP_Exchange_Outcome first_outcome = KALTAP_Remez_Outcome();

    // An exchange that found its set may have lost only its taps: its own
    // set's series in quadruple precision, before any search.
    Precise_Design d;
    if (first_outcome.end != KALTAP_Exchange_End::Not_Finite && N <= Quadruple_Series_Limit) {
        const double allowance = Lost_Deviation_Units * DBL_EPSILON * largest_weighted_desired();
        const double deviation = KALTAP_Precise_Series();
        KALTAP_Recover_Weights();
        const double series_error = recovered_taps_error();
        if (at_level(series_error, deviation, allowance)) {
            keep_taps(d, series_error, deviation);
            d.exchange_converged = first_outcome.end == KALTAP_Exchange_End::Converged;
            d.weights = N;
            d.start_weights = Restart_Weights;
            d.quadruple_series = true;
            d.iterations = first_outcome.iterations;
        }
    }
    if (!d.counts) d = rescue_search(N);
    if (d.counts) {
        install_rescue(d, N);
        const double rescued = largest_grid_error();
        if (rescued < error) { return true; }
        Last_Rescue = KALTAP_Rescue();
    }
    Number_of_Weights = N;
    KALTAP_Derive_Parameters();
    KALTAP_Set_Up_Grid();
    KALTAP_Convert_Case();
    for (int j = 1; j <= stored_taps(N); ++j) Filter_Weights(j) = first_taps[j - 1];
    for (int j = 1; j <= Half_Length + 1; ++j) Extremal_Index(j) = first_set[j - 1];
    Remez_Deviation = first_deviation;
    KALTAP_Remez_Restore_Outcome(first_outcome);
    KALTAP_Filter_Weights_Valid = true;
    return false;
}

}  // namespace

const KALTAP_Ripple_Check& KALTAP_Last_Ripple_Check() { return Last_Check; }

void KALTAP_Band_Requirement(int band, double f, double& desired, double& weight) {
    switch (Type_of_Filter) {
        case 1:
        case 3:
            desired = Band_Desired_Value(band);
            weight = Band_Weighting(band);
            break;
        case 2:
            desired = Band_Desired_Value(band) * f;
            if (Band_Desired_Value(band) <= Differentiator_Flat_Slope)
                weight = Band_Weighting(band);
            else
                weight = Band_Weighting(band) / f;
            break;
        case 4:
            if (!KALTAP_Equalizer_Response_Hook) design_error("no equalizer response is installed");
            KALTAP_Equalizer_Response_Hook(f, 0, desired, weight);
            break;
        default: break;
    }
}

void KALTAP_Band_Response(int j, int band, double f) {
    KALTAP_Band_Requirement(band, f, Grid_Desired(j), Grid_Weight(j));
}

void KALTAP_Set_Up_Grid() {
    Grid_Frequency(1) = Band_Edges(1);
    const double DELF = 0.5 / (Half_Length * Search_Grid_Density);
    if (Antisymmetric == 1 && DELF > Band_Edges(1)) Grid_Frequency(1) = DELF;
    int j = 1, L = 1;
    for (int band = 1; band <= Number_of_Bands; ++band) {
        if (band > 1) Grid_Frequency(j) = Band_Edges(L);
        // A band that starts on the last point of the band below shares that
        // point: two grid points on one frequency would make one extremal
        // cosine twice and its barycentric weight infinite. The point keeps
        // the lower band's values; this band's regular points start one step on.
        if (band > 1 && j >= 2 && Grid_Frequency(j) == Grid_Frequency(j - 1)) Grid_Frequency(j) += DELF;
        double f = Grid_Frequency(j);
        const double FUP = Band_Edges(L + 1);
        while (f <= FUP) {
            KALTAP_Band_Response(j, band, f);
            j = j + 1;
            if (j > Grid_Capacity) storage_problem(Grid_Capacity);
            Grid_Frequency(j) = f + DELF;
            f = Grid_Frequency(j);
        }
        // The last point of every band lies exactly on its upper edge. A band
        // with no regular point (lower edge above upper) overwrites the point
        // before it; before the first point there is nothing to overwrite.
        if (j >= 2) {
            Grid_Frequency(j - 1) = FUP;
            KALTAP_Band_Response(j - 1, band, FUP);
        }
        L = L + 2;
    }
    Grid_Size = j - 1;
    if ((PMC_DCT_Type == 2 || PMC_DCT_Type == 3) && Grid_Size >= 1 && Grid_Frequency(Grid_Size) > 0.5 - DELF)
        Grid_Size = Grid_Size - 1;
}

void KALTAP_Convert_Case() {
    if (PMC_DCT_Type < 2 || PMC_DCT_Type > 4) return;
    // Q(f) = cos(pi f), sin(2 pi f), sin(pi f) for cases 2, 3, 4.
    const double scale = PMC_DCT_Type == 3 ? Two_Pi : Pi;
    const bool cosine = PMC_DCT_Type == 2;
    const int NGRID = Grid_Size;
    KALTAP_Parallel_For(0, (NGRID - 1) / KALTAP_Trig_Block, 8, [&](int lo, int hi) {
        double argument[KALTAP_Trig_Block], Q[KALTAP_Trig_Block];
        for (int b = lo; b <= hi; ++b) {
            int first = b * KALTAP_Trig_Block + 1;
            int count = NGRID - first + 1 < KALTAP_Trig_Block ? NGRID - first + 1 : KALTAP_Trig_Block;
            for (int i = 0; i < count; ++i) argument[i] = scale * Grid_Frequency(first + i);
            if (cosine)
                KALTAP_Cos_Block(argument, Q, count);
            else
                KALTAP_Sin_Block(argument, Q, count);
            for (int i = 0; i < count; ++i) {
                Grid_Weight(first + i) = Grid_Weight(first + i) * Q[i];
                Grid_Desired(first + i) = Grid_Desired(first + i) / Q[i];
            }
        }
    });
}

void KALTAP_Cosine_Coefficients(const Array1<double>& edges, int number_of_bands) {
    const int n = Half_Length;
    const int NZ = n + 1;
    Array1<double>& alpha = Cosine_Coefficients;
    Extremal_Cosine(n + 2) = -2.0;
    const double CN = 2 * n - 1;

    bool TRANSFORM = true;
    if ((edges(1) <= 0.0 && edges(2 * number_of_bands) >= 0.5) || n <= 3) TRANSFORM = false;
    double AA = 0.0, BB = 0.0;
    if (TRANSFORM) {
        double c1 = std::cos(Two_Pi * Grid_Frequency(1));
        double c2 = std::cos(Two_Pi * Grid_Frequency(Grid_Size));
        AA = 2.0 / (c1 - c2);
        BB = -(c1 + c2) / (c1 - c2);
    }

    // Samples of the best approximation at n equally spaced points of the
    // (possibly transformed) variable.
    std::vector<double> A(static_cast<std::size_t>(n));
    KALTAP_Parallel_For(1, n, 512, [&](int lo, int hi) {
        for (int j = lo; j <= hi; ++j) {
            double ft = (j - 1) / CN;
            if (TRANSFORM) {
                double xt = (std::cos(Two_Pi * ft) - BB) / AA;
                // cos of the first grid point can round to just above 1; keep
                // the square root real.
                if (xt > 1.0) xt = 1.0;
                if (xt < -1.0) xt = -1.0;
                ft = std::atan2(std::sqrt(1.0 - xt * xt), xt) / Two_Pi;
            }
            A[j - 1] = KALTAP_Interpolate_At_Frequency(ft, NZ);
        }
    });

    // Cosine series: alpha(j) = A(1) + 2 sum_k A(k+1) cos(2 pi (j-1) k / CN),
    // eight j at a time. Small series stay on this core: below this size the
    // hand-over costs more than half the work.
    const int groups = (n + KALTAP_Sums_At_Once - 1) / KALTAP_Sums_At_Once;
    KALTAP_Parallel_For(0, groups - 1, Coefficient_Split_Groups, [&](int lo, int hi) {
        double steps[KALTAP_Sums_At_Once], sums[KALTAP_Sums_At_Once];
        for (int g = lo; g <= hi; ++g) {
            const int first = g * KALTAP_Sums_At_Once + 1;
            const int count = n - first + 1 < KALTAP_Sums_At_Once ? n - first + 1 : KALTAP_Sums_At_Once;
            for (int l = 0; l < count; ++l) steps[l] = Two_Pi * (first + l - 1) / CN;
            KALTAP_Fast_Trig_Sums(steps, count, n - 1, 0.0, A.data() + 1, 0.0, true, sums);
            for (int l = 0; l < count; ++l) alpha(first + l) = A[0] + 2.0 * sums[l];
        }
    });
    alpha(1) = alpha(1) / CN;
    for (int j = 2; j <= n; ++j) alpha(j) = 2.0 * alpha(j) / CN;

    if (TRANSFORM) {
        // Convert the series in the transformed variable back to the plain one.
        std::vector<double> P(static_cast<std::size_t>(n + 2)), Q(static_cast<std::size_t>(n + 2)),
            B(static_cast<std::size_t>(n + 2));
        auto p = [&](int k) -> double& { return P[k - 1]; };
        auto q = [&](int k) -> double& { return Q[k - 1]; };
        auto a = [&](int k) -> double& { return B[k - 1]; };
        p(1) = 2.0 * alpha(n) * BB + alpha(n - 1);
        p(2) = 2.0 * AA * alpha(n);
        q(1) = alpha(n - 2) - alpha(n);
        for (int j = 2; j <= n - 1; ++j) {
            if (j == n - 1) {
                AA = 0.5 * AA;
                BB = 0.5 * BB;
            }
            p(j + 1) = 0.0;
            for (int k = 1; k <= j; ++k) {
                a(k) = p(k);
                p(k) = 2.0 * BB * a(k);
            }
            p(2) = p(2) + 2.0 * AA * a(1);
            for (int k = 1; k <= j - 1; ++k) p(k) = p(k) + q(k) + AA * a(k + 1);
            for (int k = 3; k <= j + 1; ++k) p(k) = p(k) + AA * a(k - 1);
            if (j != n - 1) {
                for (int k = 1; k <= j; ++k) q(k) = -a(k);
                q(1) = q(1) + alpha(n - 1 - j);
            }
        }
        for (int j = 1; j <= n; ++j) alpha(j) = p(j);
    }
    if (n < 3) {
        alpha(n + 1) = 0.0;
        alpha(n + 2) = 0.0;
    }
}

void KALTAP_Recover_Weights() {
    const int n = Half_Length;
    const Array1<double>& alpha = Cosine_Coefficients;
    Array1<double>& H = Filter_Weights;
    switch (PMC_DCT_Type) {
        case 1:
            for (int j = 1; j <= n - 1; ++j) H(j) = 0.5 * alpha(n + 1 - j);
            H(n) = alpha(1);
            break;
        case 2:
            H(1) = 0.25 * alpha(n);
            for (int j = 2; j <= n - 1; ++j) H(j) = 0.25 * (alpha(n + 1 - j) + alpha(n + 2 - j));
            H(n) = 0.5 * alpha(1) + 0.25 * alpha(2);
            break;
        case 3:
            H(1) = 0.25 * alpha(n);
            if (n >= 2) H(2) = 0.25 * alpha(n - 1);
            for (int j = 3; j <= n - 1; ++j) H(j) = 0.25 * (alpha(n + 1 - j) - alpha(n + 3 - j));
            H(n + 1) = 0.0;
            H(n) = 0.5 * alpha(1) - 0.25 * alpha(3);
            break;
        case 4:
            H(1) = 0.25 * alpha(n);
            for (int j = 2; j <= n - 1; ++j) H(j) = 0.25 * (alpha(n + 1 - j) - alpha(n + 2 - j));
            H(n) = 0.5 * alpha(1) - 0.25 * alpha(2);
            break;
        default: break;
    }
    KALTAP_Filter_Weights_Valid = true;
}

void KALTAP_Design() {
    // The one-shot request is taken at once, so that a stop anywhere in this
    // design (an error, or the window layer quitting) cannot leave it behind
    // to cut the next design short.
    const bool full_design = !Deviations_Only;
    Deviations_Only = false;
    KALTAP_Check_Stop();  // every trial of the searches comes through here
    const KALTAP_Progress_Scope progress("Design of " + FMT_Free(Number_of_Weights) + " weights");
    KALTAP_Design_Failed = false;
    Restart_Weights = 0;
    Last_Rescue = KALTAP_Rescue();
    KALTAP_Reset_Design_Figures();
    KALTAP_Derive_Parameters();
    check_requirements();
    KALTAP_Set_Up_Grid();
    if (Grid_Size < Half_Length + 1)
        design_error("the grid of " + FMT_Free(Grid_Size) + " points is too small for " + FMT_Free(Half_Length + 1) +
                     " extremal frequencies; widen the bands");
    KALTAP_Convert_Case();
    KALTAP_Remez_Prepare_Grid();
    KALTAP_Remez_Exchange();
    if (exchange_lost_in_rounding()) restart_exchange(false);
    if (!full_design) return;
    KALTAP_Cosine_Coefficients(Band_Edges, Number_of_Bands);
    KALTAP_Recover_Weights();
    bool finite = taps_finite();
    KALTAP_Grid_Error at_grid;
    if (finite) at_grid = measure_final_taps();
    if (needs_rescue(finite, at_grid)) {
        const double error = finite && !at_grid.collapsed ? largest_grid_error()
                                                          : std::numeric_limits<double>::infinity();
        if (rescue_design(error)) {
            finite = true;
            at_grid = measure_final_taps();
            RUN_LOG_write(KALTAP_Exchange_Note());
        } else if (finite) {
            at_grid = measure_final_taps();
        }
    }
    if (!finite) {
        design_failed("the taps are not finite");
        return;
    }
    if (at_grid.collapsed) {
        design_failed("the exchange collapsed: the magnitudes of the taps add up to " + FMT_Free(at_grid.tap_gain) +
                      ", far beyond any response asked for");
        return;
    }
    report_final_taps();
}

int KALTAP_Restart_Weights() { return Restart_Weights; }

const KALTAP_Rescue& KALTAP_Last_Rescue() { return Last_Rescue; }

int KALTAP_Extremal_Count() {
    return Last_Rescue.path == KALTAP_Rescue_Path::Padded ? Last_Rescue.extremal_points : Half_Length + 1;
}
