// SPDX-License-Identifier: GPL-3.0-or-later
// Long, self-contained work off the GUI thread while the GUI goes on.
#pragma once

#include <functional>

// Runs `work` on a worker thread and returns when it is done. Meanwhile the
// GUI thread goes on with timers, repaints and other posted events, but not
// with user input nor socket notifiers (the quit signal), which wait until
// the work is done. For work on data that nothing else touches meanwhile: an
// image being encoded, a data block the design program holds still while it
// waits. Call on the GUI thread.
void Run_Aside(const std::function<void()>& work);
