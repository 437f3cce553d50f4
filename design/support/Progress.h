// SPDX-License-Identifier: GPL-3.0-or-later
// What the design program is computing, as it goes, for the window layer's
// status line.
//
// A piece of work (a design, a search for the free quantity, the test cases)
// is one level of progress from the construction of its KALTAP_Progress_Scope
// to its end; a piece of work inside another (each trial design of a search)
// is a level below it. Each level has a name ("Design of 41 weights") and its
// latest step ("exchange iteration 5, deviation 1.2e-3"). Every change is
// handed to the hook, on the design program's thread, with all the levels
// from the outermost; the hook gets an empty list when the outermost level
// ends, and the design program then waits for the user or has stopped.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct KALTAP_Progress_Level {
    std::string work;  // what runs
    std::string step;  // how far it is; empty before the first step
};
using KALTAP_Progress_Hook = std::function<void(const std::vector<KALTAP_Progress_Level>& levels)>;

// Sets the hook (empty: none). Set it while the design program is not
// running; the hook must return quickly, must not throw and must not call
// back into the design program.
void KALTAP_Set_Progress_Hook(KALTAP_Progress_Hook hook);

// One level of progress for the lifetime of the object (also when a stop
// unwinds through it). Design program's thread only.
class KALTAP_Progress_Scope {
public:
    explicit KALTAP_Progress_Scope(const std::string& work);
    ~KALTAP_Progress_Scope();
    KALTAP_Progress_Scope(const KALTAP_Progress_Scope&) = delete;
    KALTAP_Progress_Scope& operator=(const KALTAP_Progress_Scope&) = delete;
};

// The innermost level's step; nothing when no level is open. Cheap when no
// hook is set: callers may format their step text only when
// KALTAP_Progress_Wanted() says so.
void KALTAP_Report_Step(const std::string& step);
bool KALTAP_Progress_Wanted();

// A value in a step's text, to `digits` significant digits ("1.234e-05",
// "0.2134"): a status line is read at a glance.
std::string KALTAP_Progress_Value(double value, int digits = 4);
