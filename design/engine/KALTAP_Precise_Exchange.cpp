// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Precise_Exchange.h"

#include <cmath>
#include <vector>

#include "KALTAP_Configuration_Parameters.h"

namespace {

constexpr long double Two_Pi_Long = 6.283185307179586476925286766559005768L;

#if defined(__SIZEOF_FLOAT128__)
using Quad = __float128;
#else
using Quad = long double;
#endif

template <class T>
T magnitude(T x) {
    return x < 0 ? -x : x;
}

// One exchange in the arithmetic T over the current grid.
template <class T>
class Exchange {
public:
    Exchange() : n_(Half_Length), m_(Half_Length + 1), grid_(Grid_Size) {
        x_.resize(static_cast<std::size_t>(grid_));
        D_.resize(x_.size());
        W_.resize(x_.size());
        for (int j = 1; j <= grid_; ++j) {
            x_[j - 1] = static_cast<T>(std::cos(Two_Pi_Long * static_cast<long double>(Grid_Frequency(j))));
            D_[j - 1] = static_cast<T>(Grid_Desired(j));
            W_[j - 1] = static_cast<T>(Grid_Weight(j));
        }
        X_.resize(static_cast<std::size_t>(m_));
        A_.resize(X_.size());
        Y_.resize(X_.size());
        e_.resize(x_.size());
    }

    KALTAP_Precise_Outcome run(KALTAP_Exchange_Start start) {
        KALTAP_Precise_Outcome outcome;
        std::vector<int> set(static_cast<std::size_t>(m_));
        if (start == KALTAP_Exchange_Start::Given_Set) {
            for (int k = 1; k <= m_; ++k) set[k - 1] = Extremal_Index(k);
        } else {
            // n+1 points spread evenly, the last on the grid's last point.
            for (int k = 1; k <= m_; ++k)
                set[k - 1] = 1 + static_cast<int>((static_cast<long long>(k - 1) * (grid_ - 1)) / n_);
            set[m_ - 1] = grid_;
        }
        std::vector<int> next;
        T level_before = 0;
        std::vector<int> set_before;
        for (int iteration = 1; iteration <= KALTAP_Precise_Iteration_Limit; ++iteration) {
            outcome.iterations = iteration;
            if (!level(set)) return outcome;
            // Every exchange raises the level; one that falls is the
            // arithmetic's rounding, and no later one can be trusted: the set
            // before it is as far as this arithmetic gets.
            if (magnitude(deviation_) < level_before * (1 - static_cast<T>(KALTAP_Precise_Tolerance))) {
                set.swap(set_before);
                if (!level(set)) return outcome;
                outcome.converged = true;
                break;
            }
            level_before = magnitude(deviation_);
            set_before = set;
            for (int j = 1; j <= grid_; ++j) e_[j - 1] = W_[j - 1] * (D_[j - 1] - value(x_[j - 1]));
            if (!exchange(next)) return outcome;
            T smallest = magnitude(e_[next[0] - 1]), largest = smallest;
            for (int L : next) {
                const T e = magnitude(e_[L - 1]);
                if (e < smallest) smallest = e;
                if (e > largest) largest = e;
            }
            const bool same = next == set;
            set.swap(next);
            if (same || largest - smallest <= static_cast<T>(KALTAP_Precise_Tolerance) * smallest) {
                if (!same && !level(set)) return outcome;
                outcome.converged = true;
                break;
            }
        }
        outcome.deviation = static_cast<double>(magnitude(deviation_));
        for (int k = 1; k <= m_; ++k) Extremal_Index(k) = set[k - 1];
        if (outcome.converged) outcome.deviation = finish(set);
        return outcome;
    }

    // The final levelling and the cosine series, always in quadruple
    // precision: they cost a few products per pair of points, and the series
    // samples the approximation across the gaps between bands, where the
    // interpolation loses most. Returns the levelled deviation.
    static double finish(const std::vector<int>& set) {
        Exchange<Quad> last;
        last.level(set);
        last.coefficients();
        return static_cast<double>(magnitude(last.deviation_));
    }

private:
    template <class>
    friend class Exchange;
    const int n_, m_, grid_;
    std::vector<T> x_, D_, W_;  // grid: cosine, desired, weight
    std::vector<T> X_, A_, Y_;  // set: cosine, barycentric weight, value
    std::vector<T> e_;          // weighted error on the grid
    T deviation_ = 0;

    // The levelled deviation on `set` and the values the approximation takes
    // there: A(k) = 1 / prod_{j != k} 2 (X(k) - X(j)),
    // deviation = sum A(k) D(k) / sum A(k) s(k) / W(k) with s(k) = +1, -1, ...
    bool level(const std::vector<int>& set) {
        for (int k = 0; k < m_; ++k) X_[k] = x_[set[k] - 1];
        for (int k = 0; k < m_; ++k) {
            T product = 1;
            for (int j = 0; j < m_; ++j)
                if (j != k) product *= 2 * (X_[k] - X_[j]);
            A_[k] = 1 / product;
        }
        T numerator = 0, denominator = 0;
        for (int k = 0; k < m_; ++k) {
            const int L = set[k] - 1;
            numerator += A_[k] * D_[L];
            denominator += (k % 2 == 0 ? A_[k] : -A_[k]) / W_[L];
        }
        deviation_ = numerator / denominator;
        if (!std::isfinite(static_cast<double>(deviation_))) return false;
        for (int k = 0; k < m_; ++k) {
            const int L = set[k] - 1;
            Y_[k] = D_[L] - (k % 2 == 0 ? deviation_ : -deviation_) / W_[L];
        }
        return true;
    }

    // The approximation at the cosine x: the set's value at a set point,
    // otherwise sum c(k) Y(k) / sum c(k) with c(k) = A(k) / (x - X(k)).
    T value(T x) const {
        T numerator = 0, denominator = 0;
        for (int k = 0; k < m_; ++k) {
            const T d = x - X_[k];
            if (d == 0) return Y_[k];
            const T c = A_[k] / d;
            numerator += c * Y_[k];
            denominator += c;
        }
        return numerator / denominator;
    }

    // The next set from the error on the grid; false when the error
    // alternates fewer than n+1 times.
    bool exchange(std::vector<int>& next) {
        next.clear();
        int sign = 0;
        for (int L = 1; L <= grid_; ++L) {
            const T e = e_[L - 1];
            const int s = e > 0 ? 1 : (e < 0 ? -1 : 0);
            if (s == 0) continue;
            if (s != sign) {
                next.push_back(L);
                sign = s;
            } else if (magnitude(e) > magnitude(e_[next.back() - 1])) {
                next.back() = L;
            }
        }
        if (static_cast<int>(next.size()) < m_) return false;
        auto size = [&] { return static_cast<int>(next.size()); };
        auto at = [&](int i) { return magnitude(e_[next[static_cast<std::size_t>(i)] - 1]); };
        while (size() > m_) {
            const int last = size() - 1;
            if (size() == m_ + 1) {
                next.erase(next.begin() + (at(0) < at(last) ? 0 : last));
                continue;
            }
            int i = 0;
            for (int k = 1; k <= last; ++k)
                if (at(k) < at(i)) i = k;
            if (i == 0 || i == last) {
                next.erase(next.begin() + i);
                continue;
            }
            // Its neighbours have one sign: drop the smaller of them with it.
            const int pair = at(i - 1) < at(i + 1) ? i - 1 : i;
            next.erase(next.begin() + pair, next.begin() + pair + 2);
        }
        return true;
    }

    // alpha(1..n) of the approximation as a cosine series in f: the values
    // at f(j) = (j-1)/(2n-1), j = 1..n, turned into
    // alpha(j) = c(j) [P(1) + 2 sum_k P(k+1) cos(2 pi (j-1) k / (2n-1))] / (2n-1),
    // c(1) = 1, c(j) = 2 otherwise.
    void coefficients() {
        const int CN = 2 * n_ - 1;
        std::vector<T> cosine(static_cast<std::size_t>(CN)), P(static_cast<std::size_t>(n_));
        for (int i = 0; i < CN; ++i)
            cosine[i] = static_cast<T>(std::cos(Two_Pi_Long * static_cast<long double>(i) / CN));
        for (int j = 0; j < n_; ++j) P[j] = value(cosine[j]);
        for (int j = 1; j <= n_; ++j) {
            T sum = 0;
            for (int k = 1; k < n_; ++k)
                sum += P[k] * cosine[static_cast<std::size_t>((static_cast<long long>(j - 1) * k) % CN)];
            const T alpha = (P[0] + 2 * sum) / CN;
            Cosine_Coefficients(j) = static_cast<double>(j == 1 ? alpha : 2 * alpha);
        }
        if (n_ < 3) {
            Cosine_Coefficients(n_ + 1) = 0.0;
            Cosine_Coefficients(n_ + 2) = 0.0;
        }
    }
};

}  // namespace

double KALTAP_Precise_Series() {
    std::vector<int> set(static_cast<std::size_t>(Half_Length + 1));
    for (int k = 1; k <= Half_Length + 1; ++k) set[k - 1] = Extremal_Index(k);
    return Exchange<long double>::finish(set);
}

KALTAP_Precise_Outcome KALTAP_Precise_Exchange(KALTAP_Precision precision, KALTAP_Exchange_Start start) {
    if (precision == KALTAP_Precision::Quadruple) return Exchange<Quad>().run(start);
    return Exchange<long double>().run(start);
}
