#include "KALTAP_Output.h"

#include <vector>

#include "KALTAP_Block_Trig.h"
#include "Parallel_Work.h"

namespace {

constexpr double Two_Pi = 6.283185307179586476925286766559;

// reversed[i-1] = w(m+1-i), i = 1..m: the taps in the order the sum takes them.
void reverse_taps(const Array1<double>& w, int m, std::vector<double>& reversed) {
    reversed.resize(static_cast<std::size_t>(m > 0 ? m : 0));
    for (int i = 1; i <= m; ++i) reversed[i - 1] = w(m + 1 - i);
}

double response_with(double f, const Array1<double>& w, int N, bool symmetric, const double* reversed) {
    const int m = N / 2;
    const int o = N % 2;
    const double s = (o - 1) / 2.0;
    double c = o ? 0.5 * w(m + 1) : 0.0;
    const double step = Two_Pi * f;
    double terms[KALTAP_Trig_Block];
    for (int first = 1; first <= m; first += KALTAP_Trig_Block) {
        int count = m - first + 1 < KALTAP_Trig_Block ? m - first + 1 : KALTAP_Trig_Block;
        if (symmetric)
            KALTAP_Fast_Cos_Ramp(first, s, step, terms, count);
        else
            KALTAP_Fast_Sin_Ramp(first, s, step, terms, count);
        c = c + KALTAP_Dot(terms, reversed + (first - 1), count);
    }
    return 2.0 * c;
}

}  // namespace

double KALTAP_Amplitude_Response(double f, const Array1<double>& w, int N, bool symmetric) {
    thread_local std::vector<double> reversed;
    reverse_taps(w, N / 2, reversed);
    return response_with(f, w, N, symmetric, reversed.data());
}

void KALTAP_Amplitude_Response_Many(const double* f, int count, const Array1<double>& w, int N,
                                    bool symmetric, double* result) {
    std::vector<double> reversed;
    reverse_taps(w, N / 2, reversed);
    const int grain = N > 64 ? 16 : 4096;
    KALTAP_Parallel_For(0, count - 1, grain, [&](int lo, int hi) {
        for (int i = lo; i <= hi; ++i) result[i] = response_with(f[i], w, N, symmetric, reversed.data());
    });
}
