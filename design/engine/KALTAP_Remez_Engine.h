// The Remez exchange: best weighted Chebyshev approximation on the dense grid.
//
// Reads Grid_Frequency, Grid_Desired, Grid_Weight (after the case conversion),
// Grid_Size and Half_Length (n). Keeps a set of n+1 extremal grid points,
// levels the error on it, searches the grid for the extrema of the new error
// and exchanges the set until it no longer changes, for at most 25 levellings.
// Leaves Extremal_Index(1..n+1), Extremal_Cosine, Extremal_Value,
// Barycentric_Weight and Remez_Deviation describing the final approximation.
//
// The error at a grid point is rounded to single precision before any
// comparison; this decides ties and the convergence test. A levelling whose
// deviation is not finite ends the exchange at once (Remez_Deviation then
// holds that value; no search can move a point on a NaN error).
#pragma once

// Maximum number of levellings and searches of one exchange.
constexpr int KALTAP_Remez_Iteration_Limit = 25;

void KALTAP_Remez_Exchange();

// Iterations of the last exchange (for tests and benchmarks).
int KALTAP_Remez_Iterations();

// How the last exchange ended.
enum class KALTAP_Exchange_End {
    Converged,        // no extremal point moved
    Iteration_Limit,  // stopped after KALTAP_Remez_Iteration_Limit levellings
    Rounding_Floor,   // the levelled deviation stopped growing (machine rounding)
    Not_Finite        // the levelled deviation was not a number
};
KALTAP_Exchange_End KALTAP_Remez_End();

// Cosines cos(2*pi*Grid_Frequency(L)), L = 1..Grid_Size, of the current grid.
// Filled by KALTAP_Remez_Prepare_Grid, which the engine calls after building
// the grid; the exchange reads the extremal cosines from it.
void KALTAP_Remez_Prepare_Grid();
