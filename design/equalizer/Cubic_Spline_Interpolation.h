// SPDX-License-Identifier: GPL-3.0-or-later
// Cubic spline interpolation of a table of points (x_i, y_i), i = 1..n.
//
// The spline S is twice continuously differentiable and is held in cubic
// Hermite form: on interval i (x_i .. x_(i+1)) it is fixed by y_i, y_(i+1)
// and the slopes m_i = S'(x_i), m_(i+1). The equalizer turns the user's
// tabulated response into a smooth desired response with it.
//
// One spline exists at a time, in the module variables below, until the next
// initialisation (or a release) replaces it. All arrays are one-based.
#pragma once

#include "KALTAP_Arrays.h"

// End conditions.
constexpr int CSINTERP_Given_Second_Derivative = 1;  // S'' at the end is prescribed
constexpr int CSINTERP_Given_Slope = 2;              // S' at the end is prescribed

// ---- The current spline ----
extern int CSINTERP_Count;             // knots n; 0 before the first initialisation and after a release
extern Array1<double> CSINTERP_X;      // (1..n) knot abscissas, strictly increasing
extern Array1<double> CSINTERP_Y;      // (1..n) knot ordinates
extern Array1<double> CSINTERP_H;      // (1..n-1) interval widths h_i = x_(i+1) - x_i (> 0)
extern Array1<double> CSINTERP_Slope;  // (1..n) solved slopes m_i = S'(x_i)
extern int Left_End_Condition;         // 1 or 2, see the end conditions above
extern int Right_End_Condition;

// Values the end conditions use. They start at 0 (natural ends for condition
// 1, flat ends for condition 2); nothing in the program changes them.
extern double Left_End_Slope;
extern double Left_End_Second_Derivative;
extern double Right_End_Slope;
extern double Right_End_Second_Derivative;

// ---- Results of the last evaluation ----
extern double CSINTERP_Value;              // S(x)
extern double CSINTERP_Derivative;         // S'(x)
extern double CSINTERP_Second_Derivative;  // S''(x)
extern double CSINTERP_Curvature;          // S'' / (1 + S'^2)^1.5

// Builds the spline through x(1..n), y(1..n) (copied) with the given end
// conditions (1 = given second derivative, 2 = given slope, values from the
// end variables above). Releases any previous spline first. Writes one console
// line per end condition:
//   "Left end canonical, 2nd derivative" / "Left end sets slope to" + value,
//   "Right end canonical, 2nd derivative" / "Right end sets slope to" + value.
// Failures, each with "###Error in CSINTERP_Initialization, ..." console
// lines, an orderly stop with a blank stop text and no spline left (count 0):
//   - a left end condition other than 1 or 2 (checked before the interior
//     equations are built), then a right one (checked after);
//   - n < 2, x or y holding fewer than n elements, or abscissas that are not
//     finite and strictly increasing.
void CSINTERP_Initialization(const Array1<double>& x, const Array1<double>& y, int n, int Left_End_Condition,
                             int Right_End_Condition);

// S(x); also sets CSINTERP_Value, _Derivative, _Second_Derivative and
// _Curvature. Outside [x_1, x_n] the cubic of the nearest end interval is
// extended. Without a spline: "###Error in CSINTERP_Evaluate, ..." and an
// orderly stop.
double CSINTERP_Evaluate(double x);

// Interval i (1..n-1) of the spline that serves x: the largest i <= n-1 with
// x_i <= x, found by bisection while 11 or more knots remain and by a scan
// from the top below that. A knot x_i (i < n) gives i (t = 0 there), x_n and
// anything above it give n-1, anything below x_1 (or NaN) gives 1. Without a
// spline: "###Error in CSINTERP_Locate, ..." and an orderly stop.
int CSINTERP_Locate(double x);

// Whether the current spline can be used: 0 when its slopes, the second
// derivatives at both ends of every interval and the value in the middle of
// every interval are finite. Otherwise the interval i (1..n-1, between knots
// i and i+1) that makes it unusable: the first interval whose own terms 6/h_i
// or 6 (y_(i+1) - y_i)/h_i^2 overflow, else (the overflow arose in the
// solution) the narrowest interval. Knots closer than about 1e-154 of the
// ordinates' scale overflow these terms. Without a spline: "###Error in
// CSINTERP_Unusable_Interval, ..." and an orderly stop.
int CSINTERP_Unusable_Interval();

// Releases the spline's arrays and sets CSINTERP_Count to 0.
void CSINTERP_Release();
