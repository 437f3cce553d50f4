// SPDX-License-Identifier: GPL-3.0-or-later
#include "FIR_Optimization_Engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Remez_Engine.h"
#include "KALTAP_Tools.h"
#include "Program_Stop.h"
#include "Progress.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

double FIR_Passband_PtoP_Ripple = 1.0;
double FIR_Stopband_Attenuation = 40.0;
int FIROPT_NOW = 0;

int FIROPT_BW_At_Target = 0;
int FIROPT_Ripple_At_Target = 0;
int FIROPT_Stopband_At_Target = 0;

std::function<void(double)> FIROPT_Trial_Observer;
std::function<bool()> FIROPT_Design_Fault;

namespace {

// ---- Limits of the searches ----
constexpr double Passband_Tolerance = 1e-6;                       // passband target must be within this of 1
constexpr double Stopband_Target_Limit = 1e6;                     // largest stopband target magnitude
constexpr double Target_Tolerance_dB = 1e-4;                      // At_Target band of the searches
constexpr double Ripple_Tolerance_Factor = 0.009999999776482582;  // 0.01 held in single precision
constexpr int Minimum_Trial_Count = 5;                            // smallest count of the first order design
constexpr int Engine_Minimum_Count = 3;                           // smallest count the engine designs
constexpr int Passes_per_Cycle = 16;
constexpr double Count_Range = 1e9;  // estimates are clamped to this before rounding

// Valid ranges of the searched figures: every trial value lies in them, so
// every trial weight is finite and positive and every band edge stays
// between the outer edges.
constexpr double Minimum_Transition = 1e-5;  // the smallest width the dialogs accept
constexpr double Minimum_Ripple_dB = 1e-6;
constexpr double Maximum_Ripple_dB = 40.0;  // dp = 0.98
constexpr double Minimum_Attenuation_dB = 0.1;
constexpr double Maximum_Attenuation_dB = 300.0;  // ds = 1e-15, the limit of double precision
constexpr double Fallback_Attenuation_dB = 60.0;  // start when no attenuation estimate can be formed

// First step sizes of the ripple and stopband searches.
constexpr double Ripple_Step_Min = 0.1, Ripple_Step_Max = 3.0;
constexpr double Stopband_Step_Min = 1.0, Stopband_Step_Max = 10.0;
constexpr double Stopband_Case7_Size = 3.0;
constexpr double Case7_Shrink = 0.8;

void say(const std::string& line) { UNIT_Write(UNIT_Standard_Output, line); }

// A free-format line: the items in order, separated by blanks.
std::string free_line(std::initializer_list<std::string> items) {
    std::string line;
    for (const auto& item : items) {
        if (!line.empty()) line += ' ';
        line += item;
    }
    return line;
}

std::string num(double x) { return FMT_Free(x); }
std::string num(int n) { return FMT_Free(n); }

// Fortran G15.6: fixed notation with 6 significant digits and 4 trailing blanks
// for 0.1 <= |x| < 1e6, otherwise 0.dddddddE+xx, right-justified in 15 columns.
std::string general_15_6(double x) {
    char buffer[64];
    if (!std::isfinite(x)) {
        std::snprintf(buffer, sizeof buffer, "%15s", std::isnan(x) ? "NaN" : (x > 0 ? "Infinity" : "-Infinity"));
        return buffer;
    }
    if (x == 0.0) return "    0.00000    ";
    std::snprintf(buffer, sizeof buffer, "%.5e", x);            // the exponent after rounding to 6 digits
    const int k = std::atoi(std::strchr(buffer, 'e') + 1) + 1;  // 10^(k-1) <= |x| < 10^k
    if (k >= 0 && k <= 6) {
        // '#' keeps the decimal point when no decimals remain (1e5 <= |x| < 1e6).
        std::snprintf(buffer, sizeof buffer, "%#11.*f    ", 6 - k, x);
        return buffer;
    }
    // 0.dddddd E+xx: mantissa below 1.
    std::snprintf(buffer, sizeof buffer, "%.6f", std::fabs(x) / std::pow(10.0, k));
    std::string mantissa = buffer;
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "E%c%02d", k < 0 ? '-' : '+', std::abs(k));
    std::snprintf(buffer, sizeof buffer, "%15s", ((x < 0 ? "-" : "") + mantissa + exponent).c_str());
    return buffer;
}

bool usable_weight(double w) { return std::isfinite(w) && w > 0.0; }

// Passband weight 1 and stopband weight `ratio` (dp/ds), or 1 where the ratio
// is not a finite positive number. True when the ratio was usable.
bool set_band_weights(double ratio, int i_passband, int i_stopband) {
    Band_Weighting(i_passband) = 1.0;
    Band_Weighting(i_stopband) = usable_weight(ratio) ? ratio : 1.0;
    return usable_weight(ratio);
}

// The "***Warning" line of a search that ends without meeting its target: to
// the run log, which echoes it to the console.
void warn(const std::string& text) {
    RUN_LOG_write("***Warning in " + text);
    if (Run_Log_Echo != 0) say("***Warning in " + text);
}

// Passband / stopband identification shared by the four searches.
void identify_bands(const std::string& neither_name, const std::string& target_name, int& i_passband, int& i_stopband) {
    if (Band_Desired_Value(1) == 0.0) {
        if (Band_Desired_Value(2) == 0.0) {
            say("###Error in " + neither_name + "; Neither band 1 nor band 2 is a passband");
            KALTAP_Stop();
        }
        i_passband = 2;
        i_stopband = 1;
    } else {
        i_passband = 1;
        i_stopband = 2;
    }
    // Written as "not within" so that a NaN target is refused too.
    const double pass_target = Band_Desired_Value(i_passband);
    const double stop_target = Band_Desired_Value(i_stopband);
    if (!(std::fabs(pass_target - 1.0) <= Passband_Tolerance) || !(std::fabs(stop_target) <= Stopband_Target_Limit)) {
        say(free_line({"###Error in " + target_name + "; band", num(i_passband), " target is", num(pass_target), ","}));
        say(free_line({"  band", num(i_stopband), " target is", num(stop_target)}));
        KALTAP_Stop();
    }
}

// Trial designs of the search now running.
int trial_count = 0;

// A trial design: the engine stops after the exchange (deviation only). The
// search's progress names the trial and its outcome.
void trial_design() {
    ++trial_count;
    if (KALTAP_Progress_Wanted())
        KALTAP_Report_Step("trial " + FMT_Free(trial_count) + ": " + FMT_Free(Number_of_Weights) + " weights");
    Deviations_Only = true;
    KALTAP_Design();
    if (KALTAP_Progress_Wanted())
        KALTAP_Report_Step("trial " + FMT_Free(trial_count) + ": " + FMT_Free(Number_of_Weights) +
                           " weights, band edges " + KALTAP_Progress_Value(Band_Edges(2), 6) + " and " +
                           KALTAP_Progress_Value(Band_Edges(3), 6) + ", deviation " +
                           KALTAP_Progress_Value(Remez_Deviation));
}

// The search's level of progress, its trials counted from one.
struct Search_Progress {
    explicit Search_Progress(const std::string& work) : scope(work) { trial_count = 0; }
    KALTAP_Progress_Scope scope;
};

// The full design the searches leave in the design state.
void final_design() {
    Deviations_Only = false;
    KALTAP_Design();
}

bool design_fault() { return FIROPT_Design_Fault && FIROPT_Design_Fault(); }

// The trial design just made has failed: its exchange did not converge (it
// stopped at its iteration limit or on machine rounding, or its deviation is
// not a number), so its deviation is no figure of the filter. Such a trial is
// a miss, and nothing is measured from it.
bool trial_failed() {
    if (design_fault()) return true;
    return !std::isfinite(Remez_Deviation) || KALTAP_Remez_End() != KALTAP_Exchange_End::Converged;
}

// The full design just made has failed: its taps are not finite or have
// collapsed, or it did not converge, so the figures of its trial are not
// the figures of its taps.
bool full_design_failed() {
    if (design_fault()) return true;
    return KALTAP_Design_Failed || !KALTAP_Filter_Weights_Valid || !KALTAP_Design_Converged();
}

// Why the design just made (a trial, or the complete design of a trial)
// failed, for the progress lines.
std::string failure_text(bool complete) {
    const bool unconverged = complete
                                 ? !KALTAP_Design_Failed && KALTAP_Filter_Weights_Valid && !KALTAP_Design_Converged()
                                 : std::isfinite(Remez_Deviation) &&
                                       KALTAP_Remez_End() != KALTAP_Exchange_End::Converged;
    return std::string(complete ? "the complete design" : "the design") +
           (unconverged ? " did not converge" : " failed") + "; its figures are not used";
}

// The figure in dB of band k that the complete design just made states: its
// p-p ripple, or the attenuation of a stopband. Where the design did not
// converge it is measured from the taps. Left as `figure` when not finite or
// when the design failed.
void take_stated_dB(int k, double& figure) {
    if (KALTAP_Design_Failed || !KALTAP_Filter_Weights_Valid) return;
    const double dB = KALTAP_Band_Deviation_dB(k, KALTAP_Band_Deviation(k));
    const double stated = Band_Desired_Value(k) == 0.0 ? -dB : dB;
    if (std::isfinite(stated)) figure = stated;
}

// A trial that met its target is made in full before the search takes it as
// the answer: true when that design holds, false when it failed (the trial
// is then a miss).
bool full_design_holds() {
    final_design();
    return !full_design_failed();
}

// The end of a search none of whose trial designs succeeded: no design is
// left (the design loop lets the user design again, as after a failed
// design), and the "***Warning" line says what was asked.
void no_design_left(const std::string& text) {
    KALTAP_Filter_Weights_Valid = false;
    KALTAP_Design_Failed = true;
    KALTAP_Reset_Design_Figures();
    warn(text + "; every trial design failed or did not converge, so no design is left");
}

// What the final design achieves, for the warning lines: measured from its
// taps at the grid points of each band. Where the exchange could not level
// the error (the engine has warned), the deviation-based figures would claim
// far more than the taps deliver; the measured ones never do.
std::string achieved(int i_passband, int i_stopband) {
    // A failed design has no taps to measure.
    if (KALTAP_Design_Failed || !KALTAP_Filter_Weights_Valid)
        return "no finite taps (the design failed), so no ripple or attenuation can be measured from it";
    double pass_low = HUGE_VAL, pass_high = -HUGE_VAL, stop_peak = 0.0;
    std::vector<double> response(static_cast<std::size_t>(Grid_Size > 0 ? Grid_Size : 0));
    KALTAP_Amplitude_Response_Many(Grid_Frequency.at(1), Grid_Size, Filter_Weights, Number_of_Weights,
                                   PMC_DCT_Type <= 2, response.data());
    auto in_band = [](double f, int band) { return f >= Band_Edges(2 * band - 1) && f <= Band_Edges(2 * band); };
    for (int j = 1; j <= Grid_Size; ++j) {
        const double f = Grid_Frequency(j), a = response[static_cast<std::size_t>(j - 1)];
        if (in_band(f, i_passband)) {
            pass_low = std::min(pass_low, a);
            pass_high = std::max(pass_high, a);
        } else if (in_band(f, i_stopband)) {
            stop_peak = std::max(stop_peak, std::fabs(a));
        }
    }
    const double ripple = pass_low > 0.0 ? 20.0 * std::log10(pass_high / pass_low) : HUGE_VAL;
    const double attenuation = stop_peak > 0.0 ? -20.0 * std::log10(stop_peak) : HUGE_VAL;
    return "p-p passband ripple " + num(ripple) + " dB and stopband attenuation " + num(attenuation) +
           " dB (measured from the taps)";
}

// ---- Number of weights ----

// Parity adjustment of a candidate count (mathematical remainder, so negative
// counts follow the same rule).
int parity_adjusted(int n) {
    const bool odd = ((n % 2) + 2) % 2 == 1;
    if (FIROPT_NOW == 1 && !odd) return n - 1;
    if (FIROPT_NOW == 2 && odd) return n - 1;
    return n;
}

// Smallest and largest counts of the requested parity the engine can design
// in the allocated storage.
int smallest_allowed_count() { return FIROPT_NOW == 2 ? Engine_Minimum_Count + 1 : Engine_Minimum_Count; }
int largest_allowed_count() { return parity_adjusted(Allocated_Number_of_Weights); }

// trunc(x) for an estimate that may be huge or not finite (NaN gives 0).
int truncated_count(double x) {
    if (!(x == x)) return 0;
    return static_cast<int>(std::max(-Count_Range, std::min(Count_Range, x)));
}

// ---- The three-point search ----

int feasibility_bit(double d, int k) { return d >= 0.0 ? 1 << (k - 1) : 0; }

// A trial whose design gave no finite deviation has no figure: it is a miss,
// not a value. Its d is NaN, its bit the one of its search's miss.
int trial_bit(const Three_Point_Search& s, double d, int k) {
    if (std::isnan(d)) return s.miss_at_or_above ? 1 << (k - 1) : 0;
    return feasibility_bit(d, k);
}

}  // namespace

// Three points x1 <= x2 <= x3 (or mirrored) bracket the value whose d is 0.
// A cycle evaluates the left point at Search_Start and the right point one
// step away on the side the left point's shortfall points to; each pass puts
// a middle point between them (secant root when d1 and d3 differ in sign,
// else bisection) and replaces an outer point by it by the case table, or
// restarts the cycle (cases 0 and 7). Trial values are kept inside
// [lowest, highest]; when the right point would coincide with the left one
// because of that limit the search ends.
Search_End FIROPT_Three_Point_Search(const Three_Point_Search& s, double Search_Start, double first_size) {
    auto clamp = [&](double x) { return std::max(s.lowest, std::min(s.highest, x)); };
    auto evaluate = [&](double x) {
        if (FIROPT_Trial_Observer) FIROPT_Trial_Observer(x);
        return s.evaluate(x);
    };
    double Search_Step = first_size;
    double Restart_Size = first_size;
    double x1, x2, x3, d1, d2, d3;
    int b1, b2, b3;
    for (int cycle = 1;; ++cycle) {
        if (cycle > FIROPT_Maximum_Cycles) return Search_End::Cycle_Cap;
        // 1. Left point.
        x1 = clamp(Search_Start);
        d1 = evaluate(x1);
        b1 = trial_bit(s, d1, 1);
        if (*s.At_Target) return Search_End::At_Target;
        // 2. Step towards the target: forward while the left point falls short
        // (a miss goes the way its bit says).
        const double size = std::fabs(s.restart_size ? Restart_Size : Search_Step);
        const bool forward = std::isnan(d1) ? b1 == 0 : -d1 >= 0.0;
        Search_Step = forward ? size : -size;
        // 3. Right point.
        x3 = clamp(x1 + Search_Step);
        if (x3 == x1) return Search_End::Limit_Reached;
        Search_Step = x3 - x1;
        d3 = evaluate(x3);
        b3 = trial_bit(s, d3, 3);
        if (*s.At_Target) return Search_End::At_Target;
        // 4. Passes.
        bool restart = false;
        for (int i = 1; i <= Passes_per_Cycle && !restart; ++i) {
            x2 = d1 * d3 < 0.0 ? (x1 * d3 - d1 * x3) / (d3 - d1) : (x1 + x3) / 2.0;
            // An infinite difference (a zero deviation gives an infinite
            // attenuation) makes the secant inf/inf: bisect instead, so no
            // NaN reaches the design.
            if (!(x2 >= std::min(x1, x3) && x2 <= std::max(x1, x3))) x2 = (x1 + x3) / 2.0;
            d2 = evaluate(x2);
            b2 = trial_bit(s, d2, 2);
            if (*s.At_Target) return Search_End::At_Target;
            const int c = b1 + b2 + b3;
            // A miss has no difference: the line says so instead.
            const std::string delta = std::isnan(d2) ? "none (failed design)" : num(d2);
            say(free_line({s.split_text, num(i), s.delta_text, delta, ", Turing table case", num(c)}));
            if (c > 7) {
                say(free_line({"###Error in " + s.routine + ", sum of test indices is", num(c)}));
                say("Computed to be between 0 and 7.");
                KALTAP_Stop();
            }
            auto right_becomes_middle = [&] {
                x3 = x2;
                d3 = d2;
                b3 = 2 * b2;
            };
            auto left_becomes_middle = [&] {
                x1 = x2;
                d1 = d2;
                b1 = b2 / 2;
            };
            switch (c) {
                case 0: {  // none reaches the target: move on and widen the step
                    Search_Start = std::max(Search_Start, Search_Start + Search_Step);
                    if (s.restart_size)
                        Restart_Size = 2.0 * Search_Step;
                    else
                        Search_Step = 2.0 * Search_Step;
                    restart = true;
                    break;
                }
                case 7: {  // all exceed it: start again below
                    const double m = std::min(Search_Start, Search_Start + Search_Step);
                    Search_Start = std::max(Case7_Shrink * m, m);
                    if (s.restart_size) Restart_Size = std::max(Stopband_Case7_Size, Case7_Shrink * Search_Step);
                    restart = true;
                    break;
                }
                case 1:
                case 6: right_becomes_middle(); break;
                case 3:
                case 4: left_becomes_middle(); break;
                default: {  // 2 and 5: by the tie rule of the search
                    if (std::isnan(d1) != std::isnan(d3)) {
                        // A miss has no difference to compare: the middle
                        // point replaces it, so both ends have figures.
                        if (std::isnan(d1))
                            left_becomes_middle();
                        else
                            right_becomes_middle();
                        break;
                    }
                    const bool d3_not_nearer = std::fabs(d3) >= std::fabs(d1);
                    if (d3_not_nearer == s.left_on_tie)
                        left_becomes_middle();
                    else
                        right_becomes_middle();
                    break;
                }
            }
            if (!restart) Search_Step = x3 - x1;
        }
        if (!restart) {
            say(">>>KALTAP_BW_Optimization: Solution is apparently on a discontinuity in stopband attenuation as a "
                "function of tansition.");
            return Search_End::Passes_Used;
        }
    }
}

namespace {

std::string end_reason(Search_End end) {
    switch (end) {
        case Search_End::Passes_Used: return "target not met within 16 passes";
        case Search_End::Limit_Reached: return "target not met within the range the search may try";
        case Search_End::Cycle_Cap: return "target not met within " + num(FIROPT_Maximum_Cycles) + " cycles";
        default: return "";
    }
}

// The trials of a three-point search: the searched value of the last one
// that succeeded, and whether a failed trial came after it.
struct Trial_Record {
    double last_success = std::nan("");
    bool failed_since = false;

    // A failed trial at x (a complete design when `complete`): its line, and
    // NaN, the search's miss.
    double failure(double x, bool complete) {
        say(free_line({"Trial at", num(x) + ",", failure_text(complete)}));
        failed_since = true;
        return std::nan("");
    }
    // A trial at x that succeeded with difference d: when d is within
    // `tolerance` of the target the trial is made in full, and meets the
    // target (*At_Target = 1) only when that design holds; otherwise it is a
    // miss after all.
    double success(double x, double d, double tolerance, int& At_Target) {
        if (std::fabs(d) <= tolerance) {
            if (!full_design_holds()) return failure(x, true);
            At_Target = 1;
        }
        last_success = x;
        failed_since = false;
        return d;
    }
    bool any_success() const { return std::isfinite(last_success); }
};

}  // namespace

void FIROPT_Minimize_No_of_Weights() {
    const Search_Progress progress("Search for the number of weights");
    const double R = FIR_Passband_PtoP_Ripple, A = FIR_Stopband_Attenuation;
    // 1-3.
    say("Minimize Number_of_Weights");
    const double dF = Band_Edges(3) - Band_Edges(2);
    int i_passband = 1, i_stopband = 2;
    identify_bands("FIROPT_Number_of_Weights", "FIROPT_Minimize_No_of_Weights", i_passband, i_stopband);
    // 4-5. Order estimate; its deviation ratio fixes the band weights.
    const double est0 = KALTAP_Estimate_Number_of_Weights(R, A, dF);
    say(free_line({"NOW_00:", num(est0)}));
    const double ratio = Stopband_Weight_Ratio;
    const bool estimate_usable = std::isfinite(est0) && usable_weight(ratio);
    set_band_weights(ratio, i_passband, i_stopband);
    // 6.
    Number_of_Weights = parity_adjusted(truncated_count(est0 + 0.5));
    // 7. Step size from the parity choice.
    int step = 1;
    if (FIROPT_NOW == 0) {
        step = 1;
    } else if (FIROPT_NOW == 1) {
        step = 2;
        say("Filter will be odd order");
    } else if (FIROPT_NOW == 2) {
        step = 2;
        say("Filter will be even order");
    } else {
        say(free_line({"###Error in FIROPT_Minimize_No_of_Weights, FIROPT_NOW option is", num(FIROPT_NOW)}));
        KALTAP_Stop();
    }
    if (!estimate_usable) {
        // No estimate (e.g. a ripple of 0 dB): the longest filter available.
        Number_of_Weights = largest_allowed_count();
        final_design();
        warn("FIROPT_Minimize_No_of_Weights: no order estimate can be formed for p-p ripple " + num(R) +
             " dB, stopband attenuation " + num(A) + " dB and transition " + num(dF) + "; the final design has " +
             num(Number_of_Weights) + " weights, " + achieved(i_passband, i_stopband));
        return;
    }
    // 8. Hard limits of the first design.
    const int limited = std::min(std::max(Number_of_Weights, Minimum_Trial_Count), Allocated_Number_of_Weights);
    if (limited != Number_of_Weights) {
        Number_of_Weights = limited;
        say(free_line({"Hard limited Number_of_weights:", num(Number_of_Weights)}));
    }
    // 9-12. One design at the estimate; its achieved figures give a second
    // estimate. A failed design there is a miss: no shorter filter is tried,
    // and its figures give no estimate.
    const int first_count = Number_of_Weights;
    trial_design();
    const bool first_failed = trial_failed();
    say(free_line({"i_passband,i_stopband:", num(i_passband), num(i_stopband)}));
    int NOW_low = 0;
    if (first_failed) {
        say(free_line({"Number_of_Weights:", num(first_count) + ",", failure_text(false)}));
        NOW_low = parity_adjusted(first_count + step);
    } else {
        const double band1_dB = KALTAP_Band_Deviation_dB(1);
        const double band2_dB = KALTAP_Band_Deviation_dB(2);
        say(free_line({"Deviations for bands 1 and 2:", num(band1_dB), num(band2_dB)}));
        const double ripple_last = KALTAP_Band_Deviation_dB(i_passband);
        const double stopband_last = KALTAP_Band_Deviation_dB(i_stopband);
        const double est1 = KALTAP_Estimate_Number_of_Weights(ripple_last, stopband_last, dF);
        say(free_line({"ripple_last,stopband_last,NOW_01:", num(ripple_last), num(stopband_last), num(est1)}));
        // 13. Lowest count tried: below the count by the amount the estimate fell short, less 3.
        const double s = est0 < est1 ? est1 - est0 : 0.0;
        NOW_low = parity_adjusted(truncated_count(Number_of_Weights - s + 0.5 - 3.0));
    }
    NOW_low = std::max(NOW_low, smallest_allowed_count());
    say(free_line({"NOW_low, adjusted:", num(NOW_low)}));
    // 14. Trials upwards; the first count that reaches the attenuation, and
    // whose complete design holds, wins. A failed trial is a miss.
    const int T = (step + FIROPT_Order_Trial_Span) / step;
    bool found = false;
    int last_tried = 0, last_succeeded = 0;
    for (int k = 0; k < T; ++k) {
        const int i = 1 + k * step;
        if (NOW_low + i - 1 > Allocated_Number_of_Weights) break;  // beyond the storage
        Number_of_Weights = NOW_low + i - 1;
        last_tried = Number_of_Weights;
        say(free_line({"NOW_low,i, Number_of_Weights:", num(NOW_low), num(i), num(Number_of_Weights)}));
        trial_design();
        // The length in 4 columns, or in as many as 10^4 weights and more take.
        const std::string trial = "Trial" + FMT_Integer(i, 3) + "," +
                                  FMT_Integer(Number_of_Weights, FMT_Integer_Width(Number_of_Weights, 4)) + " weights,";
        if (trial_failed()) {
            say(trial + " " + failure_text(false));
            continue;
        }
        const double ripple = KALTAP_Band_Deviation_dB(i_passband);
        const double atten = KALTAP_Band_Deviation_dB(i_stopband);
        say(trial + general_15_6(ripple) + " p-p passband ripple," + general_15_6(atten) + " stopband attenuation");
        if (!(atten >= A)) {
            last_succeeded = Number_of_Weights;
            continue;
        }
        if (full_design_holds()) {
            found = true;
            break;
        }
        say(trial + " " + failure_text(true));
    }
    if (found) return;  // 16. The complete design of the count found is in place.
    // 15. None qualified: the longest count whose trial succeeded (the last of
    // the span when every trial succeeded), else the estimate's.
    if (last_succeeded == 0 && !first_failed) last_succeeded = first_count;
    if (last_succeeded == 0) {
        // Every trial failed, the estimate's first.
        no_design_left("FIROPT_Minimize_No_of_Weights: no number of weights from " + num(first_count) + " to " +
                       num(std::max(first_count, last_tried)) + " reached the stopband attenuation of " + num(A) +
                       " dB with p-p ripple " + num(R) + " dB and transition " + num(dF));
        return;
    }
    Number_of_Weights = last_succeeded;
    // 16.
    final_design();
    warn("FIROPT_Minimize_No_of_Weights: no number of weights from " + num(NOW_low) + " to " + num(last_tried) +
         " reached the stopband attenuation of " + num(A) + " dB; the final design has " + num(Number_of_Weights) +
         " weights, " + achieved(i_passband, i_stopband));
}

void FIROPT_BW_Optimization(int Band_Edge_Index) {
    const Search_Progress progress("Search for the band edge");
    const double R = FIR_Passband_PtoP_Ripple, A = FIR_Stopband_Attenuation;
    FIROPT_BW_At_Target = 0;
    say("Maximize bandwidth");
    if (Band_Edge_Index != 2 && Band_Edge_Index != 3) {
        say(free_line({"###Error in FIROPT_BW_Optimization, Band_Edge_Index is", num(Band_Edge_Index)}));
        say("Must be either 2 or 3.");
        KALTAP_Stop();
    }
    int i_passband = 1, i_stopband = 2;
    identify_bands("FIROPT_BW_Optimization", "FIROPT_BW_Optimization", i_passband, i_stopband);
    // Estimated width; the deviation ratio of the figures fixes the weights.
    const double est = KALTAP_Estimate_Transition(R, A, Number_of_Weights);
    const double ratio = Stopband_Weight_Ratio;
    set_band_weights(ratio, i_passband, i_stopband);
    // The moved edge stays between the outer edges (and inside 0 .. 0.5).
    const double outer_low = std::max(Band_Edges(1), 0.0), outer_high = std::min(Band_Edges(4), 0.5);
    const double widest = Band_Edge_Index == 2 ? Band_Edges(3) - outer_low : outer_high - Band_Edges(2);
    auto transition_now = [&] { return Band_Edges(3) - Band_Edges(2); };
    if (!usable_weight(ratio) || !(widest >= Minimum_Transition)) {
        final_design();
        warn("FIROPT_BW_Optimization: no transition search is possible for p-p ripple " + num(R) +
             " dB, stopband attenuation " + num(A) + " dB and " + num(Number_of_Weights) +
             " weights; the final design has transition " + num(transition_now()) + ", " +
             achieved(i_passband, i_stopband));
        return;
    }
    // No usable estimate: start from the widest transition allowed.
    const double Search_Start = std::isfinite(est) && est > 0.0 ? std::min(std::max(est, Minimum_Transition), widest)
                                                                : widest;
    Three_Point_Search s;
    s.routine = "FIROPT_BW_Optimization";
    s.split_text = "Transition split";
    s.delta_text = ", delta stopband";
    s.left_on_tie = false;
    s.restart_size = false;
    s.miss_at_or_above = false;  // a miss falls short of the attenuation
    s.lowest = Minimum_Transition;
    s.highest = widest;
    s.At_Target = &FIROPT_BW_At_Target;
    auto set_transition = [&](double x) {
        if (Band_Edge_Index == 2)
            Band_Edges(2) = Band_Edges(3) - x;
        else
            Band_Edges(3) = Band_Edges(2) + x;
    };
    const double start_edge = Band_Edges(Band_Edge_Index);
    Trial_Record record;
    s.evaluate = [&](double x) {
        set_transition(x);
        trial_design();
        FIROPT_BW_At_Target = 0;
        if (trial_failed()) return record.failure(x, false);
        const double ripple = KALTAP_Band_Deviation_dB(i_passband);
        (void)ripple;  // measured for its console line
        const double atten = KALTAP_Band_Deviation_dB(i_stopband);
        return record.success(x, atten - A, Target_Tolerance_dB, FIROPT_BW_At_Target);
    };
    const Search_End end = FIROPT_Three_Point_Search(s, Search_Start, Search_Start / 10.0);
    // At the target the complete design is in place.
    if (end == Search_End::At_Target) return;
    if (!record.any_success()) {
        Band_Edges(Band_Edge_Index) = start_edge;
        no_design_left("FIROPT_BW_Optimization: no transition width reached the stopband attenuation of " + num(A) +
                       " dB with " + num(Number_of_Weights) + " weights and p-p ripple " + num(R) + " dB");
        return;
    }
    // Finish: the full design at the edges of the last point that succeeded.
    if (record.failed_since) set_transition(record.last_success);
    final_design();
    warn("FIROPT_BW_Optimization: " + end_reason(end) + " for stopband attenuation " + num(A) + " dB with " +
         num(Number_of_Weights) + " weights and p-p ripple " + num(R) + " dB; the final design has transition " +
         num(transition_now()) + " (band edge " + num(Band_Edge_Index) + " at " + num(Band_Edges(Band_Edge_Index)) +
         "), " + achieved(i_passband, i_stopband));
}

void FIROPT_Ripple_Optimization() {
    const Search_Progress progress("Search for the passband ripple");
    const double A = FIR_Stopband_Attenuation;
    FIROPT_Ripple_At_Target = 0;
    say("Minimize Peak-to-Peak Passband Ripple");
    int i_passband = 1, i_stopband = 2;
    identify_bands("FIROPT_Ripple_Optimization", "FIROPT_Ripple_Optimization", i_passband, i_stopband);
    const double dF = Band_Edges(3) - Band_Edges(2);
    const double est = KALTAP_Estimate_Ripple(A, dF, Number_of_Weights);
    say("FIR_Stopband_Attenuation,Transition,Number_of_Weights");
    say(free_line({num(A), num(dF), num(Number_of_Weights)}));
    // No usable estimate (the relation has no root: too few weights for the
    // attenuation at any ripple): start from the largest ripple allowed.
    const double Search_Start = std::isfinite(est) && est > 0.0
                                    ? std::min(std::max(est, Minimum_Ripple_dB), Maximum_Ripple_dB)
                                    : Maximum_Ripple_dB;
    const double start_weight = KALTAP_Weight_Ratio(Search_Start, A);
    if (!set_band_weights(start_weight, i_passband, i_stopband)) {
        final_design();
        const double ripple = KALTAP_Band_Deviation_dB_Quiet(i_passband);
        if (std::isfinite(ripple)) FIR_Passband_PtoP_Ripple = ripple;
        warn("FIROPT_Ripple_Optimization: no ripple search is possible for stopband attenuation " + num(A) +
             " dB; the final design has " + achieved(i_passband, i_stopband));
        return;
    }
    const double first_step = std::min(std::max(Search_Start / 10.0, Ripple_Step_Min), Ripple_Step_Max);
    double last_ripple = std::nan("");  // the ripple of the last trial that succeeded
    Three_Point_Search s;
    s.routine = "FIROPT_Ripple_Optimization";
    s.split_text = "Ripple split";
    s.delta_text = ", delta attenuation";
    s.left_on_tie = false;
    s.restart_size = false;
    s.miss_at_or_above = false;  // a miss falls short of the attenuation
    s.lowest = Minimum_Ripple_dB;
    s.highest = Maximum_Ripple_dB;
    s.At_Target = &FIROPT_Ripple_At_Target;
    auto set_weight = [&](double x) { Band_Weighting(i_stopband) = KALTAP_Weight_Ratio(x, A); };
    Trial_Record record;
    s.evaluate = [&](double x) {
        set_weight(x);
        trial_design();
        FIROPT_Ripple_At_Target = 0;
        if (trial_failed()) return record.failure(x, false);
        const double ripple = KALTAP_Band_Deviation_dB(i_passband);
        const double atten = KALTAP_Band_Deviation_dB(i_stopband);
        const double d = record.success(x, atten - A, Target_Tolerance_dB, FIROPT_Ripple_At_Target);
        if (!std::isnan(d)) last_ripple = ripple;
        return d;
    };
    const Search_End end = FIROPT_Three_Point_Search(s, Search_Start, first_step);
    if (!record.any_success()) {
        no_design_left("FIROPT_Ripple_Optimization: no ripple reached the stopband attenuation of " + num(A) +
                       " dB with " + num(Number_of_Weights) + " weights and transition " + num(dF));
        return;
    }
    // Finish: keep the ripple the last trial that succeeded achieved, and
    // complete that design (at the target it is complete).
    if (std::isfinite(last_ripple)) FIR_Passband_PtoP_Ripple = last_ripple;
    if (end == Search_End::At_Target) {
        // The complete design's figures, where they are measured (a rescued
        // design's taps), are those of its taps.
        if (KALTAP_Figures_Measured()) take_stated_dB(i_passband, FIR_Passband_PtoP_Ripple);
        return;
    }
    if (record.failed_since) set_weight(record.last_success);
    final_design();
    // Its trial's figure is not that of taps whose figures are measured (a
    // design that did not converge, or a rescued one).
    if (KALTAP_Figures_Measured()) take_stated_dB(i_passband, FIR_Passband_PtoP_Ripple);
    warn("FIROPT_Ripple_Optimization: " + end_reason(end) + " for stopband attenuation " + num(A) + " dB with " +
         num(Number_of_Weights) + " weights and transition " + num(dF) + "; the final design has " +
         achieved(i_passband, i_stopband));
}

void FIROPT_Stopband_Optimization() {
    const Search_Progress progress("Search for the stopband attenuation");
    const double R = FIR_Passband_PtoP_Ripple;
    FIROPT_Stopband_At_Target = 0;
    say("Find Stopband Attenuation");
    int i_passband = 1, i_stopband = 2;
    identify_bands("FIROPT_Stopband_Optimization", "FIROPT_Stopband_Optimization", i_passband, i_stopband);
    const double dF = Band_Edges(3) - Band_Edges(2);
    const double est = KALTAP_Estimate_Attenuation(R, dF, Number_of_Weights);
    const double Search_Start = std::isfinite(est) && est > 0.0
                                    ? std::min(std::max(est, Minimum_Attenuation_dB), Maximum_Attenuation_dB)
                                    : Fallback_Attenuation_dB;
    // The weight of a trial is dp/ds: it needs a ripple above 0 dB.
    const double start_weight = KALTAP_Weight_Ratio(R, Search_Start);
    if (!set_band_weights(start_weight, i_passband, i_stopband)) {
        final_design();
        const double atten = KALTAP_Band_Deviation_dB_Quiet(i_stopband);
        if (std::isfinite(atten)) FIR_Stopband_Attenuation = atten;
        warn("FIROPT_Stopband_Optimization: no attenuation search is possible for p-p ripple " + num(R) +
             " dB; the final design has " + achieved(i_passband, i_stopband));
        return;
    }
    const double restart_size = std::min(std::max(Search_Start / 10.0, Stopband_Step_Min), Stopband_Step_Max);
    const double tolerance = std::min(Target_Tolerance_dB, Ripple_Tolerance_Factor * R);
    double last_attenuation = std::nan("");  // the attenuation of the last trial that succeeded
    Three_Point_Search s;
    s.routine = "FIROPT_Stopband_Optimization";
    s.split_text = "Stopband split";
    s.delta_text = ", delta p-p passband ripple";
    s.left_on_tie = true;
    s.restart_size = true;
    s.miss_at_or_above = true;  // a miss asked for more attenuation than the ripple allows
    s.lowest = Minimum_Attenuation_dB;
    s.highest = Maximum_Attenuation_dB;
    s.At_Target = &FIROPT_Stopband_At_Target;
    auto set_weight = [&](double x) { Band_Weighting(i_stopband) = KALTAP_Weight_Ratio(R, x); };
    Trial_Record record;
    s.evaluate = [&](double x) {
        set_weight(x);
        trial_design();
        FIROPT_Stopband_At_Target = 0;
        if (trial_failed()) return record.failure(x, false);
        const double ripple = KALTAP_Band_Deviation_dB(i_passband);
        const double atten = KALTAP_Band_Deviation_dB(i_stopband);
        const double d = record.success(x, ripple - R, tolerance, FIROPT_Stopband_At_Target);
        if (!std::isnan(d)) last_attenuation = atten;
        return d;
    };
    const Search_End end = FIROPT_Three_Point_Search(s, Search_Start, restart_size);
    if (!record.any_success()) {
        no_design_left("FIROPT_Stopband_Optimization: no attenuation reached the p-p passband ripple of " + num(R) +
                       " dB with " + num(Number_of_Weights) + " weights and transition " + num(dF));
        return;
    }
    // Finish: keep the attenuation the last trial that succeeded achieved,
    // and complete that design (at the target it is complete).
    if (std::isfinite(last_attenuation)) FIR_Stopband_Attenuation = last_attenuation;
    if (end == Search_End::At_Target) {
        if (KALTAP_Figures_Measured()) take_stated_dB(i_stopband, FIR_Stopband_Attenuation);
        return;
    }
    if (record.failed_since) set_weight(record.last_success);
    final_design();
    // Its trial's figure is not that of taps whose figures are measured (a
    // design that did not converge, or a rescued one).
    if (KALTAP_Figures_Measured()) take_stated_dB(i_stopband, FIR_Stopband_Attenuation);
    warn("FIROPT_Stopband_Optimization: " + end_reason(end) + " for p-p passband ripple " + num(R) + " dB with " +
         num(Number_of_Weights) + " weights and transition " + num(dF) + "; the final design has " +
         achieved(i_passband, i_stopband));
}
