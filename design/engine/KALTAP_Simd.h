// SPDX-License-Identifier: GPL-3.0-or-later
// Four-lane double vectors for the engine's block kernels (GCC vector
// extensions). The same kernel template runs on a double or on a v4d, doing
// the same IEEE operations in the same order, so vector and scalar results
// agree bit for bit (contraction into fused multiply-adds is switched off for
// the whole build).
#pragma once

#include <cmath>
#include <cstring>

typedef double v4d __attribute__((vector_size(32)));
typedef long long v4l __attribute__((vector_size(32)));
typedef unsigned long long v4u __attribute__((vector_size(32)));

// Hot kernels are built twice, for AVX2 and for the baseline instruction set,
// and the loader picks the one the processor supports. Sanitizer builds use
// the baseline only: their run-time is not ready when the loader chooses.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define KALTAP_SIMD_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KALTAP_SIMD_CLONES
#endif

// Kernels are forced inline so that each clone of a hot routine gets them
// compiled for its own instruction set.
#define KALTAP_INLINE inline __attribute__((always_inline))

KALTAP_INLINE v4d simd_load(const double* p) {
    v4d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
KALTAP_INLINE void simd_store(double* p, v4d v) { std::memcpy(p, &v, sizeof v); }

template <class Mask>
KALTAP_INLINE v4d simd_select(Mask mask, v4d a, v4d b) {
    return mask ? a : b;
}
KALTAP_INLINE double simd_select(bool mask, double a, double b) { return mask ? a : b; }

KALTAP_INLINE v4d simd_abs(v4d v) {
    v4l bits;
    std::memcpy(&bits, &v, sizeof v);
    bits &= 0x7fffffffffffffffLL;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
KALTAP_INLINE double simd_abs(double v) { return std::fabs(v); }

// The smaller of each pair of lanes (neither is NaN where it is used).
KALTAP_INLINE v4d simd_min(v4d a, v4d b) { return a < b ? a : b; }
