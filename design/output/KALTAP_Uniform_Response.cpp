// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Uniform_Response.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <utility>
#include <vector>

namespace {

using Complex = std::complex<double>;

constexpr double Pi = 3.14159265358979323846264338327950288;
constexpr long long Largest_Transform = 1LL << 30;

// Complex product written out (std::complex's operator* checks for
// infinities on every call).
inline Complex times(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// In-place FFT of a power-of-two size, iterative radix 2:
//   a[k] <- sum_t a[t] e^{-+2 pi i t k/size}  (forward -, inverse +; unscaled).
class Power_Of_Two_FFT {
public:
    explicit Power_Of_Two_FFT(int size) : size_(size), roots_(static_cast<std::size_t>(size / 2)) {
        for (int k = 0; k < size / 2; ++k) {
            const double angle = 2.0 * Pi * k / size;
            roots_[k] = Complex(std::cos(angle), -std::sin(angle));
        }
    }
    void transform(Complex* a, bool inverse) const {
        for (int i = 1, j = 0; i < size_; ++i) {  // bit-reversed order
            int bit = size_ >> 1;
            for (; j & bit; bit >>= 1) j ^= bit;
            j ^= bit;
            if (i < j) std::swap(a[i], a[j]);
        }
        for (int length = 2; length <= size_; length <<= 1) {
            const int half = length / 2, step = size_ / length;
            for (int first = 0; first < size_; first += length)
                for (int k = 0; k < half; ++k) {
                    const Complex root = inverse ? std::conj(roots_[k * step]) : roots_[k * step];
                    const Complex u = a[first + k], v = times(a[first + k + half], root);
                    a[first + k] = u + v;
                    a[first + k + half] = u - v;
                }
        }
    }

private:
    int size_;
    std::vector<Complex> roots_;
};

// c_k = e^{-pi i k^2/L}, with k^2 taken modulo 2L exactly.
Complex chirp(long long k, long long L) {
    const long long r = (k < 0 ? -k : k) % (2 * L);
    const long long square = static_cast<long long>((static_cast<unsigned long long>(r) * r) % (2ULL * L));
    const double angle = Pi * static_cast<double>(square) / static_cast<double>(L);
    return {std::cos(angle), -std::sin(angle)};
}

// X_j = sum_{i<n} x_i e^{-2 pi i ij/L}, j = 0..J-1, for any length L, by
// Bluestein's chirp: ij = (i^2 + j^2 - (j-i)^2)/2, so
//   X_j = c_j * sum_i (x_i c_i) conj(c_{j-i}),
// a convolution taken block by block (overlap-save) with power-of-two FFTs
// of size M, at least 4n, each block giving M - n + 1 outputs.
void chirp_transform(const std::vector<double>& x, long long L, long long J, std::vector<Complex>& X) {
    const int n = static_cast<int>(x.size());
    int M = 2;
    while (M < 4 * n) M <<= 1;
    const Power_Of_Two_FFT fft(M);
    std::vector<Complex> y(static_cast<std::size_t>(M)), h(static_cast<std::size_t>(M)),
        block_chirp(static_cast<std::size_t>(M));
    for (int i = 0; i < n; ++i) y[i] = x[i] * chirp(i, L);
    fft.transform(y.data(), false);
    const long long outputs_per_block = M - n + 1;
    X.assign(static_cast<std::size_t>(J), Complex());
    for (long long first = 0; first < J; first += outputs_per_block) {
        // h[t] = conj(c_k), k = first - (n-1) + t: the chirp at every j-i this
        // block meets, which includes its outputs' own c_j (t = s + n-1).
        for (int t = 0; t < M; ++t) {
            block_chirp[t] = chirp(first - (n - 1) + t, L);
            h[t] = std::conj(block_chirp[t]);
        }
        fft.transform(h.data(), false);
        for (int t = 0; t < M; ++t) h[t] = times(h[t], y[t]);
        fft.transform(h.data(), true);
        const double scale = 1.0 / M;
        for (long long s = 0; s < outputs_per_block && first + s < J; ++s)
            X[first + s] = times(block_chirp[s + n - 1], h[s + n - 1] * scale);
    }
}

}  // namespace

bool KALTAP_Uniform_Response(const Array1<double>& w, int N, bool symmetric, double f0, long long a, long long L,
                             int count, double* A, int stride) {
    const double twice_f0 = 2.0 * f0;
    if (N < 1 || count < 0 || stride < 1 || a < 1 || a > Largest_Transform || L < 1 || L > Largest_Transform)
        return false;
    if (twice_f0 != std::nearbyint(twice_f0)) return false;
    if (w.extent() < (N + 1) / 2) return false;
    const long long g = std::gcd(a, L);
    a /= g;
    L /= g;

    // With m = N/2, s = -1/2 (even N) or 0, c_i = w(m+1-i) and f = f0 + j/L:
    //   Z(f) = sum_{i=1..m} c_i e^{-2 pi i f (i+s)}
    //        = e^{-2 pi i f s} * sum_i [c_i (-1)^{2 f0 i}] e^{-2 pi i j i/L},
    // whose last sum is the transform X_j of the real x_{i mod L} = c_i (-1)^{2 f0 i}.
    // The cosine sum is Re Z, the sine sum -Im Z.
    const int m = N / 2;
    const bool alternate = static_cast<long long>(twice_f0) % 2 != 0;
    const double start = N % 2 ? 0.5 * w(m + 1) : 0.0;
    if (!std::isfinite(start)) return false;
    std::vector<double> x(static_cast<std::size_t>(std::min<long long>(m + 1, L)), 0.0);
    for (int i = 1; i <= m; ++i) {
        const double c = w(m + 1 - i);
        if (!std::isfinite(c)) return false;
        x[i % L] += alternate && i % 2 ? -c : c;
    }

    // Real x: X_{L-j} is the conjugate of X_j, so j = 0 .. L/2 will do.
    std::vector<Complex> X;
    chirp_transform(x, L, L / 2 + 1, X);

    const bool half_sample = N % 2 == 0;
    for (int q = 0; q < count; ++q) {
        const long long j = (a * q) % L;
        const bool mirrored = j > L / 2;
        const long long k = mirrored ? L - j : j;
        Complex Z = mirrored ? std::conj(X[k]) : X[k];
        if (half_sample) {
            const double theta = Pi * (f0 + static_cast<double>(a * q) / static_cast<double>(L));
            Z = times(Z, Complex(std::cos(theta), std::sin(theta)));
        }
        double& value = A[static_cast<std::size_t>(q) * stride];
        value = 2.0 * (start + (symmetric ? Z.real() : -Z.imag()));
        if (!std::isfinite(value)) return false;
    }
    return true;
}
