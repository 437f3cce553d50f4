// SPDX-License-Identifier: GPL-3.0-or-later
// The design engine: filter requirements in the design state -> equiripple
// linear-phase FIR filter (Parks-McClellan).
//
// KALTAP_Design builds the dense grid with the desired response and weight on
// it, reduces the linear-phase case to a cosine-series approximation, runs the
// Remez exchange and converts the best approximation into Filter_Weights.
// Preconditions: KALTAP_New_Design has sized the arrays; N, Number_of_Bands,
// Search_Grid_Density, Type_of_Filter and the band arrays are set.
// A design larger than the allocation ends in the storage-problem
// stop; a count below 3, no band or a density below 1 ends in an
// "###Error in KALTAP_Design" line and an orderly stop.
// A full design whose taps are not finite, or have collapsed (their
// magnitudes add up to more than a million times the largest response asked
// for: the filter requirements ask for more precision than double arithmetic
// holds), does not stop: it writes one "###Error in KALTAP_Design: ..." line
// to the run log and the console and returns with KALTAP_Filter_Weights_Valid
// false and KALTAP_Design_Failed true. Every other full design is measured
// from its taps (KALTAP_Design_Figures.h), which decides the figures it
// states. A valid design whose response between bands rises more than 20 dB
// above every band's gain gets a "***Warning" line in the run log.
#pragma once

#include "KALTAP_Arrays.h"

void KALTAP_Design();

// An exchange that ends on machine rounding with a levelled deviation below
// 64 units of rounding of the largest weighted desired value (its evenly
// spread start lay too far from the optimum) starts again, for a design of at
// least 64 independent coefficients, from the extremal set of a design of the
// same bands with about half the weights (designed silently, itself restarted
// the same way where it is lost), scaled band by band to the grid; the
// restart is kept when it levels higher. The run log says so in a line after
// the first exchange's failure and another after the restart. Returns the
// weights of that shorter design when the last design kept a restart; 0
// otherwise.
int KALTAP_Restart_Weights();

// The rescue of a full design whose exchange lost its way in double
// arithmetic: its taps were not finite or had collapsed, or they miss the
// levelled deviation at the grid points. An exchange whose level is a number
// first has its own set levelled and its taps formed again in quadruple precision
// (KALTAP_Precise_Series, up to 8192 weights), which is kept when those taps
// meet the level. Otherwise the engine designs the same
// requirements at about 32 weights, then at lengths growing by half each time
// (each exchange started from the extremal set of the length before, scaled
// to its grid): by its own exchange in double arithmetic (its taps formed in
// quadruple precision where the double series misses), and where those
// taps miss their levelled deviation by the precise exchange
// (KALTAP_Precise_Exchange.h) in long double and then in quadruple precision
// (from the long double exchange's set). It goes on until a design's
// levelled deviation reaches the rounding of double taps (16 units of
// rounding of the largest weighted desired value) or its taps' rounding
// dominates their error, or the length asked for is reached; between the last
// two lengths it halves the interval (to within a sixteenth of the longer)
// towards the shortest that reaches it. A design counts when its exchange
// converged and its taps are finite.
// The taps are then those of the design, of all the rescue made, whose taps
// have the smallest weighted error at its grid points: the length asked for,
// or a shorter one with zeros added at both ends to the length asked for
// (the same delay and the same linear-phase case). The rescue replaces the
// first design only when its taps' weighted error on the grid is smaller. The
// precise exchange works on lengths up to 2048 weights (long double) and 512
// (quadruple precision).
enum class KALTAP_Rescue_Path {
    None,     // the design is the exchange's own
    Precise,  // the length asked for, designed again
    Padded    // a shorter design, padded with zeros
};
enum class KALTAP_Rescue_Arithmetic { Double, Long_Double, Quadruple };
struct KALTAP_Rescue {
    KALTAP_Rescue_Path path = KALTAP_Rescue_Path::None;
    int weights = 0;        // the length designed
    int start_weights = 0;  // the length its exchange's start was scaled from; 0: evenly spread
    KALTAP_Rescue_Arithmetic arithmetic = KALTAP_Rescue_Arithmetic::Double;  // of its exchange
    bool quadruple_series = false;   // its taps were formed in quadruple precision
    bool exchange_converged = true;  // else its exchange ended on machine rounding
    int iterations = 0;              // of that design's exchange
    double deviation = 0.0;          // its levelled deviation (weighted)
    int extremal_points = 0;         // of its extremal set
};
const KALTAP_Rescue& KALTAP_Last_Rescue();
// false keeps the exchange's own design whatever its outcome (for checking
// the failure path and the exchange's own reports).
extern bool KALTAP_Rescue_Enabled;

// Points of the extremal set the report lists: Half_Length+1, or for a padded
// design those of the shorter design (Extremal_Index(1..count) then points
// at the grid points nearest to its extremal frequencies).
int KALTAP_Extremal_Count();

// Steps of KALTAP_Design, each working on the design state.
void KALTAP_Set_Up_Grid();
void KALTAP_Band_Response(int j, int band, double f);
// The desired response and the weight that band `band` asks for at frequency
// f, before the case conversion (KALTAP_Band_Response stores them for grid
// point j). The differentiator's weight is divided by f where its slope is
// not flat, so it is infinite at f = 0.
void KALTAP_Band_Requirement(int band, double f, double& desired, double& weight);
void KALTAP_Convert_Case();
void KALTAP_Cosine_Coefficients(const Array1<double>& edges, int number_of_bands);
void KALTAP_Recover_Weights();

// The equalizer's response routine: fills the desired value and the weight of
// grid point j at frequency f. Installed by the equalizer module; an
// equalizer design without it is an internal error.
using KALTAP_Equalizer_Response_Routine = void (*)(double f, int j, double& desired, double& weight);
extern KALTAP_Equalizer_Response_Routine KALTAP_Equalizer_Response_Hook;

// Largest weighted error of the final taps on the grid, measured after the
// last full design (before the case conversion), and where it occurs; and the
// peak magnitude of the response in the gaps between bands (gap_band k: the
// gap between bands k and k+1; 0 when no gap was measured). A design whose
// taps are not finite leaves every field at its initial value.
struct KALTAP_Ripple_Check {
    double largest_error = 0.0;
    double frequency = 0.0;
    bool warned = false;
    double gap_peak = 0.0;       // linear magnitude
    double gap_frequency = 0.0;  // cycles per sample
    int gap_band = 0;
    bool gap_warned = false;  // the peak exceeded 10 times the largest band gain
};
const KALTAP_Ripple_Check& KALTAP_Last_Ripple_Check();
