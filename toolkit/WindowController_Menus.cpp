// The design program's own menus and timers.
//
// Menu items and timers are registered while the design program runs on its
// thread, but they come alive only once it has stopped (`runIdle`): its
// routines are then handed to that thread, parked since the stop, and run
// there one at a time, so the GUI thread stays free while a design computes.
// Without a design-program thread (the window layer's own tests) a routine
// runs on the GUI thread.
#include "WindowController.h"

#include <QAction>
#include <QKeySequence>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

#include "GlueManager.h"
#include "MainWindow.h"
#include "UIK_ContentController.h"
#include "UIK_Timer.h"

namespace {

constexpr int Console_Unit = -2;

QString notOpenedText(int unit, const char* operation) {
    return QStringLiteral("Unit number %1 has not been opened yet.\n%2 failed.").arg(unit).arg(QLatin1String(operation));
}

// The menu bar of a top-level window, made on first use for a window that is
// not a main window.
QMenuBar* menuBarOf(QWidget* window) {
    if (auto* main = qobject_cast<QMainWindow*>(window)) return main->menuBar();
    if (auto* bar = window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) return bar;
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("programMenuBar"));
    if (window->layout() != nullptr) window->layout()->setMenuBar(bar);
    return bar;
}

// The menu of `bar` titled `title`, or nullptr.
QMenu* menuInBar(QMenuBar* bar, const QString& title) {
    for (QAction* entry : bar->actions())
        if (QMenu* menu = entry->menu())
            if (menu->title() == title) return menu;
    return nullptr;
}

QAction* actionInMenu(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->text() == text) return action;
    return nullptr;
}

// The menu an action of a program menu belongs to.
QMenu* menuOfAction(QAction* action) {
    if (auto* menu = qobject_cast<QMenu*>(action->parent())) return menu;
    for (QWidget* widget : action->associatedWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget)) return menu;
    return nullptr;
}

// While a menu routine runs the program menus are unavailable.
void markCallbackRunning(WindowController& controller, bool running) {
    controller.callbackRunning = running;
    for (QMenu* menu : controller.programMenus) menu->setEnabled(!running);
}

// Marks a menu callback run on the GUI thread as running for as long as it
// lives; undone also when the callback leaves by an exception, so the menus
// never stay disabled.
class ProgramMenusBusy {
public:
    explicit ProgramMenusBusy(WindowController& controller) : controller_(controller) {
        markCallbackRunning(controller_, true);
    }
    ~ProgramMenusBusy() { markCallbackRunning(controller_, false); }
    ProgramMenusBusy(const ProgramMenusBusy&) = delete;
    ProgramMenusBusy& operator=(const ProgramMenusBusy&) = delete;

private:
    WindowController& controller_;
};

// The menu bar the design program's menus for `unit` go into: the main
// window's in windowed mode, otherwise that of the unit's own top-level
// window; nullptr when there is none.
QMenuBar* programMenuBar(const WindowController& controller, int unit) {
    if (controller.windowedMode)
        return controller.mainWindow != nullptr ? controller.mainWindow->menuBar() : nullptr;
    auto* widget = dynamic_cast<QWidget*>(controller.contentForUnit(unit));
    return widget != nullptr ? menuBarOf(widget->window()) : nullptr;
}

// The item (unit, menu, item) if it exists.
QAction* findMenuItem(const WindowController& controller, int unit, const QString& menuName, const QString& itemName) {
    QMenuBar* bar = programMenuBar(controller, unit);
    if (bar == nullptr) return nullptr;
    QMenu* menu = menuInBar(bar, menuName);
    return menu != nullptr ? actionInMenu(menu, itemName) : nullptr;
}

QString callbackKey(const WindowController& controller, int unit, const QString& menuName, const QString& itemName) {
    if (controller.windowedMode) return menuName + itemName;
    return QString::number(WindowController::unitKey(unit)) + menuName + itemName;
}

}  // namespace

// ---- Menus ----

void WindowController::addMenuItem(QString menuName, QString itemName, UIK_Callback callback, QString itemShortcut) {
    addMenuItem(Console_Unit, menuName, itemName, callback, itemShortcut);
}

void WindowController::addMenuItem(int unit, QString menuName, QString itemName, UIK_Callback callback,
                                   QString itemShortcut) {
    QMenuBar* bar = programMenuBar(*this, unit);
    if (bar == nullptr) {
        showErrorBox(notOpenedText(unit, "UIK_addMenu"));
        return;
    }

    QMenu* menu = nullptr;
    for (QMenu* candidate : programMenus)
        if (candidate->title() == menuName && bar->actions().contains(candidate->menuAction())) menu = candidate;
    if (menu == nullptr) {
        menu = bar->addMenu(menuName);
        menu->setObjectName(QStringLiteral("programMenu_") + menuName);
        menu->setProperty("unit", unitKey(unit));
        // Outside windowed mode the menu goes with its window.
        connect(menu, &QObject::destroyed, this, [this, menu]() { programMenus.removeAll(menu); });
        programMenus.append(menu);
        // A menu added from inside a running callback waits, like the others, for it to end.
        menu->setEnabled(!callbackRunning);
        // The menu shows once the design program has stopped; one added
        // after that shows at once, since nothing would show it later.
        menu->menuAction()->setVisible(idle);
    }

    callbacks.insert(callbackKey(*this, unit, menuName, itemName), callback);

    // An item added again keeps its one entry: it runs the routine stored last.
    QAction* action = actionInMenu(menu, itemName);
    if (action == nullptr) {
        action = menu->addAction(itemName);
        action->setObjectName(QStringLiteral("programAction_%1_%2").arg(menuName, itemName));
        connect(action, &QAction::triggered, this, &WindowController::menuItemActivated);
    }
    action->setShortcut(QKeySequence::fromString(itemShortcut, QKeySequence::PortableText));
}

void WindowController::enableMenuItem(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findMenuItem(*this, unit, menuName, itemName))
        action->setEnabled(state);
    else
        showErrorBox(notOpenedText(unit, "UIK_menuItemEnable"));
}

void WindowController::setMenuItemCheckable(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findMenuItem(*this, unit, menuName, itemName))
        action->setCheckable(state);
    else
        showErrorBox(notOpenedText(unit, "UIK_setMenuItemCheckable"));
}

void WindowController::setMenuItemChecked(int unit, QString menuName, QString itemName, bool state) {
    if (QAction* action = findMenuItem(*this, unit, menuName, itemName))
        action->setChecked(state);
    else
        showErrorBox(notOpenedText(unit, "UIK_setMenuItemChecked"));
}

bool WindowController::isMenuItemChecked(int unit, QString menuName, QString itemName) {
    QAction* action = findMenuItem(*this, unit, menuName, itemName);
    return action != nullptr && action->isChecked();
}

void WindowController::menuItemActivated() {
    auto* action = qobject_cast<QAction*>(sender());
    if (action == nullptr) return;
    QMenu* menu = menuOfAction(action);
    if (menu == nullptr) return;
    // Before the design program has stopped its thread still runs it; a
    // routine called now (through a shortcut of a hidden menu) would run the
    // design program on two threads at once.
    if (!idle) return;

    int unit = 0;
    QString key;
    if (windowedMode) {
        if (mainWindow != nullptr && mainWindow->currentContent() != nullptr)
            unit = mainWindow->currentContent()->unitNumber;
        key = menu->title() + action->text();
    } else {
        const int menuUnit = menu->property("unit").toInt();
        UIK_ContentController* content = contentForUnit(menuUnit);
        if (content == nullptr) return;
        unit = content->unitNumber;
        key = QString::number(unitKey(unit)) + menu->title() + action->text();
    }

    // The routine may run a whole design loop with modal dialogs of its
    // own; the menus stay unavailable until it is done.
    if (callbackRunning) return;
    const UIK_Callback callback = callbacks.value(key, nullptr);
    if (callback == nullptr) {
        showErrorBox(QStringLiteral("The callback for unit number %1 cannot be found").arg(unit));
        return;
    }
    // Its end is reported by a queued signal, so it cannot come before this returns.
    if (UIK_Hand_To_Program_Thread(callback, Menu_Routine, 0)) {
        markCallbackRunning(*this, true);
        return;
    }
    ProgramMenusBusy busy(*this);
    callback();
}

void WindowController::programRoutineDone(int kind, int id) {
    if (kind == Menu_Routine) {
        markCallbackRunning(*this, false);
    } else if (UIK_Timer* timer = timers.value(id)) {
        timer->routineDone();
    }
}

void WindowController::runIdle() {
    for (QMenu* menu : programMenus) menu->menuAction()->setVisible(true);
    idle = true;
    for (UIK_Timer* timer : timers.values()) timer->start();
}

// ---- Timers ----

void WindowController::createTimer(int timerId, QVariantMap properties, UIK_Callback callback) {
    // An id names one timer; a new timer with the same id replaces the old one.
    destroyTimerWithId(timerId);
    auto* timer = new UIK_Timer(timerId, callback, this);
    timer->handOver = [timerId](UIK_Callback routine) {
        return UIK_Hand_To_Program_Thread(routine, WindowController::Timer_Routine, timerId);
    };
    timer->interval = properties.value(QStringLiteral("interval")).toUInt();
    timer->singleShot = properties.value(QStringLiteral("singleShot")).toBool();
    connect(timer, &UIK_Timer::destroyTimer, this, &WindowController::destroyTimer);
    timers.insert(timerId, timer);
    if (idle) timer->start();
}

void WindowController::destroyTimer(UIK_Timer* timer) {
    if (timer == nullptr) return;
    auto it = timers.find(timer->timerId);
    if (it != timers.end() && it.value() == timer) timers.erase(it);
    // The request may come from inside the timer's own routine: stop it now,
    // delete it once control is back in the event loop.
    timer->stop();
    timer->deleteLater();
}

void WindowController::destroyTimerWithId(int timerId) {
    if (UIK_Timer* timer = timers.value(timerId)) destroyTimer(timer);
}
