// SPDX-License-Identifier: GPL-3.0-or-later
#include "Work_Aside.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

void Run_Aside(const std::function<void()>& work) {
    QEventLoop wait;
    std::thread worker([&] {
        work();
        // Queued: if the loop has not started yet, it ends as soon as it
        // does. By name, so that the call is carried inside Qt alone and no
        // object of ours crosses between the threads through Qt's queue,
        // whose lock the thread sanitizer cannot see.
        QMetaObject::invokeMethod(&wait, "quit", Qt::QueuedConnection);
    });
    wait.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    worker.join();
}
