// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cubic_Spline_Interpolation.h"

#include <cmath>
#include <string>

#include "Fortran_Format.h"
#include "Program_Stop.h"
#include "Unit_IO.h"

int CSINTERP_Count = 0;
Array1<double> CSINTERP_X;
Array1<double> CSINTERP_Y;
Array1<double> CSINTERP_H;
Array1<double> CSINTERP_Slope;
int Left_End_Condition = 0;
int Right_End_Condition = 0;

double Left_End_Slope = 0.0;
double Left_End_Second_Derivative = 0.0;
double Right_End_Slope = 0.0;
double Right_End_Second_Derivative = 0.0;

double CSINTERP_Value = 0.0;
double CSINTERP_Derivative = 0.0;
double CSINTERP_Second_Derivative = 0.0;
double CSINTERP_Curvature = 0.0;

namespace {

// Tables of this many knots or more are narrowed by bisection before the scan.
constexpr int Bisection_Span = 11;
// The smallest table that has an interval.
constexpr int Minimum_Knots = 2;

void write_console(const std::string& line) { UNIT_Write(UNIT_Standard_Output, line); }

// The second line of an end-condition failure: the two admissible values.
std::string admissible_conditions() {
    return "Must be either " + FMT_Free(CSINTERP_Given_Second_Derivative) + " " + " or" + " " +
           FMT_Free(CSINTERP_Given_Slope);
}

// A failed initialisation leaves no half-built spline behind: the arrays are
// released before the stop, so a later evaluation reports the missing spline
// instead of using unsolved slopes.
[[noreturn]] void abandon_initialization() {
    CSINTERP_Release();
    KALTAP_Stop();
}

void require_spline(const char* routine) {
    if (CSINTERP_Count >= Minimum_Knots) return;
    write_console(std::string("###Error in ") + routine + ", no spline initialised, CSINTERP_Count is " +
                  FMT_Free(CSINTERP_Count));
    KALTAP_Stop();
}

}  // namespace

void CSINTERP_Release() {
    CSINTERP_X.release();
    CSINTERP_Y.release();
    CSINTERP_H.release();
    CSINTERP_Slope.release();
    CSINTERP_Count = 0;
}

// The unknowns are the knot slopes m_1..m_n. Each row of the tridiagonal
// system (sub, diagonal, super, right side) states one condition on them; the
// right sides are kept divided by 3 and multiplied back in the solution:
//   interior knot i (C2 continuity of S):
//     m_(i-1)/h_(i-1) + 2 m_i (1/h_(i-1) + 1/h_i) + m_(i+1)/h_i
//         = 3 (D_(i-1)/h_(i-1)^2 + D_i/h_i^2),            D_i = y_(i+1) - y_i
//   given second derivative S'' at the left end:  2 m_1 + m_2 = 3 D_1/h_1 - h_1 S''/2
//   given second derivative S'' at the right end: m_(n-1) + 2 m_n = 3 D_(n-1)/h_(n-1) + h_(n-1) S''/2
//   given slope s at an end:                       m = s
// (the end rows divided by h so that all rows scale alike). Every row is
// strictly diagonally dominant for positive widths, so elimination without
// pivoting is stable and never meets a zero pivot.
void CSINTERP_Initialization(const Array1<double>& x, const Array1<double>& y, int n, int Left_End_Condition,
                             int Right_End_Condition) {
    // 1. Replace the old spline by a copy of the new table.
    CSINTERP_Release();
    if (n < Minimum_Knots) {
        write_console("###Error in CSINTERP_Initialization, at least " + FMT_Free(Minimum_Knots) +
                      " knots needed, n is " + FMT_Free(n));
        abandon_initialization();
    }
    if (x.extent() < n || y.extent() < n) {
        write_console("###Error in CSINTERP_Initialization, n is " + FMT_Free(n) + " but x holds " +
                      FMT_Free(x.extent()) + " and y holds " + FMT_Free(y.extent()) + " values");
        abandon_initialization();
    }
    CSINTERP_X.allocate(n);
    CSINTERP_Y.allocate(n);
    CSINTERP_H.allocate(n - 1);
    CSINTERP_Slope.allocate(n);
    for (int i = 1; i <= n; ++i) {
        CSINTERP_X(i) = x(i);
        CSINTERP_Y(i) = y(i);
    }
    CSINTERP_Count = n;
    ::Left_End_Condition = Left_End_Condition;
    ::Right_End_Condition = Right_End_Condition;

    // 2. Widths and differences of the intervals. A zero, negative or
    // non-finite width would divide by zero below or break the interval search.
    Array1<double> Delta;
    Delta.allocate(n - 1);
    for (int i = 1; i <= n - 1; ++i) {
        CSINTERP_H(i) = CSINTERP_X(i + 1) - CSINTERP_X(i);
        Delta(i) = CSINTERP_Y(i + 1) - CSINTERP_Y(i);
        const double h = CSINTERP_H(i);
        if (!(h > 0.0) || !std::isfinite(h)) {
            write_console("###Error in CSINTERP_Initialization, abscissas not strictly increasing at knot " +
                          FMT_Free(i + 1) + ", x(" + FMT_Free(i) + ") = " + FMT_Free(CSINTERP_X(i)) + ", x(" +
                          FMT_Free(i + 1) + ") = " + FMT_Free(CSINTERP_X(i + 1)));
            abandon_initialization();
        }
    }

    // 3. The tridiagonal system, row by row.
    Array1<double> Sub, Diag, Super, Rhs;
    Sub.allocate(n);
    Diag.allocate(n);
    Super.allocate(n);
    Rhs.allocate(n);
    const Array1<double>& H = CSINTERP_H;

    // Row 1: the left end.
    Sub(1) = 0.0;
    if (Left_End_Condition == CSINTERP_Given_Second_Derivative) {
        write_console("Left end canonical, 2nd derivative " + FMT_Free(Left_End_Second_Derivative));
        Diag(1) = 2.0 / H(1);
        Super(1) = 1.0 / H(1);
        Rhs(1) = Delta(1) / (H(1) * H(1)) - Left_End_Second_Derivative / 6.0;
    } else if (Left_End_Condition == CSINTERP_Given_Slope) {
        write_console("Left end sets slope to " + FMT_Free(Left_End_Slope));
        Diag(1) = 3.0 / H(1);
        Super(1) = 0.0;
        Rhs(1) = Left_End_Slope / H(1);
    } else {
        write_console("###Error in CSINTERP_Initialization, Left_End_Condition is " + FMT_Free(Left_End_Condition));
        write_console(admissible_conditions());
        abandon_initialization();
    }

    // Rows 2..n-1: continuity of the second derivative at the inner knots.
    for (int i = 2; i <= n - 1; ++i) {
        Sub(i) = 1.0 / H(i - 1);
        Diag(i) = 2.0 / H(i - 1) + 2.0 / H(i);
        Super(i) = 1.0 / H(i);
        Rhs(i) = Delta(i - 1) / (H(i - 1) * H(i - 1)) + Delta(i) / (H(i) * H(i));
    }

    // Row n: the right end.
    Super(n) = 0.0;
    if (Right_End_Condition == CSINTERP_Given_Second_Derivative) {
        write_console("Right end canonical, 2nd derivative " + FMT_Free(Right_End_Second_Derivative));
        Sub(n) = 1.0 / H(n - 1);
        Diag(n) = 2.0 / H(n - 1);
        Rhs(n) = Right_End_Second_Derivative / 6.0 + Delta(n - 1) / (H(n - 1) * H(n - 1));
    } else if (Right_End_Condition == CSINTERP_Given_Slope) {
        write_console("Right end sets slope to " + FMT_Free(Right_End_Slope));
        Sub(n) = 0.0;
        Diag(n) = 3.0 / H(n - 1);
        Rhs(n) = Right_End_Slope / H(n - 1);
    } else {
        write_console("###Error in CSINTERP_Initialization, Right_End_Condition is " + FMT_Free(Right_End_Condition));
        write_console(admissible_conditions());
        abandon_initialization();
    }

    // 4. Forward elimination of the sub-diagonal, then back substitution; the
    // right sides get their factor 3 here.
    for (int i = 2; i <= n; ++i) {
        const double f = Sub(i) / Diag(i - 1);
        Diag(i) -= f * Super(i - 1);
        Rhs(i) -= f * Rhs(i - 1);
    }
    CSINTERP_Slope(n) = 3.0 * Rhs(n) / Diag(n);
    for (int i = n - 1; i >= 1; --i) CSINTERP_Slope(i) = (3.0 * Rhs(i) - Super(i) * CSINTERP_Slope(i + 1)) / Diag(i);
}

// On interval i with t = (x - x_i)/h_i in [0, 1]:
//   S(x)   = y_i h00 + y_(i+1) h01 + h_i (m_i h10 + m_(i+1) h11)
//   S'(x)  = (y_i h00' + y_(i+1) h01')/h_i + m_i h10' + m_(i+1) h11'
//   S''(x) = (m_i h10'' + m_(i+1) h11'')/h_i + (y_i h00'' + y_(i+1) h01'')/h_i^2
// with the cubic Hermite basis
//   h00 = (1 + 2t)(1 - t)^2   h01 = t^2 (3 - 2t)   h10 = t (1 - t)^2   h11 = t^2 (t - 1)
// and its derivatives in t (primes below). Outside [0, 1] the same cubic is
// extended.
double CSINTERP_Evaluate(double x) {
    require_spline("CSINTERP_Evaluate");
    const int i = CSINTERP_Locate(x);
    const double h = CSINTERP_H(i);
    const double t = (x - CSINTERP_X(i)) / h;
    const double yi = CSINTERP_Y(i), yj = CSINTERP_Y(i + 1);
    const double mi = CSINTERP_Slope(i), mj = CSINTERP_Slope(i + 1);

    const double h00 = (1.0 + 2.0 * t) * (1.0 - t) * (1.0 - t);
    const double h01 = t * t * (3.0 - 2.0 * t);
    const double h10 = t * (1.0 - t) * (1.0 - t);
    const double h11 = t * t * (t - 1.0);

    const double h00_1 = 6.0 * t * (t - 1.0);
    const double h01_1 = -6.0 * t * (t - 1.0);
    const double h10_1 = (3.0 * t - 1.0) * (t - 1.0);
    const double h11_1 = t * (3.0 * t - 2.0);

    const double h00_2 = 6.0 * (2.0 * t - 1.0);
    const double h01_2 = -6.0 * (2.0 * t - 1.0);
    const double h10_2 = 2.0 * (3.0 * t - 2.0);
    const double h11_2 = 2.0 * (3.0 * t - 1.0);

    CSINTERP_Value = yi * h00 + yj * h01 + h * (mi * h10 + mj * h11);
    CSINTERP_Derivative = (yi * h00_1 + yj * h01_1) / h + mi * h10_1 + mj * h11_1;
    CSINTERP_Second_Derivative = (mi * h10_2 + mj * h11_2) / h + (yi * h00_2 + yj * h01_2) / (h * h);
    // The denominator is at least 1, so the curvature is always defined.
    CSINTERP_Curvature = CSINTERP_Second_Derivative / std::pow(1.0 + CSINTERP_Derivative * CSINTERP_Derivative, 1.5);
    return CSINTERP_Value;
}

// On interval i the second derivative at its ends (t = 0 and t = 1) is
//   S''(x_i+)     = -(4 m_i + 2 m_(i+1))/h_i + 6 D_i/h_i^2
//   S''(x_(i+1)-) =  (2 m_i + 4 m_(i+1))/h_i - 6 D_i/h_i^2
// and the value at its middle (t = 1/2) is (y_i + y_(i+1))/2 + h_i (m_i - m_(i+1))/8.
// Between the knots S'' is linear, so finite end values bound it.
int CSINTERP_Unusable_Interval() {
    require_spline("CSINTERP_Unusable_Interval");
    const int n = CSINTERP_Count;
    const Array1<double>& H = CSINTERP_H;
    const Array1<double>& Y = CSINTERP_Y;
    const Array1<double>& M = CSINTERP_Slope;
    constexpr double Largest_Basis_Factor = 6.0;  // largest factor of 1/h and D/h^2 above

    // The interval's own terms, before any solution: the plain cause.
    for (int i = 1; i <= n - 1; ++i) {
        const double inverse_width = 1.0 / H(i);
        const double curvature_term = (Y(i + 1) - Y(i)) * inverse_width * inverse_width;
        if (!std::isfinite(Largest_Basis_Factor * inverse_width) ||
            !std::isfinite(Largest_Basis_Factor * curvature_term))
            return i;
    }

    bool usable = true;
    for (int i = 1; i <= n - 1 && usable; ++i) {
        const double h = H(i);
        const double D = Y(i + 1) - Y(i);
        const double left = -(4.0 * M(i) + 2.0 * M(i + 1)) / h + 6.0 * D / (h * h);
        const double right = (2.0 * M(i) + 4.0 * M(i + 1)) / h - 6.0 * D / (h * h);
        const double middle = 0.5 * (Y(i) + Y(i + 1)) + h * (M(i) - M(i + 1)) / 8.0;
        usable = std::isfinite(M(i)) && std::isfinite(M(i + 1)) && std::isfinite(left) && std::isfinite(right) &&
                 std::isfinite(middle);
    }
    if (usable) return 0;
    int narrowest = 1;
    for (int i = 2; i <= n - 1; ++i)
        if (H(i) < H(narrowest)) narrowest = i;
    return narrowest;
}

int CSINTERP_Locate(double x) {
    require_spline("CSINTERP_Locate");
    const Array1<double>& X = CSINTERP_X;
    int lo = 1;
    int hi = CSINTERP_Count;

    // 1. Halve the span while it holds Bisection_Span knots or more. The
    // middle knot lies strictly inside, so the span shrinks every pass and
    // mid never reaches the last knot.
    while (hi - lo + 1 >= Bisection_Span) {
        const int mid = (lo + hi) / 2;
        if (X(mid) > x) {
            hi = mid;
        } else if (X(mid) < x) {
            lo = mid;
        } else {
            return mid;
        }
    }

    // 2. Scan the remaining knots from the top for the first x_j <= x. The
    // top knot itself is never an interval start, so x_n gives the last
    // interval with t = 1.
    for (int j = hi - 1; j >= lo; --j)
        if (X(j) <= x) return j;

    // Nothing found: x lies below the first knot (or is NaN). There is no
    // interval 0; the first interval's cubic is extended instead.
    return lo - 1 >= 1 ? lo - 1 : 1;
}
