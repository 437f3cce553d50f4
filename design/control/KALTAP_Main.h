// SPDX-License-Identifier: GPL-3.0-or-later
// The top of the design program: the agreement and run-type dialog, the design
// control loop (filter type, one design, accept or again, bits, outputs), and
// the menu action that runs the loop again after the program has stopped.
#pragma once

#include <string>

extern int KALTAP_Run_Type;  // 1 filter design, 2 test cases; set by the agreement

// The design program's main routine: agreement, then the design loop or the
// test cases, then "Normal exit." and an orderly stop. Never returns normally.
void KALTAP_Main();

// Runs KALTAP_Main until it stops, then hands the thread to the window
// layer's stop hook (which parks it). What the program thread runs.
void KALTAP_Run_Design_Program();

// Agreement dialog; installs the "FIR Design" menu item. Cancel or no
// agreement stops the program.
void KALTAP_User_Agreement(int& run_type);

// The design control loop; returns when the user ends it.
void KALTAP_Design_Loop();

// One pass of the design loop (filter type, one design path, accept or
// again, bits, outputs), run to its end or to an orderly stop, with its run
// log closed after it. True when the pass wrote its outputs; false when it
// stopped (its stop text in *stop_text when given), its design failed or it
// ended without outputs (*stop_text then "").
bool KALTAP_Design_Once(std::string* stop_text = nullptr);

// Menu action "New FIR Filter Design": one complete design loop. A stop inside
// ends only that loop. Returns 0.
int KALTAP_New_Design_Action();

// The eight labels of the agreement dialog, in order.
extern const char* const KALTAP_Agreement_Labels[8];

// Console line written after the outputs of a design.
extern const std::string KALTAP_Menu_Hint;
// The console's line when the user stopped a design or search, or the test
// cases (the Stop action).
extern const std::string KALTAP_Design_Stopped_Text;
extern const std::string KALTAP_Test_Cases_Stopped_Text;
