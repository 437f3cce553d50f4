// SPDX-License-Identifier: GPL-3.0-or-later
// Orderly stop of the design program.
//
// `KALTAP_Stop` writes its stop text and a line end to the console, then
// unwinds to the routine that runs the design program (`KALTAP_Run_Program`).
// Only the design program ends: the process, the windows and the window layer
// carry on. Library code never calls exit.
#pragma once

#include <functional>
#include <string>

// The object thrown by an orderly stop; not derived from std::exception so
// that no ordinary error handler swallows it.
struct KALTAP_Stop_Signal {
    std::string text;
};

// Stop the design program. `text` (trailing blanks removed) is written to the
// console as one line; an empty or blank text writes an empty line.
[[noreturn]] void KALTAP_Stop(const std::string& text = std::string());

// A request from outside (the window layer quitting) that the design program
// stop. Any thread may make it; the design program notices it at the next
// KALTAP_Check_Stop, which its long loops call at their heads (the exchange's
// iterations, the searches' trials, the response and plot loops), and ends
// there by the orderly stop, without a stop text.
void KALTAP_Request_Stop();
// The orderly stop when a stop has been requested; otherwise nothing. Cheap
// (one atomic load). Call it on the design program's thread only, never
// inside work handed to another core.
void KALTAP_Check_Stop();
// Forgets a request (tests that run the design program again).
void KALTAP_Clear_Stop_Request();

// The object thrown when the user stops the work now computing.
struct KALTAP_Design_Stop_Signal {};
// A request from the window layer's Stop action that the design, search or
// test cases now computing end, while the design program goes on. Any thread
// may make it. The design program notices it at the next KALTAP_Check_Stop
// (after a stop of the program, which goes first) and unwinds, by throwing
// KALTAP_Design_Stop_Signal, to the loop that started the work; that loop
// drops what the work had made and goes on. The request is taken when it is
// noticed.
void KALTAP_Request_Design_Stop();
// Forgets a design stop not yet noticed: a loop calls it before it asks what
// to do next, so that a Stop that came too late ends nothing after it.
void KALTAP_Clear_Design_Stop_Request();

// Run `program` until it returns or stops. Returns true when it ended with an
// orderly stop, or with a design stop no loop took (stop text empty); the
// stop text is stored in *stop_text when given. For the
// run the calling thread converts numbers in the "C" locale (KALTAP_C_Numbers),
// whatever the process's locale; its own locale comes back afterwards.
bool KALTAP_Run_Program(const std::function<void()>& program, std::string* stop_text = nullptr);
