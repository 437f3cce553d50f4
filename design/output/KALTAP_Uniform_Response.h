// The amplitude response on a uniform frequency grid by one discrete Fourier
// transform of the taps, with a bound on its distance from the direct sum
// (KALTAP_Amplitude_Response).
//
// The plots evaluate the response at up to 48*N*density + 1 equally spaced
// frequencies; the direct sum costs N/2 terms per frequency, the transform a
// few dozen operations per frequency. The transform is Bluestein's chirp
// transform, for a grid of any length, over power-of-two FFTs of at least
// four times N/2 points taken block by block, so its scratch memory stays
// small beside the grid. Its values differ from the direct sum's in the last
// bits, so callers that must show what the direct sum shows use the bound to
// find the few frequencies where the difference could matter, and take the
// direct sum there.
#pragma once

#include "KALTAP_Arrays.h"

// |A_transform(f) - A_direct(f)| <= base + per_frequency * |f|, f in cycles per
// sample, for f as the caller computed it: within a few units in the last
// place of the grid's exact frequency.
struct KALTAP_Response_Bound {
    double base = 0.0;
    double per_frequency = 0.0;
    double at(double f) const { return base + per_frequency * (f < 0.0 ? -f : f); }
};

// A[q*stride] = amplitude response (as KALTAP_Amplitude_Response defines it: taps
// w(1 .. ceil(N/2)) of the length-N filter, cosine terms when symmetric, sine
// terms otherwise) at the grid frequency
//   f_q = f0 + a*q/L,  q = 0 .. count-1,
// for f0 a whole multiple of 1/2, a >= 1, 1 <= L <= 2^30 and stride >= 1
// (2 writes into the value column of (f, value) rows). The transform
// has length L / gcd(a, L). Returns false, leaving A and bound undefined, when
// the grid does not have that form, a tap is not finite, or a value comes out
// non-finite: the caller then takes the direct sum everywhere.
bool KALTAP_Uniform_Response(const Array1<double>& w, int N, bool symmetric, double f0, long long a, long long L,
                             int count, double* A, int stride, KALTAP_Response_Bound& bound);
