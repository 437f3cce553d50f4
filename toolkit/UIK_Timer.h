// A timer of the design program: calls its routine every interval, or once.
//
// The routine runs on the GUI thread. A single-shot timer asks to be
// destroyed (`destroyTimer`) after its one call; the owner removes it from
// its table and deletes it later, since the request comes from inside
// `fired`.
#pragma once

#include <QObject>

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

    // Starts calling the routine. Starting a timer that already runs leaves
    // it running as it is.
    void start();
    // Stops it for good; a stopped timer no longer calls its routine.
    void stop();
    bool isActive() const;

signals:
    void destroyTimer(UIK_Timer* timer);

public slots:
    void fired();
};
