// SPDX-License-Identifier: GPL-3.0-or-later
// The design program's thread and what the window layer may ask of it.
//
// The design program runs on `ProgramThread`. Once it has stopped, the thread
// parks and waits for routines the window layer hands it (menu items,
// timers), so they run where the first run did. A teardown wakes every wait
// and ends the park. These routines share one mutex and condition variable
// with the glue's waits for answers, so they are carried out in
// GlueManager.cpp; this header names only what the windows' side needs,
// without the glue.
#pragma once

#include <QThread>
#include <atomic>
#include <functional>

#include "UIK_Call_Interface.h"

// Set only by the interrupt handler: the parked worker may end.
extern std::atomic<bool> UIK_Stop_Requested;
// Set once when the design program has stopped and the toolkit went idle.
extern std::atomic<bool> UIK_Idle;

// True on the design program's thread (the ProgramThread that is running).
bool UIK_On_Worker_Thread();

// Teardown (GUI thread): request the stop, drop the glue and wake every wait
// at once; requests given up are not carried out.
void UIK_Interrupt_Handler(int signal);
// Hands `routine` to the design program's thread, parked since the design
// program stopped, to run there as the first run did (the GUI thread stays
// free); `done` runs on the GUI thread after it returns. False, and nothing
// handed, when there is no parked design-program thread (then the caller
// runs the routine itself) or the program is ending.
bool UIK_Hand_To_Program_Thread(UIK_Callback routine, std::function<void()> done);

// The design program's thread: registers the hooks and runs `program`.
class ProgramThread : public QThread {
    Q_OBJECT
public:
    explicit ProgramThread(std::function<void()> program, QObject* parent = nullptr);

    // Set with release as run() returns. QThread::wait() orders the thread's
    // work before what follows it through futexes that the thread sanitizer
    // does not see; an acquire load of this flag after the wait states that
    // order in a form it does see.
    std::atomic<bool> ended{false};

protected:
    void run() override;

private:
    std::function<void()> program_;
};
