// SPDX-License-Identifier: GPL-3.0-or-later
// What a set of taps does besides its magnitude: its step response, its phase
// and group delay, and its zeros in the z-plane.
//
// Every routine takes the full impulse response as a zero-based vector,
// h[n-1] = h(n) for n = 1..N (N >= 1), all finite, and reads nothing else,
// so it serves the designed taps and the rounded ones alike. The transfer
// function is
//   H(z) = sum_{n=1..N} h(n) z^-(n-1),   H(f) = H(exp(j 2 pi f)),
// with f in cycles per sample.
#pragma once

#include <complex>
#include <vector>

// s(n) = h(1) + ... + h(n) for n = 1..N, as s[n-1]; s(N) is the gain at
// f = 0 (the sum of the taps). Summed with Neumaier's compensation, so each
// value is the exact partial sum to about one rounding.
std::vector<double> KALTAP_Step_Response(const std::vector<double>& h);

// Phase and group delay on the grid f_i = i/M, i = 0 .. M/2 (0 to 0.5), M the
// smallest power of two with M >= 2*(points-1) and M >= 4*N, so that the
// linear phase of any length turns by less than pi/2 between grid points.
struct KALTAP_Phase_Delay {
    std::vector<double> frequency;    // f_i, cycles per sample
    std::vector<double> magnitude;    // |H(f_i)|
    std::vector<double> phase;        // radians, unwrapped (see below)
    std::vector<double> group_delay;  // samples
};
// |H(f_i)| at or below KALTAP_Phase_Floor times the sum of |h(n)| leaves the
// phase undefined: phase and group delay are NaN there (a gap). Elsewhere the
// phase is arg H(f_i), unwrapped along the grid: whole turns are added so
// that it moves by at most pi from the last defined point (it starts in
// (-pi, pi]). Where the amplitude of a linear-phase filter changes sign the
// phase jumps by pi, as it truly does. The group delay is
//   tau(f) = -d phase / d omega = Re( sum (n-1) h(n) e^{-j omega (n-1)} / H ),
// omega = 2 pi f; (N-1)/2 wherever H is not zero for a linear-phase filter.
// Both sums come from one radix-2 transform each of the zero-padded taps;
// KALTAP_Phase_Delay_Direct is the plain sum they are checked against.
KALTAP_Phase_Delay KALTAP_Phase_And_Group_Delay(const std::vector<double>& h, int points);
constexpr double KALTAP_Phase_Floor = 1e-9;

// H(f) and sum (n-1) h(n) e^{-j 2 pi f (n-1)} at one frequency by the direct
// sum, angles reduced exactly: the reference for the transform.
void KALTAP_Phase_Delay_Direct(const std::vector<double>& h, double f, std::complex<double>& H,
                               std::complex<double>& weighted);

// The zeros of H(z): the roots of P(z) = sum_n h(n) z^(N-n), after leading
// zero taps (a delay, no finite zero) are left out and trailing zero taps
// are counted as zeros at z = 0.
struct KALTAP_Zeros {
    std::vector<std::complex<double>> zeros;  // zeros other than z = 0, in no order
    int at_origin = 0;                        // zeros at z = 0
    int degree = 0;                           // zeros of P in all, at_origin included
    // True: `zeros` holds every zero of P besides z = 0, found by the
    // Aberth-Ehrlich iteration and checked. False: the taps are longer than
    // KALTAP_Zeros_Length_Limit, or the check failed; `zeros` then holds only
    // the zeros on the unit circle: those where the amplitude of the
    // linear-phase taps changes sign (each with its conjugate) and the
    // zeros at z = 1 and z = -1 that the symmetry forces. Taps without
    // linear phase then get none.
    bool all = false;
    // The check, for taps of linear phase (symmetric or antisymmetric, whose
    // zeros come in reciprocal pairs z, 1/z): the largest distance of a zero
    // from the reciprocal of its nearest partner, relative to the larger of
    // 1 and |z|. For other taps: the largest relative residual |P(z)| over
    // sum |c_k| |z|^(d-k). At most KALTAP_Zeros_Tolerance for `all`.
    double check = 0.0;
};
KALTAP_Zeros KALTAP_Filter_Zeros(const std::vector<double>& h);
// Beyond this many taps the iteration costs seconds (its work grows as the
// square of the length) and the zeros of a long filter's crowded stopband
// lose their digits: an equiripple low-pass of 2047 taps still pairs its
// zeros to 1e-6, one of 4095 no longer does. The view then shows the zeros
// on the unit circle only.
constexpr int KALTAP_Zeros_Length_Limit = 2048;
constexpr double KALTAP_Zeros_Tolerance = 1e-6;
