// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Block_Trig.h"

#include <cmath>
#include <cstring>

#include "KALTAP_Simd.h"
#include "KALTAP_Trig_Kernel.h"

namespace {

// The C library's fma: exact like the processor's, so this fallback gives the
// same bits, only more slowly, on processors without AVX2 and FMA.
struct Library_FMA {
    static double fma(double a, double b, double c) { return std::fma(a, b, c); }
    static v4d fma(v4d a, v4d b, v4d c) {
        return v4d{std::fma(a[0], b[0], c[0]), std::fma(a[1], b[1], c[1]), std::fma(a[2], b[2], c[2]),
                   std::fma(a[3], b[3], c[3])};
    }
};

double library_kernel(double x, double shift) { return kaltap_trig::trig_kernel<Library_FMA>(x, shift); }
void library_ramp(int first, double offset, double step, double* y, int n, double shift) {
    kaltap_trig::ramp<Library_FMA>(first, offset, step, y, n, shift);
}
void library_eight_sums(const double* steps, int m, double offset, const double* weights, double start, double shift,
                        double* sums) {
    kaltap_trig::eight_sums<Library_FMA>(steps, m, offset, weights, start, shift, sums);
}

const kaltap_trig::Implementation& implementation() {
    static const kaltap_trig::Implementation* chosen = [] {
        const kaltap_trig::Implementation* fused = KALTAP_Trig_FMA_Implementation();
#if defined(__x86_64__) || defined(__i386__)
        if (fused && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return fused;
#else
        if (fused) return fused;
#endif
        static const kaltap_trig::Implementation library{library_kernel, library_ramp, library_eight_sums};
        return &library;
    }();
    return *chosen;
}

constexpr double Cosine = 0.0, Sine = 1.0;  // the kernel's shift

}  // namespace

void KALTAP_Cos_Block(const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = std::cos(x[i]);
}
void KALTAP_Sin_Block(const double* x, double* y, int n) {
    for (int i = 0; i < n; ++i) y[i] = std::sin(x[i]);
}

double KALTAP_Fast_Trig_Portable(double x, bool cosine) { return library_kernel(x, cosine ? Cosine : Sine); }

double KALTAP_Fast_Cos(double x) { return implementation().kernel(x, Cosine); }
double KALTAP_Fast_Sin(double x) { return implementation().kernel(x, Sine); }

void KALTAP_Fast_Cos_Ramp(int first, double offset, double step, double* y, int n) {
    implementation().ramp(first, offset, step, y, n, Cosine);
}
void KALTAP_Fast_Sin_Ramp(int first, double offset, double step, double* y, int n) {
    implementation().ramp(first, offset, step, y, n, Sine);
}

double KALTAP_Fast_Trig_Sum(double step, int m, double offset, const double* weights, double start, bool cosine) {
    double sum;
    KALTAP_Fast_Trig_Sums(&step, 1, m, offset, weights, start, cosine, &sum);
    return sum;
}

void KALTAP_Fast_Trig_Sums(const double* steps, int count, int m, double offset, const double* weights, double start,
                           bool cosine, double* sums) {
    double padded_steps[KALTAP_Sums_At_Once] = {0.0}, padded_sums[KALTAP_Sums_At_Once];
    for (int l = 0; l < count && l < KALTAP_Sums_At_Once; ++l) padded_steps[l] = steps[l];
    implementation().eight_sums(padded_steps, m, offset, weights, start, cosine ? Cosine : Sine, padded_sums);
    for (int l = 0; l < count && l < KALTAP_Sums_At_Once; ++l) sums[l] = padded_sums[l];
}
