// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "MainWindow.h"
#include "Program_Thread.h"
#include "UIK_Timer.h"
#include "WindowController.h"

namespace {

QString notOpenedText(int unit, const char* call) {
    return QStringLiteral("Unit number %1 has not been opened yet.\n%2 failed.").arg(unit).arg(QLatin1String(call));
}

QMenu* menuInBar(QMenuBar* bar, const QString& title) {
    for (QAction* entry : bar->actions())
        if (entry->menu() != nullptr && entry->menu()->title() == title) return entry->menu();
    return nullptr;
}

QAction* actionInMenu(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->text() == text) return action;
    return nullptr;
}

}  // namespace

Program_Menus::Program_Menus(WindowController& windows) : QObject(&windows), windows_(windows) {}

QMenuBar* Program_Menus::menuBar(int unit) const {
    if (windows_.windowedMode) return windows_.mainWindow != nullptr ? windows_.mainWindow->menuBar() : nullptr;
    auto* widget = dynamic_cast<QWidget*>(windows_.contentForUnit(unit));
    if (widget == nullptr) return nullptr;
    // A window that is not a main window gets a menu bar on first use.
    QWidget* window = widget->window();
    if (auto* main = qobject_cast<QMainWindow*>(window)) return main->menuBar();
    if (auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) return bar;
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("programMenuBar"));
    if (window->layout() != nullptr) window->layout()->setMenuBar(bar);
    return bar;
}

void Program_Menus::addMenuItem(int unit, QString menuName, QString itemName, UIK_Callback callback,
                                QString itemShortcut) {
    QMenuBar* bar = menuBar(unit);
    if (bar == nullptr) {
        windows_.showErrorBox(notOpenedText(unit, "UIK_addMenu"));
        return;
    }
    QMenu* menu = nullptr;
    for (QMenu* candidate : programMenus)
        if (candidate->title() == menuName && bar->actions().contains(candidate->menuAction())) menu = candidate;
    if (menu == nullptr) {
        menu = bar->addMenu(menuName);
        menu->setObjectName(QStringLiteral("programMenu_") + menuName);
        menu->setProperty("unit", WindowController::unitKey(unit));
        // Outside windowed mode the menu goes with its window.
        connect(menu, &QObject::destroyed, this, [this, menu] { programMenus.removeAll(menu); });
        programMenus.append(menu);
        // A menu added from inside a running routine waits, like the others, for it to end.
        menu->setEnabled(!callbackRunning);
        // The menu shows once the design program has stopped; one added
        // after that shows at once, since nothing would show it later.
        menu->menuAction()->setVisible(idle);
    }
    QAction* action = actionInMenu(menu, itemName);
    if (action == nullptr) {
        action = menu->addAction(itemName);
        action->setObjectName(QStringLiteral("programAction_%1_%2").arg(menuName, itemName));
        connect(action, &QAction::triggered, this, [this, action] { activated(action); });
        connect(action, &QObject::destroyed, this, [this, action] { callbacks.remove(action); });
    }
    callbacks.insert(action, callback);
    action->setShortcut(QKeySequence::fromString(itemShortcut, QKeySequence::PortableText));
}

QAction* Program_Menus::findItem(int unit, const QString& menuName, const QString& itemName, const char* call) {
    QMenuBar* bar = menuBar(unit);
    QMenu* menu = bar != nullptr ? menuInBar(bar, menuName) : nullptr;
    QAction* action = menu != nullptr ? actionInMenu(menu, itemName) : nullptr;
    if (action == nullptr && call != nullptr) windows_.showErrorBox(notOpenedText(unit, call));
    return action;
}

void Program_Menus::enableMenuItem(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findItem(unit, menuName, itemName, "UIK_menuItemEnable")) action->setEnabled(state);
}

void Program_Menus::setMenuItemCheckable(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findItem(unit, menuName, itemName, "UIK_setMenuItemCheckable")) action->setCheckable(state);
}

void Program_Menus::setMenuItemChecked(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findItem(unit, menuName, itemName, "UIK_setMenuItemChecked")) action->setChecked(state);
}

bool Program_Menus::isMenuItemChecked(int unit, QString menuName, QString itemName) {
    QAction* action = findItem(unit, menuName, itemName, nullptr);
    return action != nullptr && action->isChecked();
}

void Program_Menus::setRunning(bool running) {
    callbackRunning = running;
    for (QMenu* menu : programMenus) menu->setEnabled(!running);
}

void Program_Menus::activated(QAction* action) {
    // Before the design program has stopped its thread still runs it; a
    // routine called now (through a shortcut of a hidden menu) would run the
    // design program on two threads at once. A running routine may run a
    // whole design loop with modal dialogs of its own: the menus wait for it.
    if (!idle || callbackRunning) return;
    const UIK_Callback callback = callbacks.value(action, nullptr);
    if (callback == nullptr) {
        int unit = 0;
        if (windows_.windowedMode) {
            if (windows_.mainWindow != nullptr && windows_.mainWindow->currentContent() != nullptr)
                unit = windows_.mainWindow->currentContent()->unitNumber;
        } else if (auto* menu = qobject_cast<QMenu*>(action->parent())) {
            if (UIK_ContentController* content = windows_.contentForUnit(menu->property("unit").toInt()))
                unit = content->unitNumber;
        }
        windows_.showErrorBox(QStringLiteral("The callback for unit number %1 cannot be found").arg(unit));
        return;
    }
    setRunning(true);
    // Its end is posted to this thread, so it cannot come before this returns.
    if (UIK_Hand_To_Program_Thread(callback, [self = QPointer<Program_Menus>(this)] {
            if (self) self->setRunning(false);
        }))
        return;
    // On this thread: the menus come back also when the routine leaves by an exception.
    struct Done {
        Program_Menus* menus;
        ~Done() { menus->setRunning(false); }
    } done{this};
    callback();
}

void Program_Menus::runIdle() {
    for (QMenu* menu : programMenus) menu->menuAction()->setVisible(true);
    idle = true;
    for (UIK_Timer* timer : timers.values()) timer->start();
}

void Program_Menus::createTimer(int timerId, QVariantMap properties, UIK_Callback callback) {
    destroyTimer(timerId);
    auto* timer = new UIK_Timer(timerId, callback, this);
    timer->handOver = [t = QPointer<UIK_Timer>(timer)](UIK_Callback routine) {
        return UIK_Hand_To_Program_Thread(routine, [t] {
            if (t) t->routineDone();
        });
    };
    timer->interval = properties.value(QStringLiteral("interval")).toUInt();
    timer->singleShot = properties.value(QStringLiteral("singleShot")).toBool();
    connect(timer, &UIK_Timer::destroyTimer, this, &Program_Menus::dropTimer);
    timers.insert(timerId, timer);
    if (idle) timer->start();
}

void Program_Menus::destroyTimer(int timerId) {
    if (UIK_Timer* timer = timers.value(timerId)) dropTimer(timer);
}

void Program_Menus::dropTimer(UIK_Timer* timer) {
    if (timers.value(timer->timerId) == timer) timers.remove(timer->timerId);
    // The request may come from inside the timer's own routine: stop it now,
    // delete it once control is back in the event loop.
    timer->stop();
    timer->deleteLater();
}
