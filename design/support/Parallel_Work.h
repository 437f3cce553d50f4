// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting independent work over the machine's cores.
//
// Every index of a range is computed by the same code whichever thread runs
// it, so results never depend on the number of threads.
#pragma once

#include <functional>

// Run body(lo, hi) over the inclusive range first..last, split into at most
// two contiguous parts that run at once (one on the calling thread). Ranges
// shorter than `grain` run on the calling thread alone, and so does every
// range for a while after splits that did not pay (on a loaded machine,
// where the other core is seldom free). The body must not throw.
void KALTAP_Parallel_For(int first, int last, int grain, const std::function<void(int lo, int hi)>& body);

// Run task(context, 0) on the calling thread and task(context, 1) on the
// other core at the same time (both in turn on a single core, or while
// splits do not pay, as above). No allocation: for pieces of work of a few
// microseconds.
void KALTAP_Parallel_Pair(void (*task)(void* context, int part), void* context);

// Background work on the other core: KALTAP_Background_Start hands
// task(context) to it and returns at once; KALTAP_Background_Join returns at
// once when the other core has not begun the task yet (which then never
// runs), and otherwise waits until the task has returned. The task must end
// by itself (the caller signals it through the context) and must not be
// needed: it may not run at all. No other parallel routine may be called in
// between. Returns false, and runs nothing, on a single core.
bool KALTAP_Background_Start(void (*task)(void* context), void* context);
void KALTAP_Background_Join();

// Number of threads the work is split over (1 or 2).
int KALTAP_Parallel_Threads();

// Keep all work on the calling thread (true) or split it again (false); for
// checking that results do not depend on the number of threads. Call it only
// while no parallel work is under way.
void KALTAP_Parallel_Use_One_Thread(bool one);

// Split every range from its grain on (true), even where splits have not
// paid lately; or judge again (false): for checking the hand-over itself.
void KALTAP_Parallel_Always_Split(bool always);

// While an object of this kind lives, the helper thread polls for the next
// piece of work for a few tens of microseconds before it sleeps: for
// stretches that hand out pieces in quick succession (the exchange). Threads
// that wait for each other never poll longer than that either.
struct KALTAP_Busy_Stretch {
    KALTAP_Busy_Stretch();
    ~KALTAP_Busy_Stretch();
    KALTAP_Busy_Stretch(const KALTAP_Busy_Stretch&) = delete;
    KALTAP_Busy_Stretch& operator=(const KALTAP_Busy_Stretch&) = delete;
};
