// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Amplitude_Response.h"

#include <vector>

#include "KALTAP_Block_Trig.h"
#include "Parallel_Work.h"

namespace {

constexpr double Two_Pi = 6.283185307179586476925286766559;
constexpr int Terms_Worth_Splitting = 1 << 19;

// reversed[i-1] = w(m+1-i), i = 1..m: the taps in the order the sum takes them.
void reverse_taps(const Array1<double>& w, int m, std::vector<double>& reversed) {
    reversed.resize(static_cast<std::size_t>(m > 0 ? m : 0));
    for (int i = 1; i <= m; ++i) reversed[i - 1] = w(m + 1 - i);
}

// The centre tap's share of the sum (odd lengths) and the phase offset s.
double centre_term(const Array1<double>& w, int N) { return N % 2 ? 0.5 * w(N / 2 + 1) : 0.0; }
double phase_offset(int N) { return (N % 2 - 1) / 2.0; }

}  // namespace

double KALTAP_Amplitude_Response(double f, const Array1<double>& w, int N, bool symmetric) {
    thread_local std::vector<double> reversed;
    const int m = N / 2;
    reverse_taps(w, m, reversed);
    return 2.0 * KALTAP_Fast_Trig_Sum(Two_Pi * f, m, phase_offset(N), reversed.data(), centre_term(w, N), symmetric);
}

void KALTAP_Amplitude_Response_Many(const double* f, int count, const Array1<double>& w, int N, bool symmetric,
                                    double* result) {
    std::vector<double> reversed;
    const int m = N / 2;
    reverse_taps(w, m, reversed);
    const double offset = phase_offset(N), start = centre_term(w, N);
    const int groups = (count + KALTAP_Sums_At_Once - 1) / KALTAP_Sums_At_Once;
    // Enough work per thread to outweigh handing half of it to the other core,
    // which can take tens of microseconds to wake: about half a million terms.
    const int grain = 2 + Terms_Worth_Splitting / (KALTAP_Sums_At_Once * (m + 1));
    KALTAP_Parallel_For(0, groups - 1, grain, [&](int lo, int hi) {
        double steps[KALTAP_Sums_At_Once], sums[KALTAP_Sums_At_Once];
        for (int g = lo; g <= hi; ++g) {
            const int first = g * KALTAP_Sums_At_Once;
            const int n = count - first < KALTAP_Sums_At_Once ? count - first : KALTAP_Sums_At_Once;
            for (int l = 0; l < n; ++l) steps[l] = Two_Pi * f[first + l];
            KALTAP_Fast_Trig_Sums(steps, n, m, offset, reversed.data(), start, symmetric, sums);
            for (int l = 0; l < n; ++l) result[first + l] = 2.0 * sums[l];
        }
    });
}
