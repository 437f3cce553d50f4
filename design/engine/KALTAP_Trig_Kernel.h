// SPDX-License-Identifier: GPL-3.0-or-later
// The fast sine/cosine kernel and the loops built on it, as templates over
// the lane type V (double or v4d) and the fused multiply-add F.
//
// Every multiply-add of the kernel is a fused one (one rounding), taken either
// from the processor (KALTAP_Block_Trig_FMA.cpp, built for AVX2 and FMA) or
// from the C library's fma (KALTAP_Block_Trig.cpp). Both round exactly alike,
// so scalar and vector runs, and machines with and without FMA, give the same
// bits. Only those two translation units include this header.
#pragma once

#include <cmath>
#include <cstring>

#include "KALTAP_Simd.h"

namespace kaltap_trig {

template <class V>
KALTAP_INLINE V splat(double c);
template <>
KALTAP_INLINE double splat<double>(double c) {
    return c;
}
template <>
KALTAP_INLINE v4d splat<v4d>(double c) {
    return v4d{c, c, c, c};
}

// The bits of a double, and back.
KALTAP_INLINE unsigned long long as_bits(double x) {
    unsigned long long b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
KALTAP_INLINE v4u as_bits(v4d x) {
    v4u b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}
KALTAP_INLINE double from_bits(unsigned long long b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}
KALTAP_INLINE v4d from_bits(v4u b) {
    v4d x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// pi/2 in three parts, the first two of 33 significant bits.
constexpr double Pio2_1 = 1.57079632673412561417e+00;
constexpr double Pio2_2 = 6.07710050630396597660e-11;
constexpr double Pio2_3 = 2.02226624871116645580e-21;
constexpr double Inv_Pio2 = 6.36619772367581382433e-01;
constexpr double Round_Magic = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer

// Minimax polynomials on [-pi/4, pi/4], z = r^2:
// sin r = r + r z (S1 + z (S2 + ...)), cos r = 1 - z/2 + z^2 (C1 + z (C2 + ...)).
constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03, S3 = -1.98412698298579493134e-04,
                 S4 = 2.75573137070700676789e-06, S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                 C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;

// cos x (shift 0) or sin x (shift 1, since sin x = cos(x - pi/2)).
template <class F, class V>
KALTAP_INLINE V trig_kernel(V x, double shift) {
    // t = x 2/pi + 1.5 2^52 holds the nearest integer n to x 2/pi in its low
    // mantissa bits; n mod 4 is the quadrant.
    const V t = F::fma(x, splat<V>(Inv_Pio2), splat<V>(Round_Magic));
    const V n = t - Round_Magic;
    V r = F::fma(n, splat<V>(-Pio2_1), x);
    r = F::fma(n, splat<V>(-Pio2_2), r);
    r = F::fma(n, splat<V>(-Pio2_3), r);
    const auto quadrant = (as_bits(t) - static_cast<unsigned long long>(shift)) & 3u;
    const V z = r * r;
    V s = F::fma(z, splat<V>(S6), splat<V>(S5));
    s = F::fma(z, s, splat<V>(S4));
    s = F::fma(z, s, splat<V>(S3));
    s = F::fma(z, s, splat<V>(S2));
    s = F::fma(z, s, splat<V>(S1));
    const V sine = F::fma(r * z, s, r);
    V c = F::fma(z, splat<V>(C6), splat<V>(C5));
    c = F::fma(z, c, splat<V>(C4));
    c = F::fma(z, c, splat<V>(C3));
    c = F::fma(z, c, splat<V>(C2));
    c = F::fma(z, c, splat<V>(C1));
    const V w = F::fma(z, splat<V>(-0.5), splat<V>(1.0));
    const V cosine = F::fma(z * z, c, w);
    // quadrant 0: cos r, 1: -sin r, 2: -cos r, 3: sin r
    const V value = simd_select((quadrant & 1u) != 0u, sine, cosine);
    const auto sign = ((quadrant + 1u) & 2u) << 62;
    return from_bits(as_bits(value) ^ sign);
}

// y[i] = kernel((first + i + offset) * step), i = 0..n-1.
template <class F>
KALTAP_INLINE void ramp(int first, double offset, double step, double* y, int n, double shift) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const double b = static_cast<double>(first + i);
        const v4d k = {b, b + 1.0, b + 2.0, b + 3.0};
        simd_store(y + i, trig_kernel<F>(v4d((k + offset) * step), shift));
    }
    for (; i < n; ++i) y[i] = trig_kernel<F>((static_cast<double>(first + i) + offset) * step, shift);
}

// Terms per block of the weighted sums below, and blocks between fresh
// kernel values for a block's start.
constexpr int Sum_Block = 16;
constexpr int Sum_Reseed_Blocks = 8;

// Four lanes of the weighted sums: start + sum_{i=1..m} T((i + offset) * step) * weights[i-1],
// T = cos (cosine) or sin. The terms go in blocks of Sum_Block from i0 = 1,
// 17, 33, ...; with a = (i0 + offset) * step (the product of the two doubles),
//   T(a + k step) = cos a cos(k step) - sin a sin(k step)   (cosine)
//                 = sin a cos(k step) + cos a sin(k step)   (sine),
// so a block is cos a * D1 -/+ sin a * D2 (or sin a * D1 + cos a * D2) with
// D1 = sum_k w cos(k step), D2 = sum_k w sin(k step), k in increasing order.
// cos a and sin a come from the kernel for every eighth block and from a
// rotation of the block before for the others; cos(k step) and sin(k step)
// from rotations of (cos step, sin step). That keeps every term within a few
// tens of units in the last place of the kernel's. Blocks are added to the
// running sum in order.
template <class F>
KALTAP_INLINE v4d four_block_sums(v4d step, int m, double offset, const double* weights, double start, bool cosine) {
    // cos and sin of k step: those of p step (p = 1, 2, 4, 8, each from the
    // one before by the double-angle rotation) carry k - p to k for k in
    // [p, 2p), so each value is at most eight rotations from the kernel's.
    v4d c[Sum_Block], s[Sum_Block];
    c[0] = splat<v4d>(1.0);
    s[0] = splat<v4d>(0.0);
    const v4d C = trig_kernel<F>(step, 0.0), S = trig_kernel<F>(step, 1.0);
    const int table = m < Sum_Block ? m : Sum_Block;
    v4d Cp = C, Sp = S;
    for (int p = 1; p < table; p *= 2) {
        if (p > 1) {
            const v4d twice_c = F::fma(Cp, Cp, -(Sp * Sp)), twice_s = F::fma(Sp, Cp, Cp * Sp);
            Cp = twice_c;
            Sp = twice_s;
        }
        for (int k = p; k < 2 * p && k < table; ++k) {
            c[k] = F::fma(c[k - p], Cp, -(s[k - p] * Sp));
            s[k] = F::fma(s[k - p], Cp, c[k - p] * Sp);
        }
    }
    // The start of each block, a = (i0 + offset) step: from the kernel every
    // Sum_Reseed_Blocks blocks, in between carried from the block before by a
    // rotation through 16 step (itself from the kernel).
    v4d C16 = C, S16 = S;
    if (m > Sum_Block) {
        const v4d span = v4d(static_cast<double>(Sum_Block) * step);
        C16 = trig_kernel<F>(span, 0.0);
        S16 = trig_kernel<F>(span, 1.0);
    }
    v4d ca = C, sa = S;
    v4d sum = splat<v4d>(start);
    for (int i0 = 1, b = 0; i0 <= m; i0 += Sum_Block, ++b) {
        const int count = m - i0 + 1 < Sum_Block ? m - i0 + 1 : Sum_Block;
        if (b % Sum_Reseed_Blocks != 0) {
            const v4d next_c = F::fma(ca, C16, -(sa * S16)), next_s = F::fma(sa, C16, ca * S16);
            ca = next_c;
            sa = next_s;
        } else if (!(i0 == 1 && offset == 0.0)) {  // an odd length's first block starts at step itself
            const v4d a = v4d((static_cast<double>(i0) + offset) * step);
            ca = trig_kernel<F>(a, 0.0);
            sa = trig_kernel<F>(a, 1.0);
        }
        const double* w = weights + (i0 - 1);
        v4d d1 = splat<v4d>(0.0), d2 = d1;
        for (int k = 0; k < count; ++k) {
            d1 = F::fma(c[k], splat<v4d>(w[k]), d1);
            d2 = F::fma(s[k], splat<v4d>(w[k]), d2);
        }
        const v4d block = cosine ? F::fma(ca, d1, -(sa * d2)) : F::fma(sa, d1, ca * d2);
        sum = sum + block;
    }
    return sum;
}

// sums[l] = the weighted sum above for steps[l], l = 0..7 (shift 0: cosine,
// 1: sine). Each lane depends on its own step only.
template <class F>
KALTAP_INLINE void eight_sums(const double* steps, int m, double offset, const double* weights, double start,
                              double shift, double* sums) {
    const bool cosine = shift == 0.0;
    simd_store(sums, four_block_sums<F>(simd_load(steps), m, offset, weights, start, cosine));
    simd_store(sums + 4, four_block_sums<F>(simd_load(steps + 4), m, offset, weights, start, cosine));
}

// The routines one translation unit provides.
struct Implementation {
    double (*kernel)(double x, double shift);
    void (*ramp)(int first, double offset, double step, double* y, int n, double shift);
    void (*eight_sums)(const double* steps, int m, double offset, const double* weights, double start, double shift,
                       double* sums);
};

}  // namespace kaltap_trig

// The kernel with the processor's fused multiply-add, or nullptr where this
// build has none.
const kaltap_trig::Implementation* KALTAP_Trig_FMA_Implementation();
