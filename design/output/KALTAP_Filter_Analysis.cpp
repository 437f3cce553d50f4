// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Filter_Analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Arrays.h"

namespace {

using Complex = std::complex<double>;

constexpr double Pi = 3.14159265358979323846;
constexpr double Two_Pi = 2.0 * Pi;
constexpr double Not_A_Number = std::numeric_limits<double>::quiet_NaN();
constexpr double Epsilon = std::numeric_limits<double>::epsilon();
// Grid points per tap for the transform of the phase view (at least) and
// for the search of sign changes of the amplitude (zeros on the unit circle).
constexpr int Phase_Points_Per_Tap = 4;
constexpr int Circle_Points_Per_Tap = 32;
// The Aberth-Ehrlich iteration: a zero has converged when its correction is
// below a few units in the last place of its modulus.
constexpr int Aberth_Iteration_Limit = 400;
constexpr double Aberth_Converged = 4.0 * Epsilon;
// At most this many steps refine a sign change of the amplitude (Illinois
// converges superlinearly: a dozen reach the last place from the grid).
constexpr int Refinement_Steps = 16;

std::size_t size_of(int n) { return static_cast<std::size_t>(n); }

// The smallest power of two at least `n`.
std::size_t power_of_two_at_least(double n) {
    std::size_t m = 1;
    while (static_cast<double>(m) < n) m *= 2;
    return m;
}

// In place: X_k = sum_n x_n exp(-j 2 pi k n / M), M = x.size() a power of two
// (iterative radix 2, bit-reversed input order). Each twiddle factor is its
// own exact polar value, so the rounding grows only with log2 M.
void transform(std::vector<Complex>& x) {
    const std::size_t M = x.size();
    for (std::size_t i = 1, j = 0; i < M; ++i) {
        std::size_t bit = M >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    std::vector<Complex> twiddle(M / 2);
    for (std::size_t k = 0; k < M / 2; ++k)
        twiddle[k] = std::polar(1.0, -Two_Pi * static_cast<double>(k) / static_cast<double>(M));
    for (std::size_t length = 2; length <= M; length *= 2) {
        const std::size_t step = M / length;
        for (std::size_t start = 0; start < M; start += length)
            for (std::size_t k = 0; k < length / 2; ++k) {
                const Complex a = x[start + k];
                const Complex b = x[start + k + length / 2] * twiddle[k * step];
                x[start + k] = a + b;
                x[start + k + length / 2] = a - b;
            }
    }
}

// H(f_i), f_i = i/M for i = 0 .. M/2, of the zero-padded taps.
std::vector<Complex> response_on_grid(const std::vector<double>& h, std::size_t M) {
    std::vector<Complex> x(M);
    for (std::size_t n = 0; n < h.size(); ++n) x[n] = h[n];
    transform(x);
    x.resize(M / 2 + 1);
    return x;
}

double sum_of_magnitudes(const std::vector<double>& h) {
    double sum = 0.0;
    for (double v : h) sum += std::fabs(v);
    return sum;
}

enum class Symmetry { None, Symmetric, Antisymmetric };

Symmetry symmetry_of(const std::vector<double>& h) {
    const std::size_t N = h.size();
    bool symmetric = true, antisymmetric = true;
    for (std::size_t n = 0; n < N; ++n) {
        symmetric = symmetric && h[n] == h[N - 1 - n];
        antisymmetric = antisymmetric && h[n] == -h[N - 1 - n];
    }
    if (symmetric) return Symmetry::Symmetric;
    return antisymmetric ? Symmetry::Antisymmetric : Symmetry::None;
}

// ---- Aberth-Ehrlich iteration for the roots of P(z) = sum_k c_k z^(d-k) ----

// P(z) / P'(z). For |z| > 1 through the reversed polynomial Q(y) = sum c_k
// y^k at y = 1/z, so that no power of z overflows:
//   P'/P = (d - y Q'(y)/Q(y)) / z.
Complex newton_ratio(const std::vector<Complex>& c, Complex z) {
    const std::size_t d = c.size() - 1;
    if (std::abs(z) <= 1.0) {
        Complex p = c[0], dp = 0.0;
        for (std::size_t k = 1; k <= d; ++k) {
            dp = dp * z + p;
            p = p * z + c[k];
        }
        return p / dp;
    }
    const Complex y = 1.0 / z;
    Complex q = c[d], dq = 0.0;
    for (std::size_t k = d; k-- > 0;) {
        dq = dq * y + q;
        q = q * y + c[k];
    }
    return z / (static_cast<double>(d) - y * dq / q);
}

// |P(z)| over sum_k |c_k| |z|^(d-k): the relative backward error of z.
double relative_residual(const std::vector<Complex>& c, Complex z) {
    const std::size_t d = c.size() - 1;
    const bool outside = std::abs(z) > 1.0;
    const Complex x = outside ? 1.0 / z : z;
    const double r = std::abs(x);
    Complex p = outside ? c[d] : c[0];
    double scale = std::abs(p);
    for (std::size_t k = 1; k <= d; ++k) {
        const Complex ck = outside ? c[d - k] : c[k];
        p = p * x + ck;
        scale = scale * r + std::abs(ck);
    }
    return scale > 0.0 ? std::abs(p) / scale : 0.0;
}

// The d roots of P; false when the iteration did not converge.
bool aberth_roots(const std::vector<Complex>& c, std::vector<Complex>& z) {
    const std::size_t d = c.size() - 1;
    z.resize(d);
    // Start on the circle whose radius is the geometric mean of the roots'
    // moduli, at angles turned off the real axis so that no start is real.
    const double radius = std::pow(std::abs(c[d]) / std::abs(c[0]), 1.0 / static_cast<double>(d));
    for (std::size_t k = 0; k < d; ++k)
        z[k] = std::polar(radius, Two_Pi * (static_cast<double>(k) + 0.25) / static_cast<double>(d) + 0.4);
    std::vector<bool> done(d, false);
    std::size_t remaining = d;
    for (int iteration = 0; iteration < Aberth_Iteration_Limit && remaining > 0; ++iteration) {
        for (std::size_t i = 0; i < d; ++i) {
            if (done[i]) continue;
            const Complex ratio = newton_ratio(c, z[i]);
            if (!std::isfinite(ratio.real()) || !std::isfinite(ratio.imag())) {
                // P'(z) = 0 at this point: step off it.
                z[i] *= Complex(1.0 + 1e-3, 1e-3);
                continue;
            }
            Complex repulsion = 0.0;
            for (std::size_t j = 0; j < d; ++j)
                if (j != i) repulsion += 1.0 / (z[i] - z[j]);
            const Complex correction = ratio / (1.0 - ratio * repulsion);
            z[i] -= correction;
            // Converged: the step is at the last place of z, or P(z) is at
            // the rounding error of its own evaluation.
            if (std::abs(correction) <= Aberth_Converged * std::abs(z[i]) ||
                relative_residual(c, z[i]) <= Aberth_Converged * static_cast<double>(d)) {
                done[i] = true;
                --remaining;
            }
        }
    }
    return remaining == 0;
}

// The largest distance of 1/z from its nearest zero, relative to max(1, |1/z|).
double reciprocal_pair_error(const std::vector<Complex>& zeros) {
    double worst = 0.0;
    for (const Complex& z : zeros) {
        const Complex r = 1.0 / z;
        double nearest = std::numeric_limits<double>::infinity();
        for (const Complex& w : zeros) nearest = std::min(nearest, std::abs(w - r));
        worst = std::max(worst, nearest / std::max(1.0, std::abs(r)));
    }
    return worst;
}

// ---- Zeros on the unit circle from the amplitude's sign changes ----

// The amplitude of the linear-phase taps at f (engine's direct sum).
struct Amplitude {
    Array1<double> w;
    int N = 0;
    bool symmetric = true;
    double operator()(double f) const { return KALTAP_Amplitude_Response(f, w, N, symmetric); }
};

// Each sign change of the amplitude in (0, 0.5), found on a grid of
// Circle_Points_Per_Tap points per tap and refined by the Illinois method, gives
// the pair exp(+-j 2 pi f); the symmetry's forced zeros at z = 1 and z = -1
// are added.
std::vector<Complex> zeros_on_unit_circle(const std::vector<double>& h, Symmetry symmetry) {
    std::vector<Complex> zeros;
    if (symmetry == Symmetry::None) return zeros;
    const int N = static_cast<int>(h.size());
    const bool symmetric = symmetry == Symmetry::Symmetric;
    Amplitude amplitude;
    amplitude.N = N;
    amplitude.symmetric = symmetric;
    amplitude.w.allocate((N + 1) / 2);
    for (int n = 1; n <= (N + 1) / 2; ++n) amplitude.w(n) = h[size_of(n - 1)];

    // The grid's amplitude: H(f) turned back by the linear phase, real part
    // (symmetric) or imaginary part (antisymmetric).
    const std::size_t M = power_of_two_at_least(static_cast<double>(Circle_Points_Per_Tap) * N);
    const std::vector<Complex> H = response_on_grid(h, M);
    std::vector<double> A(H.size());
    const double centre = 0.5 * (N - 1);
    for (std::size_t i = 0; i < H.size(); ++i) {
        const double f = static_cast<double>(i) / static_cast<double>(M);
        const Complex turned = H[i] * std::polar(1.0, Two_Pi * std::fmod(f * centre, 1.0));
        A[i] = symmetric ? turned.real() : turned.imag();
    }
    const auto add_pair = [&zeros](double f) {
        const Complex z = std::polar(1.0, Two_Pi * f);
        zeros.push_back(z);
        zeros.push_back(std::conj(z));
    };
    // Brackets inside (0, 1/2) only: at both ends the symmetry may force a
    // zero whose computed sign is rounding.
    for (std::size_t i = 1; i + 2 < A.size(); ++i) {
        const double f0 = static_cast<double>(i) / static_cast<double>(M);
        const double f1 = static_cast<double>(i + 1) / static_cast<double>(M);
        if (A[i] == 0.0) {
            add_pair(f0);
            continue;
        }
        if ((A[i] > 0.0) == (A[i + 1] > 0.0) || A[i + 1] == 0.0) continue;
        // The Illinois variant of false position from the grid's bracket:
        // the end that stays has its value halved, so both ends close in.
        double a = f0, b = f1, fa = amplitude(a), fb = amplitude(b);
        double f = f0 + (f1 - f0) * A[i] / (A[i] - A[i + 1]);
        int kept = 0;  // -1: a stayed last time, +1: b stayed
        for (int step = 0; step < Refinement_Steps && (fa > 0.0) != (fb > 0.0) && b - a > Epsilon * b; ++step) {
            f = std::clamp(b - fb * (b - a) / (fb - fa), a, b);
            const double ff = amplitude(f);
            if (ff == 0.0) break;
            if ((ff > 0.0) == (fa > 0.0)) {
                a = f, fa = ff;
                if (kept == 1) fb *= 0.5;
                kept = 1;
            } else {
                b = f, fb = ff;
                if (kept == -1) fa *= 0.5;
                kept = -1;
            }
        }
        add_pair(f);
    }
    const bool even = N % 2 == 0;
    if (!symmetric) zeros.push_back(1.0);          // antisymmetric: no gain at f = 0
    if (symmetric == even) zeros.push_back(-1.0);  // even symmetric, odd antisymmetric: none at f = 1/2
    return zeros;
}

}  // namespace

std::vector<double> KALTAP_Step_Response(const std::vector<double>& h) {
    std::vector<double> s(h.size());
    double sum = 0.0, compensation = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n) {
        const double t = sum + h[n];
        compensation += std::fabs(sum) >= std::fabs(h[n]) ? (sum - t) + h[n] : (h[n] - t) + sum;
        sum = t;
        s[n] = sum + compensation;
    }
    return s;
}

void KALTAP_Phase_Delay_Direct(const std::vector<double>& h, double f, std::complex<double>& H,
                               std::complex<double>& weighted) {
    H = 0.0;
    weighted = 0.0;
    for (std::size_t n = 0; n < h.size(); ++n) {
        // f*n reduced to one turn before the angle is formed.
        const Complex e = std::polar(1.0, -Two_Pi * std::fmod(f * static_cast<double>(n), 1.0));
        H += h[n] * e;
        weighted += static_cast<double>(n) * h[n] * e;
    }
}

KALTAP_Phase_Delay KALTAP_Phase_And_Group_Delay(const std::vector<double>& h, int points) {
    const double N = static_cast<double>(h.size());
    const std::size_t M = power_of_two_at_least(std::max(2.0 * (points - 1), Phase_Points_Per_Tap * N));
    const std::vector<Complex> H = response_on_grid(h, M);
    std::vector<double> nh(h.size());
    for (std::size_t n = 0; n < h.size(); ++n) nh[n] = static_cast<double>(n) * h[n];
    const std::vector<Complex> G = response_on_grid(nh, M);

    KALTAP_Phase_Delay view;
    const std::size_t count = H.size();
    view.frequency.resize(count);
    view.magnitude.resize(count);
    view.phase.assign(count, Not_A_Number);
    view.group_delay.assign(count, Not_A_Number);
    const double floor = KALTAP_Phase_Floor * sum_of_magnitudes(h);
    bool started = false;
    double last = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        view.frequency[i] = static_cast<double>(i) / static_cast<double>(M);
        view.magnitude[i] = std::abs(H[i]);
        if (!(view.magnitude[i] > floor)) continue;
        double phase = std::arg(H[i]);
        if (started) phase -= Two_Pi * std::round((phase - last) / Two_Pi);
        // A step of exactly half a turn either way is the same; take it down.
        if (started && phase - last > Pi * (1.0 - 8.0 * Epsilon)) phase -= Two_Pi;
        view.phase[i] = last = phase;
        started = true;
        view.group_delay[i] = (G[i] * std::conj(H[i])).real() / std::norm(H[i]);
    }
    return view;
}

KALTAP_Zeros KALTAP_Filter_Zeros(const std::vector<double>& h) {
    KALTAP_Zeros result;
    std::size_t first = 0, last = h.size();
    while (first < h.size() && h[first] == 0.0) ++first;
    while (last > first && h[last - 1] == 0.0) --last;
    if (first == h.size()) return result;  // no taps: no polynomial
    result.degree = static_cast<int>(h.size() - 1 - first);
    result.at_origin = static_cast<int>(h.size() - last);
    const std::vector<Complex> c(h.begin() + static_cast<std::ptrdiff_t>(first),
                                 h.begin() + static_cast<std::ptrdiff_t>(last));
    const Symmetry symmetry = symmetry_of(h);
    if (c.size() == 1) {
        result.all = true;
        return result;
    }
    if (static_cast<int>(h.size()) <= KALTAP_Zeros_Length_Limit) {
        std::vector<Complex> zeros;
        const bool converged = aberth_roots(c, zeros);
        double check = 0.0;
        if (symmetry != Symmetry::None)
            check = reciprocal_pair_error(zeros);
        else
            for (const Complex& z : zeros) check = std::max(check, relative_residual(c, z));
        result.check = check;
        if (converged && check <= KALTAP_Zeros_Tolerance) {
            result.zeros = std::move(zeros);
            result.all = true;
            return result;
        }
    }
    result.zeros = zeros_on_unit_circle(h, symmetry);
    return result;
}
