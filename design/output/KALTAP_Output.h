// Results output: frequency response evaluation, the weight, response and
// hexadecimal CSV files, and the design reports.
#pragma once

#include <string>

#include "KALTAP_Arrays.h"

// Real amplitude (zero-phase) response at f (cycles per sample) of the
// linear-phase filter of length N whose first ceil(N/2) taps are w(1..).
// symmetric: true for cases 1 and 2 (cosine terms), false for 3 and 4 (sine
// terms). With m = N/2 and s = -0.5 (even N) or 0 (odd N):
//   2 * ( [N odd] 0.5*w(m+1) + sum_{i=1..m} T((i+s)*2*pi*f) * w(m+1-i) ).
// The terms are summed in blocks of KALTAP_Trig_Block in four interleaved
// partial sums (see KALTAP_Dot). Pure: reads nothing else.
double KALTAP_Amplitude_Response(double f, const Array1<double>& w, int N, bool symmetric);

// The same at count frequencies f[0..count-1] into result[0..count-1],
// spread over the machine's cores; each value equals the single-frequency call.
void KALTAP_Amplitude_Response_Many(const double* f, int count, const Array1<double>& w, int N,
                                    bool symmetric, double* result);

// ---- Result files (working directory, names prefixed CCYYMMDD_hhmm_) ----

// "<stamp>Filter_Weights.csv": header "i,Weight", then taps 1..N of the full
// impulse response. Taps below 1e-12 in magnitude become 0 in the design state.
void KALTAP_Write_CSV();
// "<stamp>Frequency_Response.csv": header "Frequency,Response (dB)", then
// N*Search_Grid_Density+1 points from 0 to 0.5, floored at -100 dB.
void KALTAP_Frequency_Response_CSV();
// "<stamp>Hex_Weights.csv": the quantized weights in decimal and hexadecimal;
// written after KALTAP_Quantizer.
void KALTAP_Write_Hex_CSV();

// The time-stamp prefix of the result files: CCYYMMDD_hhmm_ (local time).
std::string KALTAP_File_Stamp();

// ---- Design reports ----

// The classical listing of a finished design on `unit`. Weights below 1e-6
// in magnitude are set to 0 in the design state before they are listed.
void KALTAP_Classical_Output(int unit);
// The listing of the quantized weights (Rounded_Weights) for `bits` bits.
void KALTAP_Quantized_Output(int unit, int bits);
