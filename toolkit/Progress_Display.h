// SPDX-License-Identifier: GPL-3.0-or-later
// The design program's progress in the main window's status bar.
//
// The design program reports each step on its own thread (see Progress.h),
// as often as its exchange iterates. Only the latest text is kept; it goes
// over to the GUI thread in one posted call at a time, so a burst of steps
// costs one repaint, and the last report (nothing runs) is never lost.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "Progress.h"

class WindowController;

class Progress_Display {
public:
    // Listens to the design program's progress for the windows of
    // `windows`. Make it before the design program's thread starts.
    explicit Progress_Display(WindowController& windows);
    // Stops listening; the design program's thread must have ended.
    ~Progress_Display();
    Progress_Display(const Progress_Display&) = delete;
    Progress_Display& operator=(const Progress_Display&) = delete;

    // The status text for `levels`: each level's work and step, outermost
    // first ("Search for the number of weights: trial 3: 41 weights — Design
    // of 41 weights: exchange iteration 2, deviation 0.012"); empty when no
    // level is open.
    static QString text(const std::vector<KALTAP_Progress_Level>& levels);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};
