// SPDX-License-Identifier: GPL-3.0-or-later
// A timer of the design program: calls its routine every interval, or once.
//
// The routine is handed to the design program's thread when `handOver` takes
// it, else it runs on the GUI thread. A tick that comes while the routine
// still runs from the last one is skipped. A single-shot timer asks to be
// destroyed (`destroyTimer`) after its one call; the owner removes it from
// its table and deletes it later, since the request comes from inside
// `fired` or `routineDone`.
#pragma once

#include <QObject>
#include <functional>

#include "UIK_Call_Interface.h"

class QTimer;

class UIK_Timer : public QObject {
    Q_OBJECT
public:
    UIK_Timer(int timerId, UIK_Callback callback, QObject* parent = nullptr);

    int timerId;
    QTimer* timer = nullptr;  // created by the first start()
    UIK_Callback callback;
    unsigned interval = 0;  // milliseconds
    bool singleShot = false;
    // Hands the routine to another thread to run; true when it took it.
    std::function<bool(UIK_Callback)> handOver;
    bool routineRunning = false;  // handed over and not yet returned

    // Starts calling the routine. Starting a timer that already runs leaves
    // it running as it is.
    void start();
    // Stops it for good; a stopped timer no longer calls its routine.
    void stop();
    bool isActive() const;
    // The handed-over routine has returned.
    void routineDone();

signals:
    void destroyTimer(UIK_Timer* timer);

public slots:
    void fired();
};
