// SPDX-License-Identifier: GPL-3.0-or-later
// The design program's own menus and timers: hidden and stopped while the
// design program runs, alive once it has stopped; one routine at a time.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "MainWindow.h"
#include "Program_Menus.h"
#include "UIK_ContentController.h"
#include "UIK_TextEdit.h"
#include "UIK_Timer.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {

const QString Menu = QStringLiteral("FIR Design");
const QString Item = QStringLiteral("New FIR Filter Design");

// What the routines below saw; reset by each test.
struct RoutineLog {
    int calls = 0;
    bool menusEnabledDuringCall = true;
    QAction* action = nullptr;  // the item a routine triggers again
    WindowController* controller = nullptr;
    int timerToDestroy = 0;
};
RoutineLog routineLog;

int countingRoutine() {
    ++routineLog.calls;
    return 0;
}

int routineCheckingMenus() {
    ++routineLog.calls;
    bool anyEnabled = false;
    for (QMenu* menu : routineLog.controller->menus->programMenus) anyEnabled = anyEnabled || menu->isEnabled();
    routineLog.menusEnabledDuringCall = anyEnabled;
    return 0;
}

int routineTriggeringItself() {
    ++routineLog.calls;
    routineLog.action->trigger();
    return 0;
}

// Like a design loop: waits in a modal dialog of its own, during which the
// user chooses the item again.
int routineWithModalDialog() {
    ++routineLog.calls;
    whenModalTitled(QStringLiteral("Design"), [](QWidget* box) {
        routineLog.action->trigger();
        pressOk(box);
    });
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Design"), QStringLiteral("Designing"), QMessageBox::Ok);
    box.exec();
    return 0;
}

struct RoutineFailed {};
int throwingRoutine() {
    ++routineLog.calls;
    throw RoutineFailed{};
}

int routineDestroyingItsTimer() {
    ++routineLog.calls;
    routineLog.controller->menus->destroyTimer(routineLog.timerToDestroy);
    return 0;
}

QMenu* menuTitled(WindowController& controller, const QString& title) {
    for (QMenu* menu : controller.menus->programMenus)
        if (menu->title() == title) return menu;
    return nullptr;
}

QAction* item(WindowController& controller, const QString& menu, const QString& text) {
    return controller.mainWindow->findChild<QAction*>(QStringLiteral("programAction_%1_%2").arg(menu, text));
}

bool allMenusEnabled(const WindowController& controller) {
    for (QMenu* menu : controller.menus->programMenus)
        if (!menu->isEnabled()) return false;
    return true;
}

// Answers every error box that appears while it lives and keeps its texts.
class ErrorBoxWatch {
public:
    ErrorBoxWatch() {
        QObject::connect(&poll_, &QTimer::timeout, [this]() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                pressOk(box);
            }
        });
        poll_.start(10);
    }
    QStringList texts;

private:
    QTimer poll_;
};

QVariantMap timerProperties(unsigned interval, bool singleShot) {
    return {{QStringLiteral("interval"), interval}, {QStringLiteral("singleShot"), singleShot}};
}

}  // namespace

class TestMenusTimers : public QObject {
    Q_OBJECT

private slots:
    void init() { routineLog = RoutineLog(); }

    void itemsShareMenusByName_data();
    void itemsShareMenusByName();
    void menusAppearOnlyWhenIdle();
    void choosingItemRunsRoutineWithMenusDisabled();
    void secondChoiceWhileRoutineRunsIsIgnored_data();
    void secondChoiceWhileRoutineRunsIsIgnored();
    void choosingBeforeIdleRunsNothing();
    void itemWithoutRoutineReportsError_data();
    void itemWithoutRoutineReportsError();
    void throwingRoutineLeavesMenusEnabled();
    void shortcutIsParsed_data();
    void shortcutIsParsed();
    void itemStateChanges();
    void missingItemReportsError_data();
    void missingItemReportsError();
    void missingItemIsNotChecked();

    void timerStartsAtIdle_data();
    void timerStartsAtIdle();
    void singleShotTimerFiresOnceAndIsGone();
    void destroyedTimerStops_data();
    void destroyedTimerStops();
};

void TestMenusTimers::itemsShareMenusByName_data() {
    QTest::addColumn<QStringList>("menus");
    QTest::addColumn<int>("expectedMenus");
    QTest::newRow("same menu") << QStringList{Menu, Menu} << 1;
    QTest::newRow("two menus") << QStringList{Menu, QStringLiteral("Tools")} << 2;
    QTest::newRow("second menu shared") << QStringList{Menu, QStringLiteral("Tools"), QStringLiteral("Tools")} << 2;
}

void TestMenusTimers::itemsShareMenusByName() {
    QFETCH(QStringList, menus);
    QFETCH(int, expectedMenus);
    Program_Session controller(nullptr, {});
    QVERIFY(controller.mainWindow != nullptr);
    for (int i = 0; i < menus.size(); ++i)
        controller.menus->addMenuItem(-2, menus[i], QStringLiteral("Item %1").arg(i), countingRoutine, QString());

    QCOMPARE(controller.menus->programMenus.size(), expectedMenus);
    int items = 0;
    for (QMenu* menu : controller.menus->programMenus) {
        items += menu->actions().size();
        int entries = 0;
        for (QAction* entry : controller.mainWindow->menuBar()->actions())
            if (entry->menu() != nullptr && entry->menu()->title() == menu->title()) ++entries;
        QCOMPARE(entries, 1);
    }
    QCOMPARE(items, menus.size());
}

void TestMenusTimers::menusAppearOnlyWhenIdle() {
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QString());
    controller.menus->addMenuItem(-2, QStringLiteral("Tools"), QStringLiteral("Other"), countingRoutine, QString());
    QCOMPARE(controller.menus->programMenus.size(), 2);
    for (QMenu* menu : controller.menus->programMenus) QVERIFY(!menu->menuAction()->isVisible());

    controller.menus->runIdle();
    QVERIFY(controller.menus->idle);
    for (QMenu* menu : controller.menus->programMenus) QVERIFY(menu->menuAction()->isVisible());

    // A menu added once idle shows at once: nothing would show it later.
    controller.menus->addMenuItem(-2, QStringLiteral("Late"), QStringLiteral("Item"), countingRoutine, QString());
    QVERIFY(menuTitled(controller, QStringLiteral("Late"))->menuAction()->isVisible());
}

void TestMenusTimers::choosingItemRunsRoutineWithMenusDisabled() {
    Program_Session controller(nullptr, {});
    routineLog.controller = &controller;
    controller.menus->addMenuItem(-2, Menu, Item, routineCheckingMenus, QString());
    controller.menus->addMenuItem(-2, QStringLiteral("Tools"), QStringLiteral("Other"), countingRoutine, QString());
    controller.menus->runIdle();

    item(controller, Menu, Item)->trigger();
    QCOMPARE(routineLog.calls, 1);
    QVERIFY(!routineLog.menusEnabledDuringCall);
    QVERIFY(allMenusEnabled(controller));
    QVERIFY(!controller.menus->callbackRunning);

    // Adding the item again replaces its routine and keeps one entry.
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QString());
    QCOMPARE(menuTitled(controller, Menu)->actions().size(), 1);
    item(controller, Menu, Item)->trigger();
    QCOMPARE(routineLog.calls, 2);
    QVERIFY(!routineLog.menusEnabledDuringCall);  // the replaced routine did not run
}

void TestMenusTimers::secondChoiceWhileRoutineRunsIsIgnored_data() {
    QTest::addColumn<bool>("fromDialog");
    QTest::newRow("from inside the routine") << false;
    QTest::newRow("while the routine's dialog is open") << true;
}

void TestMenusTimers::secondChoiceWhileRoutineRunsIsIgnored() {
    QFETCH(bool, fromDialog);
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, fromDialog ? routineWithModalDialog : routineTriggeringItself,
                                  QString());
    controller.menus->runIdle();
    routineLog.action = item(controller, Menu, Item);

    routineLog.action->trigger();
    QCOMPARE(routineLog.calls, 1);
    QVERIFY(allMenusEnabled(controller));
    QVERIFY(!controller.menus->callbackRunning);
}

void TestMenusTimers::choosingBeforeIdleRunsNothing() {
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QStringLiteral("Ctrl+N"));
    item(controller, Menu, Item)->trigger();
    QCOMPARE(routineLog.calls, 0);
    controller.menus->runIdle();
    item(controller, Menu, Item)->trigger();
    QCOMPARE(routineLog.calls, 1);
}

void TestMenusTimers::itemWithoutRoutineReportsError_data() {
    QTest::addColumn<bool>("consoleIsCurrent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no current window") << false << QStringLiteral("The callback for unit number 0 cannot be found");
    QTest::newRow("console current") << true << QStringLiteral("The callback for unit number -3 cannot be found");
}

void TestMenusTimers::itemWithoutRoutineReportsError() {
    QFETCH(bool, consoleIsCurrent);
    QFETCH(QString, expected);
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, nullptr, QString());
    controller.menus->runIdle();
    controller.mainWindow->setCurrentContent(consoleIsCurrent ? controller.textWindows.value(-2) : nullptr);

    QString shown;
    whenModalTitled(QStringLiteral("Error"), [&shown](QWidget* box) {
        shown = qobject_cast<QMessageBox*>(box)->text();
        pressOk(box);
    });
    item(controller, Menu, Item)->trigger();
    QCOMPARE(shown, expected);
    QCOMPARE(routineLog.calls, 0);
    QVERIFY(allMenusEnabled(controller));
}

void TestMenusTimers::throwingRoutineLeavesMenusEnabled() {
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, throwingRoutine, QString());
    controller.menus->addMenuItem(-2, Menu, QStringLiteral("Count"), countingRoutine, QString());
    controller.menus->runIdle();

    bool thrown = false;
    try {
        item(controller, Menu, Item)->trigger();
    } catch (const RoutineFailed&) { thrown = true; }
    QVERIFY(thrown);
    QVERIFY(allMenusEnabled(controller));
    QVERIFY(!controller.menus->callbackRunning);
    item(controller, Menu, QStringLiteral("Count"))->trigger();
    QCOMPARE(routineLog.calls, 2);
}

void TestMenusTimers::shortcutIsParsed_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("expected");
    QTest::newRow("Ctrl+N") << QStringLiteral("Ctrl+N") << QKeySequence(Qt::CTRL + Qt::Key_N);
    QTest::newRow("two modifiers") << QStringLiteral("Ctrl+Shift+F5")
                                   << QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_F5);
    QTest::newRow("none") << QString() << QKeySequence();
}

void TestMenusTimers::shortcutIsParsed() {
    QFETCH(QString, text);
    QFETCH(QKeySequence, expected);
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, text);
    QCOMPARE(item(controller, Menu, Item)->shortcut(), expected);
}

void TestMenusTimers::itemStateChanges() {
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QString());
    QAction* action = item(controller, Menu, Item);

    controller.menus->enableMenuItem(-2, Menu, Item, false);
    QVERIFY(!action->isEnabled());
    controller.menus->enableMenuItem(-2, Menu, Item, true);
    QVERIFY(action->isEnabled());

    controller.menus->setMenuItemCheckable(-2, Menu, Item, true);
    QVERIFY(action->isCheckable());
    controller.menus->setMenuItemChecked(-2, Menu, Item, true);
    QVERIFY(controller.menus->isMenuItemChecked(-2, Menu, Item));
    controller.menus->setMenuItemChecked(-2, Menu, Item, false);
    QVERIFY(!controller.menus->isMenuItemChecked(-2, Menu, Item));
    controller.menus->setMenuItemCheckable(-2, Menu, Item, false);
    QVERIFY(!action->isCheckable());
}

void TestMenusTimers::missingItemReportsError_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("expected");
    const QString enable = QStringLiteral("Unit number 7 has not been opened yet.\nUIK_menuItemEnable failed.");
    const QString checkable =
        QStringLiteral("Unit number 7 has not been opened yet.\nUIK_setMenuItemCheckable failed.");
    const QString checked = QStringLiteral("Unit number 7 has not been opened yet.\nUIK_setMenuItemChecked failed.");
    QTest::newRow("enable, unknown item") << 0 << Menu << QStringLiteral("Missing") << enable;
    QTest::newRow("enable, unknown menu") << 0 << QStringLiteral("Missing") << Item << enable;
    QTest::newRow("checkable, unknown item") << 1 << Menu << QStringLiteral("Missing") << checkable;
    QTest::newRow("checked, unknown menu") << 2 << QStringLiteral("Missing") << Item << checked;
}

void TestMenusTimers::missingItemReportsError() {
    QFETCH(int, operation);
    QFETCH(QString, menu);
    QFETCH(QString, item);
    QFETCH(QString, expected);
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QString());

    QString shown;
    whenModalTitled(QStringLiteral("Error"), [&shown](QWidget* box) {
        shown = qobject_cast<QMessageBox*>(box)->text();
        pressOk(box);
    });
    switch (operation) {
        case 0: controller.menus->enableMenuItem(7, menu, item, false); break;
        case 1: controller.menus->setMenuItemCheckable(7, menu, item, true); break;
        default: controller.menus->setMenuItemChecked(7, menu, item, true); break;
    }
    QCOMPARE(shown, expected);
    QVERIFY(::item(controller, Menu, Item)->isEnabled());
}

void TestMenusTimers::missingItemIsNotChecked() {
    Program_Session controller(nullptr, {});
    controller.menus->addMenuItem(-2, Menu, Item, countingRoutine, QString());
    ErrorBoxWatch watch;
    QVERIFY(!controller.menus->isMenuItemChecked(-2, Menu, QStringLiteral("Missing")));
    QVERIFY(!controller.menus->isMenuItemChecked(-2, QStringLiteral("Missing"), Item));
    QVERIFY(watch.texts.isEmpty());
}

void TestMenusTimers::timerStartsAtIdle_data() {
    QTest::addColumn<bool>("createdWhileRunning");
    QTest::newRow("created while the program runs") << true;
    QTest::newRow("created once idle") << false;
}

void TestMenusTimers::timerStartsAtIdle() {
    QFETCH(bool, createdWhileRunning);
    Program_Session controller(nullptr, {});
    if (createdWhileRunning) {
        controller.menus->createTimer(1, timerProperties(5, false), countingRoutine);
        QVERIFY(!controller.menus->timers.value(1)->isActive());
        controller.menus->runIdle();
    } else {
        controller.menus->runIdle();
        controller.menus->createTimer(1, timerProperties(5, false), countingRoutine);
    }
    QVERIFY(controller.menus->timers.value(1)->isActive());
    QTRY_VERIFY(routineLog.calls >= 2);
}

void TestMenusTimers::singleShotTimerFiresOnceAndIsGone() {
    Program_Session controller(nullptr, {});
    controller.menus->runIdle();
    controller.menus->createTimer(3, timerProperties(5, true), countingRoutine);
    QPointer<UIK_Timer> timer = controller.menus->timers.value(3);
    QVERIFY(timer);
    QTRY_VERIFY(!controller.menus->timers.contains(3));
    QTRY_VERIFY(timer.isNull());
    QCOMPARE(routineLog.calls, 1);
}

void TestMenusTimers::destroyedTimerStops_data() {
    QTest::addColumn<bool>("fromOwnRoutine");
    QTest::newRow("by the program") << false;
    QTest::newRow("from its own routine") << true;
}

void TestMenusTimers::destroyedTimerStops() {
    QFETCH(bool, fromOwnRoutine);
    Program_Session controller(nullptr, {});
    routineLog.controller = &controller;
    routineLog.timerToDestroy = 4;
    controller.menus->runIdle();
    controller.menus->createTimer(4, timerProperties(5, false),
                                  fromOwnRoutine ? routineDestroyingItsTimer : countingRoutine);
    // A second timer keeps running: only the one named goes.
    controller.menus->createTimer(5, timerProperties(5, false), nullptr);
    QPointer<UIK_Timer> timer = controller.menus->timers.value(4);

    if (fromOwnRoutine) {
        QTRY_VERIFY(timer.isNull());
        QCOMPARE(routineLog.calls, 1);
    } else {
        QTRY_VERIFY(routineLog.calls >= 2);
        controller.menus->destroyTimer(4);
        const int calls = routineLog.calls;
        QTRY_VERIFY(timer.isNull());
        QCOMPARE(routineLog.calls, calls);
    }
    QVERIFY(!controller.menus->timers.contains(4));
    QVERIFY(controller.menus->timers.value(5)->isActive());
}

QTEST_MAIN(TestMenusTimers)
#include "test_menus_timers.moc"
