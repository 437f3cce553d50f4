// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Timer.h"

#include <QTimer>
#include <climits>

UIK_Timer::UIK_Timer(int id, UIK_Callback routine, QObject* parent) : QObject(parent), timerId(id), callback(routine) {
    setObjectName(QStringLiteral("programTimer_%1").arg(id));
}

void UIK_Timer::start() {
    if (timer != nullptr) {
        if (!timer->isActive()) timer->start();
        return;
    }
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    // QTimer takes a signed interval; longer ones are cut to the longest it can hold.
    timer->setInterval(interval > static_cast<unsigned>(INT_MAX) ? INT_MAX : static_cast<int>(interval));
    timer->setSingleShot(singleShot);
    connect(timer, &QTimer::timeout, this, &UIK_Timer::fired);
    timer->start();
}

void UIK_Timer::stop() {
    if (timer != nullptr) timer->stop();
}

void UIK_Timer::routineDone() {
    routineRunning = false;
    if (singleShot) emit destroyTimer(this);
}

bool UIK_Timer::isActive() const { return timer != nullptr && timer->isActive(); }

void UIK_Timer::fired() {
    if (routineRunning) return;
    if (callback != nullptr && handOver && handOver(callback)) {
        routineRunning = true;
        return;  // routineDone follows
    }
    if (callback != nullptr) callback();
    // Nothing of this object may be touched after the request: it is
    // removed from the owner's table and deleted once control is back in
    // the event loop.
    if (singleShot) emit destroyTimer(this);
}
