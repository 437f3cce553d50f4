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
constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                 S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                 S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                 C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                 C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;

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

// sums[l] = start + sum_{i=1..m} kernel((i + offset) * steps[l]) * weights[i-1],
// added in increasing i (sum = sum + term * weight), for eight steps at once.
template <class F>
KALTAP_INLINE void eight_sums(const double* steps, int m, double offset, const double* weights, double start,
                              double shift, double* sums) {
    const v4d step0 = simd_load(steps), step1 = simd_load(steps + 4);
    v4d sum0 = {start, start, start, start}, sum1 = sum0;
    for (int i = 1; i <= m; ++i) {
        const double t = static_cast<double>(i) + offset;
        const double w = weights[i - 1];
        sum0 = sum0 + trig_kernel<F>(v4d(t * step0), shift) * w;
        sum1 = sum1 + trig_kernel<F>(v4d(t * step1), shift) * w;
    }
    simd_store(sums, sum0);
    simd_store(sums + 4, sum1);
}

// The routines one translation unit provides.
struct Implementation {
    double (*kernel)(double x, double shift);
    void (*ramp)(int first, double offset, double step, double* y, int n, double shift);
    void (*eight_sums)(const double* steps, int m, double offset, const double* weights, double start,
                       double shift, double* sums);
};

}  // namespace kaltap_trig

// The kernel with the processor's fused multiply-add, or nullptr where this
// build has none.
const kaltap_trig::Implementation* KALTAP_Trig_FMA_Implementation();
