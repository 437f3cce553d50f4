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
#pragma once

#include "KALTAP_Arrays.h"

void KALTAP_Design();

// Steps of KALTAP_Design, each working on the design state.
void KALTAP_Set_Up_Grid();
void KALTAP_Band_Response(int j, int band, double f);
void KALTAP_Convert_Case();
void KALTAP_Cosine_Coefficients(const Array1<double>& edges, int number_of_bands);
void KALTAP_Recover_Weights();

// The equalizer's response routine: fills the desired value and the weight of
// grid point j at frequency f. Installed by the equalizer module; an
// equalizer design without it is an internal error.
using KALTAP_Equalizer_Response_Routine = void (*)(double f, int j, double& desired, double& weight);
extern KALTAP_Equalizer_Response_Routine KALTAP_Equalizer_Response_Hook;

// Largest weighted error of the final taps on the grid, measured after the
// last full design (before the case conversion), and where it occurs.
struct KALTAP_Ripple_Check {
    double largest_error = 0.0;
    double frequency = 0.0;
    bool warned = false;
};
const KALTAP_Ripple_Check& KALTAP_Last_Ripple_Check();
