// SPDX-License-Identifier: GPL-3.0-or-later
// Design state: the process-wide variables of the current design.
//
// Frequencies are fractions of the sample rate (cycles per sample, 0..0.5);
// all arrays are one-based. Only the design program's thread touches them.
#pragma once

#include <string>

#include "KALTAP_Arrays.h"

// ---- Filter requirements (set by the input paths and the test cases) ----
extern int Number_of_Weights;              // filter length N, 3..16385 from the dialogs
extern int Number_of_Bands;                // 1..129; 0 becomes 2 at initialisation
extern int Search_Grid_Density;            // grid points per extremal frequency; 0 becomes 16
extern int Type_of_Filter;                 // 1 bandpass, 2 differentiator, 3 Hilbert transformer, 4 equalizer
extern int KALTAP_BandType;                // 1 low-pass two-band, 2 classical / equalizer, 3 high-pass two-band
extern Array1<double> Band_Edges;          // (2k-1, 2k): lower and upper edge of band k
extern Array1<double> Band_Desired_Value;  // gain of band k (slope for the differentiator)
extern Array1<double> Band_Weighting;      // weight of the error in band k (> 0)
extern int KALTAP_Bits;                    // -1 not chosen, 0 no rounding, 2..48 quantize

// ---- Derived from N and Type_of_Filter ----
extern int Antisymmetric;  // 1 for differentiator and Hilbert transformer
extern int Half_Length;    // number of independent coefficients
extern int PMC_DCT_Type;   // linear-phase case 1..4

// ---- Engine results ----
extern int Grid_Size;
extern Array1<double> Grid_Frequency, Grid_Desired, Grid_Weight;  // extent Grid_Capacity
extern Array1<int> Extremal_Index;                                // extent Extremal_Capacity
extern Array1<double> Extremal_Cosine, Extremal_Value, Barycentric_Weight;
extern Array1<double> Cosine_Coefficients;
extern Array1<double> Filter_Weights;  // first Half_Length taps (case 3: plus the zero centre tap)
extern double Remez_Deviation;         // weighted equiripple deviation (>= 0)
extern bool KALTAP_Filter_Weights_Valid;
// True after a full design whose taps came out non-finite (the filter
// requirements ask for more precision than double arithmetic holds), and
// after a two-band search none of whose trial designs succeeded: the weights
// are invalid and the design loop lets the user design again. Cleared at the
// start of every design.
extern bool KALTAP_Design_Failed;
extern bool Deviations_Only;  // one-shot: next design stops after the exchange
extern bool Quiet_Remez;      // no per-iteration log lines while set

// ---- Sizes remembered at allocation ----
extern int Allocated_Number_of_Weights, Allocated_Number_of_Bands, Allocated_Grid_Density;
extern int Extremal_Capacity;  // (N+1)/2 + 10
extern int Grid_Capacity;      // Number_of_Bands + Search_Grid_Density * Extremal_Capacity + 20

// Scratch text for numbers appended to log lines.
extern std::string Number_Buffer;

// New-design initialisation: derive, release, allocate, write the log lines.
void KALTAP_New_Design();
// Recompute Antisymmetric, Half_Length, PMC_DCT_Type; KALTAP_Bits = -1;
// weights invalid; 0 bands become 2 and density 0 becomes 16.
void KALTAP_Derive_Parameters();
// Release every design array and then call the registered release routines
// (the quantizer's arrays go this way); the weights are no longer valid and
// the figures measured from them are forgotten.
void KALTAP_Release_Arrays();
// Register a routine that releases arrays kept beside the design state by a
// layer above the engine; KALTAP_Release_Arrays calls every registered routine
// once per call, in the order registered. Register once per routine (a static
// initialiser of its own file); registering does not call it.
void KALTAP_Add_Release_Routine(void (*release)());
// Record the allocated sizes and allocate the design arrays.
void KALTAP_Allocate_Arrays();
