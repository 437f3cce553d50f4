// SPDX-License-Identifier: GPL-3.0-or-later
// The Remez exchange: best weighted Chebyshev approximation on the dense grid.
//
// Reads Grid_Frequency, Grid_Desired, Grid_Weight (after the case conversion),
// Grid_Size and Half_Length (n). Keeps a set of n+1 extremal grid points,
// levels the error on it, searches the grid for the extrema of the new error
// and exchanges the set until it no longer changes. At its limit of 25
// levellings an exchange whose levelled deviation still rises (every levelling
// that does not raise it ends the exchange on machine rounding) goes on, up to
// KALTAP_Remez_Continuation_Limit levellings in all; an exchange that converges
// within the limit takes the same steps and leaves the same bits as one without
// the continuation. Unless Quiet_Remez is set, the run log has, beside the
// iteration lines, "The deviation still rises after 25 iterations: the
// exchange goes on, for at most 100 in all." when the exchange passes the
// limit, and "Converged after <n> iterations, past the limit of 25." or
// "Stopped after 100 iterations with the deviation still rising." when it
// ends past it (an end on machine rounding writes its usual lines).
// Leaves Extremal_Index(1..n+1), Extremal_Cosine, Extremal_Value,
// Barycentric_Weight and Remez_Deviation describing the final approximation.
//
// The error at a grid point is rounded to single precision before any
// comparison; this decides ties and the convergence test. A levelling whose
// deviation is not finite ends the exchange at once (Remez_Deviation then
// holds that value; no search can move a point on a NaN error).
#pragma once

// Levellings and searches after which an exchange stops unless its levelled
// deviation still rises.
constexpr int KALTAP_Remez_Iteration_Limit = 25;
// Levellings and searches of one exchange at most, the continuation past
// KALTAP_Remez_Iteration_Limit included.
constexpr int KALTAP_Remez_Continuation_Limit = 4 * KALTAP_Remez_Iteration_Limit;

// Where an exchange starts.
enum class KALTAP_Exchange_Start {
    Even_Spread,  // n+1 points spread evenly over the grid, the last on its last point
    Given_Set     // the caller's strictly increasing grid indices in Extremal_Index(1..n+1)
};
// silent: nothing at all goes to the console or the run log (the engine's
// own trial exchanges); otherwise as described above.
void KALTAP_Remez_Exchange(KALTAP_Exchange_Start start = KALTAP_Exchange_Start::Even_Spread, bool silent = false);

// Iterations (levellings) of the last exchange, 1..KALTAP_Remez_Continuation_Limit.
int KALTAP_Remez_Iterations();
// The last exchange took more than KALTAP_Remez_Iteration_Limit levellings
// (it went on because its deviation still rose there), whatever its end.
bool KALTAP_Remez_Past_Limit();

// How the last exchange ended.
enum class KALTAP_Exchange_End {
    Converged,        // no extremal point moved
    Iteration_Limit,  // stopped after KALTAP_Remez_Continuation_Limit levellings, still rising
    Rounding_Floor,   // the levelled deviation stopped growing (machine rounding)
    Not_Finite        // the levelled deviation was not a number
};
KALTAP_Exchange_End KALTAP_Remez_End();

// The last exchange's end and iterations, and their restoration (for a caller
// that runs further exchanges and then keeps an earlier one's result).
struct KALTAP_Exchange_Outcome {
    KALTAP_Exchange_End end;
    int iterations;
};
KALTAP_Exchange_Outcome KALTAP_Remez_Outcome();
void KALTAP_Remez_Restore_Outcome(const KALTAP_Exchange_Outcome& outcome);

// Cosines cos(2*pi*Grid_Frequency(L)), L = 1..Grid_Size, of the current grid.
// Filled by KALTAP_Remez_Prepare_Grid, which the engine calls after building
// the grid; the exchange reads the extremal cosines from it.
void KALTAP_Remez_Prepare_Grid();
