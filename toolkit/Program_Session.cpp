// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Session.h"

#include <QApplication>
#include <csignal>

#include "GlueManager.h"
#include "Program_Stop.h"
#include "Program_Thread.h"
#include "Progress_Display.h"
#include "Text_Windows.h"
#include "UIK_Preferences.h"

Program_Session::Program_Session(QApplication* application, std::function<void()> program) {
    UIK_Stop_Requested.store(false, std::memory_order_release);
    KALTAP_Clear_Stop_Request();
    UIK_Idle.store(false, std::memory_order_release);
    // a. The glue, reachable by the design program's thread.
    glue_ = new GlueManager(this);
    UIK_Glue.store(glue_, std::memory_order_release);
    // b. What the design program computes, shown as it goes.
    progress_ = std::make_unique<Progress_Display>(*this);
    // c.
    if (application != nullptr)
        connect(application, &QGuiApplication::lastWindowClosed, this, &Program_Session::destroyProgramThread);
    // d.
    if (program) {
        programThread = new ProgramThread(std::move(program));
        programThread->setStackSize(static_cast<uint>(UIK_Pref_Stack_Size()));
        programThread->start(QThread::InheritPriority);
    }
}

Program_Session::~Program_Session() {
    destroyProgramThread();
    if (UIK_Glue.load(std::memory_order_acquire) == glue_) UIK_Glue.store(nullptr, std::memory_order_release);
    // The thread is gone, so nothing can be inside a request of the glue any
    // more, nor report progress.
    delete glue_;
    progress_.reset();
}

void Program_Session::destroyProgramThread() {
    if (programThread == nullptr) return;
    // The design program is told to stop: it notices at the head of its next
    // loop step or request and ends by the orderly stop. Dropping the glue
    // ends every wait for an answer, and the parked thread leaves its park.
    // The thread object goes only once the thread has ended by itself.
    KALTAP_Request_Stop();
    UIK_Interrupt_Handler(SIGINT);
    texts->readingWindow = nullptr;
    programThread->wait();
    // Whatever the thread wrote is seen from here on (see ProgramThread::ended).
    static_cast<void>(programThread->ended.load(std::memory_order_acquire));
    delete programThread;
    programThread = nullptr;
}
