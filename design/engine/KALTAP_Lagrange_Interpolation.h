// SPDX-License-Identifier: GPL-3.0-or-later
// Barycentric Lagrange interpolation on the extremal set.
//
// The points are the cosines X(1..m) = Extremal_Cosine of the extremal
// frequencies, the values Y(1..m) = Extremal_Value, the weights
// AD(1..m) = Barycentric_Weight (all one-based, from the design state).
#pragma once

#include <cmath>

// AD(k) = 1 / D with D the product over j != k of 2*(X(k) - X(j)), the factors
// taken in the interleaved order j = l, l+JET, l+2*JET, ... for l = 1..jet.
void KALTAP_Barycentric_Weights(int m, int jet);

// Interpolated value at the cosine xf over m points: Y(j) at once when
// |xf - X(j)| < 1e-10 for some j (the first such j), otherwise
// sum(c*Y) / sum(c) with c = AD(j) / (xf - X(j)), the sums taken in four
// interleaved lanes (and in two halves for large sets, see below). Runs of
// sixteen points share one division for their reciprocals 1/(xf - X(j)), which
// are then within a few units in the last place. When those sums give no
// finite quotient (they cancel to 0/0 or overflow), the value is that of
// KALTAP_Interpolate_At_Cosine_Plain; every finite value is the blocked one.
double KALTAP_Interpolate_At_Cosine(double xf, int m);

// The reference form of the same interpolation: one sequential sum over
// j = 1..m with c = AD(j) / (xf - X(j)) computed by its own division, Y(j) at
// once at the first |xf - X(j)| < 1e-10. Slower; the blocked forms fall back
// on it wherever their own quotient is not finite.
double KALTAP_Interpolate_At_Cosine_Plain(double xf, int m);

// num / den from blocked sums at the cosine xf over m points where it is
// finite; otherwise the plain sequential value there.
inline double KALTAP_Quotient_Or_Plain(double num, double den, double xf, int m) {
    const double value = num / den;
    return std::isfinite(value) ? value : KALTAP_Interpolate_At_Cosine_Plain(xf, m);
}

// Sets of at least this many points are summed in two halves, each in its own
// four lanes, and the halves added: the same split whichever thread runs it.
constexpr int KALTAP_Split_Points = 4096;

// The same value, the two halves of a large set computed on both cores (with
// the same plain fallback).
double KALTAP_Interpolate_At_Cosine_Parallel(double xf, int m);

// The same at frequency f (xf = cos(2*pi*f)).
double KALTAP_Interpolate_At_Frequency(double f, int m);
