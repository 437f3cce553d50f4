// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress_Display.h"

#include <QMetaObject>
#include <QPointer>
#include <QStringList>
#include <mutex>

#include "MainWindow.h"
#include "WindowController.h"

// The latest text and whether a call to show it is on its way; the design
// program's thread writes, the GUI thread takes.
struct Progress_Display::Shared {
    std::mutex mutex;
    QString latest;
    bool posted = false;
};

Progress_Display::Progress_Display(WindowController& windows) : shared_(std::make_shared<Shared>()) {
    QPointer<WindowController> target(&windows);
    KALTAP_Set_Progress_Hook([shared = shared_, target](const std::vector<KALTAP_Progress_Level>& levels) {
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->latest = text(levels);
            if (shared->posted) return;
            shared->posted = true;
        }
        if (target.isNull()) return;
        // The controller is the context: a call still queued when it goes is dropped.
        QMetaObject::invokeMethod(
            target.data(),
            [shared, target] {
                QString now;
                {
                    std::lock_guard<std::mutex> lock(shared->mutex);
                    now = shared->latest;
                    shared->posted = false;
                }
                if (!target.isNull() && target->mainWindow != nullptr) target->mainWindow->showProgress(now);
            },
            Qt::QueuedConnection);
    });
}

Progress_Display::~Progress_Display() { KALTAP_Set_Progress_Hook(nullptr); }

QString Progress_Display::text(const std::vector<KALTAP_Progress_Level>& levels) {
    QStringList parts;
    for (const KALTAP_Progress_Level& level : levels) {
        QString part = QString::fromStdString(level.work);
        if (!level.step.empty()) part += QStringLiteral(": ") + QString::fromStdString(level.step);
        parts << part;
    }
    return parts.join(QStringLiteral(" — "));
}
