// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowController.h"

#include <QApplication>
#include <QMessageBox>
#include <csignal>

#include "GlueManager.h"
#include "MainWindow.h"
#include "Program_Dialogs.h"
#include "Program_Menus.h"
#include "Program_Stop.h"
#include "Text_Windows.h"
#include "UIK_Preferences.h"

WindowController::WindowController(QApplication* application, std::function<void()> program)
    : QObject(nullptr),
      menus(new Program_Menus(*this)),
      texts(new Text_Windows(*this)),
      dialogs(new Program_Dialogs(*this)) {
    UIK_Stop_Requested.store(false, std::memory_order_release);
    KALTAP_Clear_Stop_Request();
    UIK_Idle.store(false, std::memory_order_release);
    windowedMode = UIK_Pref_Use_MDI();
    // a. The console window; it creates the main window.
    texts->openConsole();
    // b. The glue, reachable by the design program's thread.
    glue_ = new GlueManager(this);
    UIK_Glue.store(glue_, std::memory_order_release);
    // c.
    if (application != nullptr)
        connect(application, &QGuiApplication::lastWindowClosed, this, &WindowController::destroyProgramThread);
    // d.
    if (program) {
        programThread = new ProgramThread(std::move(program));
        programThread->setStackSize(static_cast<uint>(UIK_Pref_Stack_Size()));
        programThread->start(QThread::InheritPriority);
    }
}

WindowController::~WindowController() {
    destroyProgramThread();
    if (UIK_Glue.load(std::memory_order_acquire) == glue_) UIK_Glue.store(nullptr, std::memory_order_release);
    // The thread is gone, so nothing can be inside a request of the glue any more.
    delete glue_;
    delete dialogs;  // before the main window, their parent
    delete mainWindow;
}

void WindowController::destroyProgramThread() {
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

void WindowController::closeOnProgramStop() {
    for (int unit : contents.keys())
        if (unit != unitKey(-3)) closeWindowForUnit(unit);  // every window but the console
    if (mainWindow != nullptr) mainWindow->close();
    QCoreApplication::quit();
}

void WindowController::showErrorBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), text, QMessageBox::Ok, mainWindow);
    box.exec();
}
