// Quantization of the designed weights to signed fixed-point integers.
//
// M = (N+1)/2 unique taps are quantized: Q(i) = nearest integer (halves away
// from zero) to Scale_Factor * Filter_Weights(i), with
// Scale_Factor = (2^(B-1) - 1) / max |Filter_Weights(i)| and B = KALTAP_Bits.
#pragma once

#include "KALTAP_Arrays.h"

extern double Scale_Factor;
extern Array1<long long> Scaled_Weights;     // Q(1..M)
extern Array1<double> Rounded_Weights;       // Q(i) / Scale_Factor
extern Array1<double> Scaled_Weights_Real;   // real copy of Q(i)
extern bool Weights_Quantized;

// Quantize the current design to KALTAP_Bits bits and write the quantized
// report to the console and to the run log. Invalid weights, B < 2 and B > 48
// stop the run with their messages.
void KALTAP_Quantizer();

// Release the three arrays; Weights_Quantized becomes false.
void KALTAP_Release_Quantization_Arrays();
