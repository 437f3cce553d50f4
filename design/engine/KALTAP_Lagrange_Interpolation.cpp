// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Lagrange_Interpolation.h"

#include <cmath>

#include "KALTAP_Block_Trig.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Interpolation_Kernel.h"
#include "KALTAP_Simd.h"
#include "Parallel_Work.h"

namespace {

constexpr double Two_Pi = 6.283185307179586476925286766559;
constexpr int Parallel_Grain = 1024;  // fewer weights than this are not worth a second thread

// Barycentric weights of the points k0..k0+4*Runs-1: Runs vectors of four
// products side by side, so that their chains of multiplications overlap.
// Lane i of run q multiplies exactly the factors of point k0+4q+i in the
// prescribed order, and skips its own factor.
template <int Runs>
KALTAP_INLINE void weights_of_runs(const double* X, double* AD, int k0, int m, int jet) {
    v4d xk[Runs], D[Runs];
    v4l lane[Runs];
    for (int q = 0; q < Runs; ++q) {
        const int first = k0 + 4 * q;
        xk[q] = simd_load(X + first - 1);
        lane[q] = v4l{first, first + 1, first + 2, first + 3};
        D[q] = v4d{1.0, 1.0, 1.0, 1.0};
    }
    for (int l = 1; l <= jet; ++l) {
        for (int j = l; j <= m; j += jet) {
            const double xj = X[j - 1];
            for (int q = 0; q < Runs; ++q) {
                v4d next = (D[q] * 2.0) * (xk[q] - xj);
                D[q] = (lane[q] == j) ? D[q] : next;
            }
        }
    }
    for (int q = 0; q < Runs; ++q) simd_store(AD + k0 + 4 * q - 1, 1.0 / D[q]);
}

KALTAP_SIMD_CLONES void weights_of_four(const double* X, double* AD, int k0, int m, int jet) {
    weights_of_runs<1>(X, AD, k0, m, jet);
}

KALTAP_SIMD_CLONES void weights_of_sixteen(const double* X, double* AD, int k0, int m, int jet) {
    weights_of_runs<4>(X, AD, k0, m, jet);
}

double weight_of_one(const double* X, int k, int m, int jet) {
    double D = 1.0;
    for (int l = 1; l <= jet; ++l)
        for (int j = l; j <= m; j += jet)
            if (j != k) D = (D * 2.0) * (X[k - 1] - X[j - 1]);
    return 1.0 / D;
}

}  // namespace

void KALTAP_Barycentric_Weights(int m, int jet) {
    const double* X = Extremal_Cosine.at(1);
    double* AD = Barycentric_Weight.at(1);
    // Sixteen points at a time, then four, then one by one.
    const int groups = m / 16;
    KALTAP_Parallel_For(0, groups - 1, Parallel_Grain / 16, [&](int lo, int hi) {
        for (int g = lo; g <= hi; ++g) weights_of_sixteen(X, AD, 16 * g + 1, m, jet);
    });
    int k = 16 * groups + 1;
    for (; k + 3 <= m; k += 4) weights_of_four(X, AD, k, m, jet);
    for (; k <= m; ++k) AD[k - 1] = weight_of_one(X, k, m, jet);
}

namespace {

// The kernel's sums, built for each instruction set.
KALTAP_SIMD_CLONES int partial_sums(double xf, int j0, int j1, double& num_out, double& den_out) {
    return kaltap_interpolation::partial_sums(xf, j0, j1, num_out, den_out);
}

// Where the sums of a large set are split in two: the first half holds a
// multiple of four points.
int split_point(int m) { return (m / 2) & ~3; }

// The value from the sums of the two halves of a set of m points, or the
// plain sequential value where their quotient is not finite.
double combine(double xf, int m, const int near[2], const double num[2], const double den[2]) {
    const double* Y = Extremal_Value.at(1);
    if (near[0] >= 0) return Y[near[0]];
    if (near[1] >= 0) return Y[near[1]];
    return KALTAP_Quotient_Or_Plain(num[0] + num[1], den[0] + den[1], xf, m);
}

}  // namespace

double KALTAP_Interpolate_At_Cosine(double xf, int m) {
    double num[2] = {0.0, 0.0}, den[2] = {0.0, 0.0};
    int near[2] = {-1, -1};
    if (m < KALTAP_Split_Points) {
        near[0] = partial_sums(xf, 0, m, num[0], den[0]);
        if (near[0] >= 0) return Extremal_Value.at(1)[near[0]];
        return KALTAP_Quotient_Or_Plain(num[0], den[0], xf, m);
    }
    const int h = split_point(m);
    near[0] = partial_sums(xf, 0, h, num[0], den[0]);
    near[1] = partial_sums(xf, h, m, num[1], den[1]);
    return combine(xf, m, near, num, den);
}

double KALTAP_Interpolate_At_Cosine_Parallel(double xf, int m) {
    if (m < KALTAP_Split_Points || KALTAP_Parallel_Threads() < 2) return KALTAP_Interpolate_At_Cosine(xf, m);
    struct Halves {
        double xf;
        int h, m;
        double num[2], den[2];
        int near[2];
    } halves{xf, split_point(m), m, {0.0, 0.0}, {0.0, 0.0}, {-1, -1}};
    KALTAP_Parallel_Pair(
        [](void* p, int part) {
            auto* x = static_cast<Halves*>(p);
            if (part == 0)
                x->near[0] = partial_sums(x->xf, 0, x->h, x->num[0], x->den[0]);
            else
                x->near[1] = partial_sums(x->xf, x->h, x->m, x->num[1], x->den[1]);
        },
        &halves);
    return combine(xf, m, halves.near, halves.num, halves.den);
}

// sum_j c_j Y(j) / sum_j c_j, c_j = AD(j) / (xf - X(j)), in order of j.
double KALTAP_Interpolate_At_Cosine_Plain(double xf, int m) {
    const double* X = Extremal_Cosine.at(1);
    const double* Y = Extremal_Value.at(1);
    const double* AD = Barycentric_Weight.at(1);
    double num = 0.0, den = 0.0;
    for (int j = 0; j < m; ++j) {
        const double difference = xf - X[j];
        if (std::fabs(difference) < kaltap_interpolation::Coincidence) return Y[j];
        const double c = AD[j] / difference;
        num += c * Y[j];
        den += c;
    }
    return num / den;
}

double KALTAP_Interpolate_At_Frequency(double f, int m) {
    return KALTAP_Interpolate_At_Cosine(std::cos(Two_Pi * f), m);
}
