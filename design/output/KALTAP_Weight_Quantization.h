// SPDX-License-Identifier: GPL-3.0-or-later
// Quantization of the designed weights to signed fixed-point integers.
//
// M = (N+1)/2 unique taps are quantized: Q(i) = nearest integer (halves away
// from zero) to Scale_Factor * Filter_Weights(i), with
// Scale_Factor = (2^(B-1) - 1) / max |Filter_Weights(i)| and B = KALTAP_Bits.
// The other half of the impulse response follows by the symmetry of the case.
#pragma once

#include "KALTAP_Arrays.h"

// Word lengths the quantizer accepts.
constexpr int KALTAP_Minimum_Bits = 2;
constexpr int KALTAP_Maximum_Bits = 48;

extern double Scale_Factor;
extern Array1<long long> Scaled_Weights;    // Q(1..M)
extern Array1<double> Rounded_Weights;      // Q(i) / Scale_Factor
extern Array1<double> Scaled_Weights_Real;  // real copy of Q(i)
// Deviation of band k (1..Number_of_Bands) measured from Rounded_Weights as
// KALTAP_Measure_Band_Deviations measures it: the quantized report's figures.
extern Array1<double> Rounded_Band_Deviation;
extern bool Weights_Quantized;

// Quantize the current design to KALTAP_Bits bits and write the quantized
// report to the console (unit 6) and then to the run log (when one is open).
// Precondition: a finished design (KALTAP_Filter_Weights_Valid).
// Stops (orderly) with their messages:
//  - invalid weights: "###Error in KALTAP_Quantizer, called with
//    KALTAP_Filter_Weights_Valid==.FALSE." on the console, then a stop;
//  - B < 2: stop text "####Error in KALTAP_Quantizer, called with KALTAP_Bits = B";
//  - B > 48: "Weight quantization:" on the console, then stop text "Bad KALTAP_Bits".
//  - a weight that is not finite, or a largest weight so small that the scale
//    factor overflows: "###Error in KALTAP_Quantizer, Filter_Weights(<i>) is
//    not finite: <value>" / "..., Scale_Factor is not finite: ..." on the
//    console, Weights_Quantized false, then a stop.
// A design whose weights are all zero has no largest weight to scale by: it
// gets a warning line and the scale factor of a largest weight of 1, so every
// Q(i) is 0.
// Effect: Scale_Factor and the three arrays (extent M) filled, the rounded
// taps measured into Rounded_Band_Deviation, Weights_Quantized true.
void KALTAP_Quantizer();

// Release the quantization arrays; Weights_Quantized becomes false. Called by
// every KALTAP_Release_Arrays (and so by every new design) as well.
void KALTAP_Release_Quantization_Arrays();
