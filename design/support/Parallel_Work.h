// Splitting independent work over the machine's cores.
//
// Every index of a range is computed by the same code whichever thread runs
// it, so results never depend on the number of threads.
#pragma once

#include <functional>

// Run body(lo, hi) over the inclusive range first..last, split into at most
// two contiguous parts that run at once (one on the calling thread). Ranges
// shorter than `grain` run on the calling thread alone. The body must not throw.
void KALTAP_Parallel_For(int first, int last, int grain, const std::function<void(int lo, int hi)>& body);

// Number of threads the work is split over (1 or 2).
int KALTAP_Parallel_Threads();
