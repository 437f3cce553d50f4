#include "KALTAP_Block_Trig.h"

#include <cmath>
#include <cstring>

#include "KALTAP_Simd.h"

namespace {

// pi/2 split into three parts of 33 significant bits each, so n * part is
// exact for the quadrant numbers n that occur (|n| < 2^20).
constexpr double Pio2_1 = 1.57079632673412561417e+00;
constexpr double Pio2_2 = 6.07710050630396597660e-11;
constexpr double Pio2_3 = 2.02226624871116645580e-21;
constexpr double Inv_Pio2 = 6.36619772367581382433e-01;
constexpr double Round_Magic = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer

// Minimax polynomials of sin and cos on [-pi/4, pi/4].
constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                 S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                 S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                 C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                 C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;

// Reduce x to r in [-pi/4, pi/4] with x = r + n*pi/2; q = n mod 4 in -2..2.
template <class V>
KALTAP_INLINE void reduce(V x, V& r, V& q) {
    V n = (x * Inv_Pio2 + Round_Magic) - Round_Magic;
    r = ((x - n * Pio2_1) - n * Pio2_2) - n * Pio2_3;
    V quarter = (n * 0.25 + Round_Magic) - Round_Magic;
    q = n - quarter * 4.0;
}

template <class V>
KALTAP_INLINE V sin_poly(V r) {
    V z = r * r;
    return r + (r * z) * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
}

template <class V>
KALTAP_INLINE V cos_poly(V r) {
    V z = r * r;
    V hz = z * 0.5;
    V w = 1.0 - hz;
    V tail = (z * z) * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    return w + (((1.0 - w) - hz) + tail);
}

template <class V>
KALTAP_INLINE V cos_kernel(V x) {
    V r, q;
    reduce(x, r, q);
    V s = sin_poly(r), c = cos_poly(r);
    // quadrant 0: c, 1: -s, 2: -c, 3 (= -1): s
    V odd = simd_select(simd_abs(q) == 1.0, s, c);
    V negative = simd_select((q == 1.0) | (simd_abs(q) == 2.0), -odd, odd);
    return negative;
}

template <class V>
KALTAP_INLINE V sin_kernel(V x) {
    V r, q;
    reduce(x, r, q);
    V s = sin_poly(r), c = cos_poly(r);
    // quadrant 0: s, 1: c, 2: -s, 3 (= -1): -c
    V odd = simd_select(simd_abs(q) == 1.0, c, s);
    return simd_select((q == -1.0) | (simd_abs(q) == 2.0), -odd, odd);
}

template <bool Cosine>
KALTAP_INLINE void ramp(int first, double offset, double step, double* y, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        double base = static_cast<double>(first + i);
        v4d k = {base, base + 1.0, base + 2.0, base + 3.0};
        v4d arg = (k + offset) * step;
        simd_store(y + i, Cosine ? cos_kernel(arg) : sin_kernel(arg));
    }
    for (; i < n; ++i) {
        double arg = (static_cast<double>(first + i) + offset) * step;
        y[i] = Cosine ? cos_kernel(arg) : sin_kernel(arg);
    }
}

}  // namespace

void KALTAP_Cos_Block(const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = std::cos(x[i]);
}
void KALTAP_Sin_Block(const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = std::sin(x[i]);
}

double KALTAP_Fast_Cos(double x) { return cos_kernel(x); }
double KALTAP_Fast_Sin(double x) { return sin_kernel(x); }

KALTAP_SIMD_CLONES void KALTAP_Fast_Cos_Ramp(int first, double offset, double step, double* y, int n) {
    ramp<true>(first, offset, step, y, n);
}
KALTAP_SIMD_CLONES void KALTAP_Fast_Sin_Ramp(int first, double offset, double step, double* y, int n) {
    ramp<false>(first, offset, step, y, n);
}

double KALTAP_Fast_Trig_Sum(double step, int m, double offset, const double* weights, double start, bool cosine) {
    double terms[KALTAP_Trig_Block];
    double sum = start;
    for (int first = 1; first <= m; first += KALTAP_Trig_Block) {
        const int count = m - first + 1 < KALTAP_Trig_Block ? m - first + 1 : KALTAP_Trig_Block;
        if (cosine)
            KALTAP_Fast_Cos_Ramp(first, offset, step, terms, count);
        else
            KALTAP_Fast_Sin_Ramp(first, offset, step, terms, count);
        const double* w = weights + (first - 1);
        for (int k = 0; k < count; ++k) sum = sum + terms[k] * w[k];
    }
    return sum;
}

namespace {

// Eight sums in two four-lane vectors; lane l runs exactly the operations of
// the single sum with step steps[l].
template <bool Cosine>
KALTAP_INLINE void eight_sums(const double* steps, int m, double offset, const double* weights, double start,
                              double* sums) {
    const v4d step0 = simd_load(steps), step1 = simd_load(steps + 4);
    v4d sum0 = {start, start, start, start}, sum1 = sum0;
    for (int i = 1; i <= m; ++i) {
        const double t = static_cast<double>(i) + offset;
        const double w = weights[i - 1];
        const v4d arg0 = t * step0, arg1 = t * step1;
        const v4d term0 = Cosine ? cos_kernel(arg0) : sin_kernel(arg0);
        const v4d term1 = Cosine ? cos_kernel(arg1) : sin_kernel(arg1);
        sum0 = sum0 + term0 * w;
        sum1 = sum1 + term1 * w;
    }
    simd_store(sums, sum0);
    simd_store(sums + 4, sum1);
}

}  // namespace

KALTAP_SIMD_CLONES void KALTAP_Fast_Trig_Sums(const double* steps, int count, int m, double offset,
                                              const double* weights, double start, bool cosine, double* sums) {
    double padded_steps[KALTAP_Sums_At_Once] = {0.0}, padded_sums[KALTAP_Sums_At_Once];
    for (int l = 0; l < count && l < KALTAP_Sums_At_Once; ++l) padded_steps[l] = steps[l];
    if (cosine)
        eight_sums<true>(padded_steps, m, offset, weights, start, padded_sums);
    else
        eight_sums<false>(padded_steps, m, offset, weights, start, padded_sums);
    for (int l = 0; l < count && l < KALTAP_Sums_At_Once; ++l) sums[l] = padded_sums[l];
}

KALTAP_SIMD_CLONES double KALTAP_Dot(const double* c, const double* w, int n) {
    v4d acc = {0.0, 0.0, 0.0, 0.0};
    int i = 0;
    for (; i + 4 <= n; i += 4) acc += simd_load(c + i) * simd_load(w + i);
    double s[4] = {acc[0], acc[1], acc[2], acc[3]};
    for (int k = 0; i < n; ++i, ++k) s[k] += c[i] * w[i];
    return (s[0] + s[1]) + (s[2] + s[3]);
}
