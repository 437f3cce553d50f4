// SPDX-License-Identifier: GPL-3.0-or-later
// One run of the design program with its windows: the window controller, the
// glue that carries the design program's requests to it, the thread the
// design program runs on, and its progress in the main window's status bar.
//
// The session is the controller with the program put under it, so that the
// controller knows nothing of the glue or the thread. Destruction runs in
// the order teardown needs: the thread is stopped and waited for and the glue
// dropped first, then the controller closes its windows.
#pragma once

#include <functional>
#include <memory>

#include "WindowController.h"

class GlueManager;
class ProgramThread;
class Progress_Display;

class Program_Session : public WindowController {
    Q_OBJECT
public:
    // Creates the windows (see WindowController), the glue, and starts the
    // design program's thread running `program`. An empty `program` starts no
    // thread: the window layer's tests then make the requests themselves, on
    // the GUI thread, through the same glue. With an `application`, the
    // design program is stopped when its last window closes.
    Program_Session(QApplication* application, std::function<void()> program);
    ~Program_Session() override;

    // Tells the design program to stop and waits until its thread has ended;
    // nothing when no thread runs.
    void destroyProgramThread();

    ProgramThread* programThread = nullptr;

private:
    GlueManager* glue_ = nullptr;
    std::unique_ptr<Progress_Display> progress_;  // the status bar's progress
};
