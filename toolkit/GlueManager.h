// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off between the design program's thread and the GUI thread.
//
// The design program runs on `ProgramThread`. Every request it makes (through
// the call interface or through unit I/O on a window unit) becomes one typed
// call, queued to the controller's (GUI) thread with QMetaObject::invokeMethod
// and carried out there in the order raised. A request that returns something
// hands the GUI call an answer function and blocks the design program's
// thread on a condition variable until the answer has been given, or until a
// stop (UIK_Interrupt_Handler, which teardown calls) wakes it at once and it
// goes on as not answered. The design program's menu and timer routines run
// on the worker too, handed over once the design program has stopped and its
// thread parked on the same condition variable. Without a worker (the window
// layer's own tests) requests are carried out directly on the GUI thread, and
// a line read waits in a local event loop that the answer ends.
//
// Shared between the threads, all under one mutex: each waiting request's
// reply (answered flag and values, written by the GUI thread, read by the
// worker after its wait), the batch of text lines not yet taken, and the
// queue of handed routines. Everything else of the glue belongs to the GUI
// thread. Requests keep their order because they all travel through the one
// queue of posted events of the controller's thread.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Program_Thread.h"
#include "UIK_Call_Interface.h"

class WindowController;

// Gives the answer of a waiting request (at most once; later calls are
// ignored): the values the request returns.
using UIK_Answer = std::function<void(std::vector<std::string> values)>;

class GlueManager {
public:
    explicit GlueManager(WindowController* controller);

    WindowController* const controller;

    // Design program's thread: carries `request` out on the GUI thread and,
    // when it returns something, waits for its answer. The answers are those
    // of UIK_Window_Layer::Carry_Out; a stop while waiting gives none.
    std::vector<std::string> carryOut(const UIK_Request& request);
    // Writes `text` to the text window of `unit`. Lines written one after
    // another go over in one batch, taken by the GUI thread in one go, and
    // always before any request raised after them.
    void writeText(int unit, const QString& text);
    // Runs `call` on the GUI thread after every request raised before it
    // (at once when not on the design program's thread).
    void post(std::function<void()> call);
    // Runs `work(answer)` on the GUI thread and waits until it calls `answer`
    // (on the GUI thread, now or later). False, with `values` untouched, when
    // a stop came first; `work` is then skipped if it had not yet run.
    bool ask(std::function<void(UIK_Answer)> work, std::vector<std::string>* values = nullptr);

private:
    struct Text_Batch;
    std::shared_ptr<Text_Batch> batch_;  // design program's thread: the batch still open
};

// The process-wide pointer to the one GlueManager; null before start-up and
// after teardown, when every request returns at once.
extern std::atomic<GlueManager*> UIK_Glue;
// The unit I/O hooks of the window layer that wait for the user or park the
// thread (results as the design program's unit I/O layer expects them).
int hookReadLine(char* buffer, int length, int unit);
int hookFileName(char* buffer, int length, int unit, bool newFile);
void hookStop();
// Registers the hooks above, and those that write text and open and close
// windows, with the design program's unit I/O layer, and connects the call
// interface to the glue.
void UIK_Register_Hooks();
