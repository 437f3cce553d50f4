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
    bool gap_warned = false;     // the peak exceeded 10 times the largest band gain
};
const KALTAP_Ripple_Check& KALTAP_Last_Ripple_Check();
