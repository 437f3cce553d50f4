// SPDX-License-Identifier: GPL-3.0-or-later
// The Remez exchange in extended arithmetic: the engine's plain rescue for
// requirements whose optimum lies where double arithmetic loses the levelling.
//
// Works on the current grid after the case conversion (Grid_Frequency,
// Grid_Desired, Grid_Weight, Grid_Size; Half_Length = n). Every sum and
// product of the levelling, the interpolation, the error and the cosine
// series is taken in the chosen arithmetic; the cosines come from long
// double. The error is searched on every grid point in each iteration (no
// single-precision rounding, no look-ahead): a reference path, slower than
// KALTAP_Remez_Exchange by one to two orders of magnitude, for sets of up to
// a few thousand points.
//
// The exchange starts from n+1 grid points spread evenly over the grid (the
// last on its last point), or from the caller's strictly increasing grid
// indices in Extremal_Index(1..n+1) (a set scaled from a shorter design: an
// evenly spread start far from the optimum makes the interpolation so badly
// conditioned that no arithmetic levels it once the optimum is small). Each iteration levels the error on the set and
// takes, of every run of grid points where the error keeps one sign, the
// point where it is largest; of more than n+1 such points it drops the
// smallest, in pairs of neighbours where the alternation needs it, else at an
// end. It has converged when the largest error on the new set exceeds the
// smallest by less than KALTAP_Precise_Tolerance of it.
//
// On success it leaves Extremal_Index(1..n+1) (the final set),
// Remez_Deviation (the levelled deviation, rounded to double) and
// Cosine_Coefficients(1..n) (the plain cosine series of the approximation,
// rounded to double), ready for KALTAP_Recover_Weights. It writes nothing to
// the console or the run log.
#pragma once

#include "KALTAP_Remez_Engine.h"

// Arithmetic of the precise exchange.
enum class KALTAP_Precision {
    Extended,  // long double: 64-bit significand on x86
    Quadruple  // __float128 (113-bit significand, in software) where the compiler has it, else long double
};

// Relative spread of the error on the final set at convergence.
constexpr double KALTAP_Precise_Tolerance = 1.0e-9;
// Iterations of one precise exchange at most.
constexpr int KALTAP_Precise_Iteration_Limit = 60;

struct KALTAP_Precise_Outcome {
    bool converged = false;  // the set levelled within the tolerance, or as far as the arithmetic goes
    int iterations = 0;
    double deviation = 0.0;  // |levelled deviation| (weighted), rounded to double
};

// Runs the exchange described above in `precision` on the current grid.
KALTAP_Precise_Outcome KALTAP_Precise_Exchange(KALTAP_Precision precision,
                                               KALTAP_Exchange_Start start = KALTAP_Exchange_Start::Even_Spread);

// The final steps alone for the set in Extremal_Index(1..n+1) (an exchange in
// double arithmetic that converged, say): levels it and forms
// Cosine_Coefficients(1..n) in quadruple precision. Returns the levelled
// deviation (weighted, rounded to double). Costs about 3n^2 quadruple
// operations.
double KALTAP_Precise_Series();
