#include "Work_Aside.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

void Run_Aside(const std::function<void()>& work) {
    QEventLoop wait;
    std::thread worker([&] {
        work();
        // Queued: if the loop has not started yet, it ends as soon as it does.
        QMetaObject::invokeMethod(&wait, [&wait] { wait.quit(); }, Qt::QueuedConnection);
    });
    wait.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    worker.join();
}
