// SPDX-License-Identifier: GPL-3.0-or-later
// The fast kernel with the processor's fused multiply-add (AVX2 and FMA).
// This file is compiled for that instruction set; the library calls it only
// after it found the processor has both.
#include "KALTAP_Trig_Kernel.h"

#if defined(__FMA__) && defined(__AVX2__)
#include <immintrin.h>

namespace {

struct Hardware_FMA {
    static double fma(double a, double b, double c) { return __builtin_fma(a, b, c); }
    static v4d fma(v4d a, v4d b, v4d c) { return _mm256_fmadd_pd(a, b, c); }
};

double kernel(double x, double shift) { return kaltap_trig::trig_kernel<Hardware_FMA>(x, shift); }
void ramp(int first, double offset, double step, double* y, int n, double shift) {
    kaltap_trig::ramp<Hardware_FMA>(first, offset, step, y, n, shift);
}
void eight_sums(const double* steps, int m, double offset, const double* weights, double start, double shift,
                double* sums) {
    kaltap_trig::eight_sums<Hardware_FMA>(steps, m, offset, weights, start, shift, sums);
}

const kaltap_trig::Implementation Fused{kernel, ramp, eight_sums};

}  // namespace

const kaltap_trig::Implementation* KALTAP_Trig_FMA_Implementation() { return &Fused; }

#else

const kaltap_trig::Implementation* KALTAP_Trig_FMA_Implementation() { return nullptr; }

#endif
