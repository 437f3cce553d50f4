#include "KALTAP_Uniform_Response.h"

#include <cmath>
#include <complex>
#include <fftw3.h>
#include <limits>
#include <mutex>
#include <numeric>

namespace {

constexpr double Pi = 3.14159265358979323846264338327950288;
constexpr double Epsilon = std::numeric_limits<double>::epsilon();
constexpr long long Largest_Transform = 1LL << 30;

// Error budget, in units of epsilon times the sum of |taps| (each term of
// either sum is at most one tap in magnitude):
// - the FFT: a few roundings per stage of a radix stage, and up to p per
//   stage of a prime size p that FFTW does by a direct transform;
constexpr double FFT_Ulps_Per_Stage = 8.0;
// - each term of the direct sum: its kernel value and the rotations that
//   carry it along its block of 16, a few tens of ulps;
constexpr double Direct_Term_Ulps = 64.0;
// - the direct sum's arguments (i+s)*2*pi*f: 2*pi rounded, the product
//   rounded, and f itself a few ulps (of |f| and of the grid's offset |f0|)
//   from the grid's exact frequency.
constexpr double Argument_Ulps_of_f = 8.0, Argument_Ulps_of_Offset = 4.0;
// Everything above doubled, for what the estimate leaves out.
constexpr double Safety = 2.0;

// FFTW's planner is not thread-safe; plans are made and destroyed under this.
std::mutex planner;

// Largest prime factor of n >= 1.
long long largest_prime_factor(long long n) {
    long long largest = 1;
    for (long long p = 2; p * p <= n; ++p)
        while (n % p == 0) {
            largest = p;
            n /= p;
        }
    return n > 1 ? n : largest;
}

// Owns FFTW's arrays.
template <class T>
struct Fftw_Array {
    T* data;
    explicit Fftw_Array(std::size_t count) : data(static_cast<T*>(fftw_malloc(count * sizeof(T)))) {}
    ~Fftw_Array() { fftw_free(data); }
    Fftw_Array(const Fftw_Array&) = delete;
    Fftw_Array& operator=(const Fftw_Array&) = delete;
};

}  // namespace

bool KALTAP_Uniform_Response(const Array1<double>& w, int N, bool symmetric, double f0, long long a, long long L,
                             int count, double* A, int stride, KALTAP_Response_Bound& bound) {
    const double twice_f0 = 2.0 * f0;
    if (N < 1 || count < 0 || stride < 1 || a < 1 || L < 1 || L > Largest_Transform || twice_f0 != std::nearbyint(twice_f0))
        return false;
    if (w.extent() < (N + 1) / 2) return false;
    const long long g = std::gcd(a, L);
    a /= g;
    L /= g;

    // With m = N/2, s = -1/2 (even N) or 0, c_i = w(m+1-i) and f = f0 + j/L:
    //   Z(f) = sum_{i=1..m} c_i e^{-2 pi i f (i+s)}
    //        = e^{-2 pi i f s} * sum_i [c_i (-1)^{2 f0 i}] e^{-2 pi i j i/L},
    // whose last sum is the real transform Y_j of x_{i mod L} = c_i (-1)^{2 f0 i}.
    // The cosine sum is Re Z, the sine sum -Im Z.
    const int m = N / 2;
    const bool alternate = static_cast<long long>(twice_f0) % 2 != 0;
    const double start = N % 2 ? 0.5 * w(m + 1) : 0.0;
    // sum |c_i| and sum |c_i| (i + |s|): the argument of term i is (i+s)*2*pi*f.
    double taps = 0.0, taps_by_argument = 0.0;
    Fftw_Array<double> x(static_cast<std::size_t>(L));
    Fftw_Array<fftw_complex> Y(static_cast<std::size_t>(L / 2 + 1));
    if (x.data == nullptr || Y.data == nullptr) return false;
    for (long long j = 0; j < L; ++j) x.data[j] = 0.0;
    for (int i = 1; i <= m; ++i) {
        const double c = w(m + 1 - i);
        x.data[i % L] += alternate && i % 2 ? -c : c;
        taps += std::fabs(c);
        taps_by_argument += std::fabs(c) * (N % 2 ? i : i - 0.5);
    }
    if (!std::isfinite(taps_by_argument) || !std::isfinite(start)) return false;

    fftw_plan plan;
    {
        std::lock_guard<std::mutex> lock(planner);
        plan = fftw_plan_dft_r2c_1d(static_cast<int>(L), x.data, Y.data, FFTW_ESTIMATE);
    }
    if (plan == nullptr) return false;
    fftw_execute(plan);
    {
        std::lock_guard<std::mutex> lock(planner);
        fftw_destroy_plan(plan);
    }

    const bool half_sample = N % 2 == 0;
    for (int q = 0; q < count; ++q) {
        const long long j = (a * q) % L;
        // Y_{L-j} is the conjugate of Y_j for real x.
        const bool mirrored = j > L / 2;
        const long long k = mirrored ? L - j : j;
        std::complex<double> Z(Y.data[k][0], mirrored ? -Y.data[k][1] : Y.data[k][1]);
        if (half_sample) {
            const double theta = Pi * (f0 + static_cast<double>(a * q) / static_cast<double>(L));
            Z *= std::complex<double>(std::cos(theta), std::sin(theta));
        }
        double& value = A[static_cast<std::size_t>(q) * stride];
        value = 2.0 * (start + (symmetric ? Z.real() : -Z.imag()));
        if (!std::isfinite(value)) return false;
    }

    const double fft_ulps = FFT_Ulps_Per_Stage * (std::log2(static_cast<double>(L)) + 1.0) +
                            static_cast<double>(largest_prime_factor(L));
    const double direct_ulps = Direct_Term_Ulps + m;  // the terms, then m additions
    const double scale = Safety * 2.0 * Epsilon;
    const double argument = 2.0 * Pi * taps_by_argument;
    bound.base = scale * ((taps + std::fabs(start)) * (fft_ulps + direct_ulps) +
                          argument * Argument_Ulps_of_Offset * std::fabs(f0));
    bound.per_frequency = scale * argument * Argument_Ulps_of_f;
    return true;
}
