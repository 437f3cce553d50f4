// SPDX-License-Identifier: GPL-3.0-or-later
// The design program's own menus and timers.
//
// Menu items and timers are registered while the design program runs on its
// thread, but they come alive only once it has stopped (`runIdle`): their
// routines are then handed to that thread, parked since the stop, and run
// there one at a time, so the GUI thread stays free while a design computes.
// Without a design-program thread (the window layer's own tests) a routine
// runs on the GUI thread. While a menu routine runs the program menus are
// unavailable.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "UIK_Call_Interface.h"

class QAction;
class QMenu;
class QMenuBar;
class UIK_Timer;
class WindowController;

class Program_Menus : public QObject {
    Q_OBJECT
public:
    explicit Program_Menus(WindowController& windows);

    QList<QMenu*> programMenus;
    QHash<QAction*, UIK_Callback> callbacks;  // the routine of each item
    QHash<int, UIK_Timer*> timers;            // by timer id
    bool callbackRunning = false;             // a menu routine runs
    bool idle = false;                        // the design program has stopped

    // Adds `itemName` to the menu `menuName` of `unit`'s menu bar (the main
    // window's in windowed mode, else that of the unit's own window). An item
    // added again keeps its one entry and runs the routine given last.
    // `itemShortcut` is portable text ("Ctrl+N").
    void addMenuItem(int unit, QString menuName, QString itemName, UIK_Callback callback, QString itemShortcut);
    // An item that does not exist shows an error box naming the call.
    void enableMenuItem(int unit, QString menuName, QString itemName, bool state);
    void setMenuItemCheckable(int unit, QString menuName, QString itemName, bool state);
    void setMenuItemChecked(int unit, QString menuName, QString itemName, bool state);
    bool isMenuItemChecked(int unit, QString menuName, QString itemName);
    // The design program has stopped: its menus show and its timers start.
    void runIdle();
    // An id names one timer; a new timer with the same id replaces the old
    // one. properties: "interval" (milliseconds), "singleShot".
    void createTimer(int timerId, QVariantMap properties, UIK_Callback callback);
    void destroyTimer(int timerId);

private:
    QAction* findItem(int unit, const QString& menuName, const QString& itemName, const char* call);
    QMenuBar* menuBar(int unit) const;
    void activated(QAction* action);
    void setRunning(bool running);
    void dropTimer(UIK_Timer* timer);

    WindowController& windows_;
};
