// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency response evaluation: the real amplitude response of a
// linear-phase filter from the first half of its taps.
#pragma once

#include "KALTAP_Arrays.h"

// Real amplitude (zero-phase) response at f (cycles per sample) of the
// linear-phase filter of length N whose first ceil(N/2) taps are w(1..).
// symmetric: true for cases 1 and 2 (cosine terms), false for 3 and 4 (sine
// terms). With m = N/2 and s = -0.5 (even N) or 0 (odd N):
//   2 * ( [N odd] 0.5*w(m+1) + sum_{i=1..m} T((i+s)*2*pi*f) * w(m+1-i) ).
// The sum is the engine's weighted trigonometric sum (KALTAP_Fast_Trig_Sum:
// blocks of 16 terms carried by the angle-addition formulas from the fast
// kernel's values). Pure: reads nothing else.
double KALTAP_Amplitude_Response(double f, const Array1<double>& w, int N, bool symmetric);

// The same at count frequencies f[0..count-1] into result[0..count-1],
// spread over the machine's cores; each value equals the single-frequency call.
void KALTAP_Amplitude_Response_Many(const double* f, int count, const Array1<double>& w, int N, bool symmetric,
                                    double* result);
