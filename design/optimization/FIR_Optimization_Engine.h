// SPDX-License-Identifier: GPL-3.0-or-later
// Searches over a two-band (one passband, one stopband) linear-phase design:
// the program is given four of the five figures of the filter (number of
// weights, p-p passband ripple, stopband attenuation, transition width and the
// bandwidth it leaves) and finds the fifth by calling the design engine
// repeatedly. Each routine works on the design state (two bands set up by
// the caller, arrays sized by KALTAP_New_Design) and leaves there the final,
// complete design with KALTAP_Filter_Weights_Valid true (unless it failed, below).
//
// Common guarantees of the four searches:
// - Band 1 or band 2 is the passband (desired value within 1e-6 of 1), the
//   other the stopband (|desired| at most 1e6). Otherwise, and for the other
//   faults listed with each routine, an "###Error in ..." line is written and
//   the design program stops (KALTAP_Stop).
// - Only finite, positive band weights, band edges inside [edge 1, edge 4]
//   and counts from 3 to Allocated_Number_of_Weights reach the engine.
// - Every search ends. One that ends without meeting its target (no trial
//   qualified, a figure or estimate that cannot be formed, the limit of the
//   searched value reached, 16 passes used, the cycle cap reached) writes one
//   line beginning "***Warning" to the run log and the console naming what was
//   asked and what the final design achieves.
// - Trial designs are made with Deviations_Only; only the last is complete.
//   A trial has failed when its exchange did not converge (iteration limit,
//   machine rounding, a deviation that is not a number); a trial that meets
//   the target is made in full before it is taken, and has failed when that
//   design fails (taps not finite or collapsed) or does not converge
//   (KALTAP_Design_Converged). A failed trial is a miss: it never counts as
//   meeting the target, and its figures never steer the search (no estimate,
//   secant or interpolation is formed from them). The search ends on the
//   design of the last trial that succeeded.
// - A search none of whose trials succeeded leaves no design: it writes one
//   "***Warning" line saying so, leaves KALTAP_Filter_Weights_Valid false and
//   sets KALTAP_Design_Failed, as a failed design does.
// - When the final design fails (its taps are not finite, KALTAP_Design_Failed)
//   the search ends with a "***Warning" line saying so; no figure is measured
//   from such taps, and KALTAP_Filter_Weights_Valid stays false.
// Progress lines go to the console.
#pragma once

#include <functional>
#include <string>

// Figures of the two-band filter (dB) and the parity choice of the
// number-of-weights search: 0 any, 1 odd, 2 even.
extern double FIR_Passband_PtoP_Ripple;  // start value 1.0
extern double FIR_Stopband_Attenuation;  // start value 40.0
extern int FIROPT_NOW;                   // start value 0

// Set by every trial evaluation of the matching search: 1 when the trial met
// the search's target within its tolerance, else 0.
extern int FIROPT_BW_At_Target;
extern int FIROPT_Ripple_At_Target;
extern int FIROPT_Stopband_At_Target;

// When set, called with the searched value (transition width, ripple or
// attenuation) of every trial of the three-point searches, just before the
// trial design: a window on the search's path for diagnostics.
extern std::function<void(double)> FIROPT_Trial_Observer;

// When set, asked after every trial design of a search, and after the
// complete design of a trial that met the target, whether to take that
// design as failed, whatever the engine made of it: a stand-in for filter
// requirements beyond double arithmetic, for tests.
extern std::function<bool()> FIROPT_Design_Fault;

// The number-of-weights search tries the counts NOW_low .. NOW_low + this
// span above its lowest count (NOW_low is at most the rounded estimate).
constexpr int FIROPT_Order_Trial_Span = 14;

// Largest number of cycles (restarts of the three-point search) of one search.
constexpr int FIROPT_Maximum_Cycles = 60;

// Smallest Number_of_Weights whose equiripple design reaches
// FIR_Stopband_Attenuation for the band edges in the design state, with the
// parity FIROPT_NOW asks for (a failed trial never qualifies). The band
// weights are fixed from the order estimate (passband 1, stopband dp/ds).
// Leaves that count, those weights and the complete design. When the design
// at the estimate fails, only longer filters are tried. When no count of the
// span qualifies, the final design is the longest whose trial succeeded.
// Stops on a FIROPT_NOW other than 0, 1 or 2.
void FIROPT_Minimize_No_of_Weights();

// Transition width at which the design with Number_of_Weights just reaches
// FIR_Stopband_Attenuation (within 1e-4 dB on the grid), with the weights fixed
// from FIR_Passband_PtoP_Ripple and FIR_Stopband_Attenuation. Band_Edge_Index
// 2 moves edge 2 (edge 2 = edge 3 - width), 3 moves edge 3 (edge 3 = edge 2 +
// width); other values stop. Leaves the moved edge and the complete design.
void FIROPT_BW_Optimization(int Band_Edge_Index);

// P-p passband ripple at which the design with Number_of_Weights and the band
// edges in the design state just reaches FIR_Stopband_Attenuation (within 1e-4
// dB on the grid); the ripple sets the stopband weight. Stores the ripple the
// final design achieves in FIR_Passband_PtoP_Ripple.
void FIROPT_Ripple_Optimization();

// Stopband attenuation at which the design's p-p passband ripple just equals
// FIR_Passband_PtoP_Ripple (within min(1e-4, 0.01 x ripple) dB); the
// attenuation sets the stopband weight. Stores the attenuation the final
// design achieves in FIR_Stopband_Attenuation.
void FIROPT_Stopband_Optimization();

// ---- The three-point search the last three routines share ----
//
// Three points x1, x2, x3 with differences d_k = achieved - target and bits
// b_k = 2^(k-1) when d_k >= 0 bracket the value where d = 0. A cycle puts the
// left point at Search_Start and the right point one step beyond it (forward
// when d1 <= 0, backward otherwise); each of up to 16 passes evaluates a middle
// point (secant root when d1 and d3 differ in sign, else the bisection),
// writes its progress line and acts on the case number b1 + b2 + b3:
// 1, 6 right := middle; 3, 4 left := middle; 2, 5 the tie rule below (an
// end that is a miss is the one replaced);
// 0 restart further on with a doubled step; 7 restart below the start.
// An evaluation that sets *At_Target ends the search at once. Trial values
// are kept inside [lowest, highest]; a cycle whose right point would fall on
// its left point because of that range ends the search, and so does the
// FIROPT_Maximum_Cycles-th cycle.
enum class Search_End { At_Target, Passes_Used, Limit_Reached, Cycle_Cap };

struct Three_Point_Search {
    std::string routine;            // name in the error lines
    std::string split_text;         // start of the progress line
    std::string delta_text;         // label of d_2 in the progress line
    bool left_on_tie;               // cases 2 and 5: left := middle when |d3| >= |d1| (else right := middle)
    bool restart_size;              // cases 0 and 7 set a separate restart size (stopband search)
    bool miss_at_or_above = false;  // bit of a miss (evaluate returned NaN): as d >= 0 when set, else as d < 0
    double lowest, highest;         // valid range of the searched value
    // Trial at x: returns d = achieved - target, or NaN for a miss (a trial
    // design without a finite deviation), which never sets *At_Target and
    // never enters a secant step.
    std::function<double(double)> evaluate;
    const int* At_Target;
};

// Runs the search from Search_Start with first step (or restart) size
// first_size and says how it ended. After 16 passes it writes the
// ">>>KALTAP_BW_Optimization: ..." line first.
Search_End FIROPT_Three_Point_Search(const Three_Point_Search& s, double Search_Start, double first_size);
