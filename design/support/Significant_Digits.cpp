// SPDX-License-Identifier: GPL-3.0-or-later
#include "Significant_Digits.h"

#include <cmath>
#include <limits>

namespace {

constexpr int Digits = 6;

// Powers of ten that a double holds exactly: 10^0 .. 10^22.
constexpr int Largest_Exact_Power_Of_Ten = 22;
constexpr double Exact_Powers_Of_Ten[Largest_Exact_Power_Of_Ten + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The six digits of a value scaled by 10^k lie in [10^5, 10^6).
constexpr double Lowest_Digits = 1e5, Digits_Bound = 1e6;

// A scaled value below 10^6 < 2^20 is within 2^-33 (1.2e-10) of the exact
// product or quotient; a fraction this close to one half may be a tie, or
// on the other side of it.
constexpr double Tie_Margin = 1e-9;

// magnitude * 10^k, correctly rounded; NaN when 10^|k| is not exact.
double scaled_by_power_of_ten(double magnitude, int k) {
    if (k > Largest_Exact_Power_Of_Ten || k < -Largest_Exact_Power_Of_Ten) return std::nan("");
    return k >= 0 ? magnitude * Exact_Powers_Of_Ten[k] : magnitude / Exact_Powers_Of_Ten[-k];
}

}  // namespace

// The text form holds the decimal d * 10^-k with d the six leading digits of
// |value| rounded to nearest, and reading it back gives the double nearest to
// that decimal. With d and 10^|k| both exact, one correctly rounded division
// or multiplication gives that same double.
bool Six_Significant_Digits(double value, double& rounded) {
    const double magnitude = std::fabs(value);
    if (!(magnitude > 0.0 && magnitude <= std::numeric_limits<double>::max())) return false;
    int k = Digits - 1 - static_cast<int>(std::floor(std::log10(magnitude)));
    double scaled = scaled_by_power_of_ten(magnitude, k);
    // log10 may miss by one next to a power of ten.
    if (scaled < Lowest_Digits)
        scaled = scaled_by_power_of_ten(magnitude, ++k);
    else if (scaled >= Digits_Bound)
        scaled = scaled_by_power_of_ten(magnitude, --k);
    if (!(scaled >= Lowest_Digits && scaled < Digits_Bound)) return false;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact: the low bits of scaled
    if (std::fabs(fraction - 0.5) < Tie_Margin) return false;
    const double digits = fraction > 0.5 ? whole + 1.0 : whole;
    rounded = std::copysign(k >= 0 ? digits / Exact_Powers_Of_Ten[k] : digits * Exact_Powers_Of_Ten[-k], value);
    return true;
}
