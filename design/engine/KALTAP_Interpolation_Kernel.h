// SPDX-License-Identifier: GPL-3.0-or-later
// The sums of the barycentric interpolation on the extremal set, as an inline
// kernel: the routines that use it are built for several instruction sets, and
// each compiles the kernel for its own. Every build does the same IEEE
// operations in the same order, so all give the same bits.
#pragma once

#include <cmath>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Lagrange_Interpolation.h"
#include "KALTAP_Simd.h"

namespace kaltap_interpolation {

constexpr double Coincidence = 1.0e-10;  // closer than this, xf is taken to be the point itself

// Partial sums over points j0..j1-1 (zero-based): num = sum c*Y, den = sum c,
// each in four interleaved lanes added as ((l0 + l1) + (l2 + l3)). Returns the
// first j in the range with |xf - X(j)| < 1e-10, or -1.
KALTAP_INLINE int partial_sums(double xf, int j0, int j1, double& num_out, double& den_out) {
    const double* X = Extremal_Cosine.at(1);
    const double* Y = Extremal_Value.at(1);
    const double* AD = Barycentric_Weight.at(1);
    v4d num = {0.0, 0.0, 0.0, 0.0}, den = num;
    v4l near = {0, 0, 0, 0};
    int j = j0;
    // Sixteen points at a time share one division: with d1..d4 the
    // differences of four runs of four points, 1/(d1 d2 d3 d4) times the
    // other three differences gives each reciprocal (within a few units in
    // the last place). The divider, which limits the evaluation of larger
    // sets, does a quarter of the work. The products stay within range: each
    // difference lies between 1e-10 and 2 unless its point coincides with xf,
    // and then the sums are not used.
    for (; j + 16 <= j1; j += 16) {
        const v4d d1 = xf - simd_load(X + j), d2 = xf - simd_load(X + j + 4);
        const v4d d3 = xf - simd_load(X + j + 8), d4 = xf - simd_load(X + j + 12);
        near |= simd_min(simd_min(simd_abs(d1), simd_abs(d2)), simd_min(simd_abs(d3), simd_abs(d4))) < Coincidence;
        const v4d p12 = d1 * d2, p34 = d3 * d4;
        const v4d r = 1.0 / (p12 * p34);
        const v4d r12 = r * p34, r34 = r * p12;
        const v4d c1 = simd_load(AD + j) * (r12 * d2), c2 = simd_load(AD + j + 4) * (r12 * d1);
        const v4d c3 = simd_load(AD + j + 8) * (r34 * d4), c4 = simd_load(AD + j + 12) * (r34 * d3);
        // The four runs are added in pairs before they join the sums, so
        // that one evaluation's additions wait on each other less.
        num += (c1 * simd_load(Y + j) + c2 * simd_load(Y + j + 4)) +
               (c3 * simd_load(Y + j + 8) + c4 * simd_load(Y + j + 12));
        den += (c1 + c2) + (c3 + c4);
    }
    for (; j + 4 <= j1; j += 4) {
        v4d diff = xf - simd_load(X + j);
        near |= simd_abs(diff) < Coincidence;
        v4d c = simd_load(AD + j) / diff;
        num += c * simd_load(Y + j);
        den += c;
    }
    bool any_near = near[0] | near[1] | near[2] | near[3];
    for (int k = j; k < j1 && !any_near; ++k)
        if (std::fabs(xf - X[k]) < Coincidence) any_near = true;
    if (any_near) {
        for (int k = j0; k < j1; ++k)
            if (std::fabs(xf - X[k]) < Coincidence) return k;
    }
    double n[4] = {num[0], num[1], num[2], num[3]};
    double d[4] = {den[0], den[1], den[2], den[3]};
    for (int k = 0; j < j1; ++j, ++k) {
        double c = AD[j] / (xf - X[j]);
        n[k] += c * Y[j];
        d[k] += c;
    }
    num_out = (n[0] + n[1]) + (n[2] + n[3]);
    den_out = (d[0] + d[1]) + (d[2] + d[3]);
    return -1;
}

// The interpolated value at xf over the whole set of m points (m below the
// size at which sets are summed in two halves). Where the blocked sums
// cancel to 0/0 or overflow (an extremal set at the limit of double
// precision), the point is summed again the plain way.
KALTAP_INLINE double value_at(double xf, int m) {
    double num, den;
    const int near = partial_sums(xf, 0, m, num, den);
    if (near >= 0) return Extremal_Value.at(1)[near];
    return KALTAP_Quotient_Or_Plain(num, den, xf, m);
}

}  // namespace kaltap_interpolation
