// SPDX-License-Identifier: GPL-3.0-or-later
// The amplitude response on a uniform frequency grid by one discrete Fourier
// transform of the taps.
//
// The plots evaluate the response at up to 3*N*density + 1 equally spaced
// frequencies; the direct sum (KALTAP_Amplitude_Response) costs N/2 terms
// per frequency, the transform a few dozen operations per frequency. The
// transform is Bluestein's chirp transform, for a grid of any length, over
// power-of-two FFTs of at least four times N/2 points taken block by block,
// so its scratch memory stays small beside the grid and nothing is planned
// for a new length. Its values agree with the direct sum's to a few units in
// the last place of the sum of |taps| (times log2 of the FFT size), plus the
// direct sum's own rounding of its angles, which grows with |f|.
#pragma once

#include "KALTAP_Arrays.h"

// A[q*stride] = amplitude response (as KALTAP_Amplitude_Response defines it:
// taps w(1 .. ceil(N/2)) of the length-N filter, cosine terms when symmetric,
// sine terms otherwise) at the grid frequency
//   f_q = f0 + a*q/L,  q = 0 .. count-1,
// for f0 a whole multiple of 1/2, 1 <= a, L <= 2^30 and stride >= 1 (2
// writes into the value column of (f, value) rows). The transform has length
// L / gcd(a, L). Returns false, leaving A undefined, when the grid does not
// have that form, a tap is not finite, or a value comes out non-finite: the
// caller then takes the direct sum.
bool KALTAP_Uniform_Response(const Array1<double>& w, int N, bool symmetric, double f0, long long a, long long L,
                             int count, double* A, int stride);
