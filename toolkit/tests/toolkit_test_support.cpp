// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit_test_support.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "Dialog_Memory.h"
#include "Program_Menus.h"
#include "UIK_TextEdit.h"
#include "WindowController.h"

namespace {
constexpr int Poll_ms = 10;

// Made before main, so before the application object and any settings are:
// the settings folder of this process and of the programs it starts.
struct Fresh_Settings_Folder {
    Fresh_Settings_Folder() {
        if (!folder.isValid()) qFatal("no temporary folder for the settings of this run");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder.path());
    }
    QTemporaryDir folder;
};
const Fresh_Settings_Folder Settings_Folder;

void poll(std::function<bool(QWidget*)> accepts, std::function<void(QWidget*)> act, int timeout_ms) {
    auto* timer = new QTimer(qApp);
    auto remaining = std::make_shared<int>(timeout_ms);
    QObject::connect(timer, &QTimer::timeout, [timer, remaining, accepts, act]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && accepts(modal)) {
            timer->stop();
            timer->deleteLater();
            act(modal);
            return;
        }
        *remaining -= Poll_ms;
        if (*remaining <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(Poll_ms);
}
}  // namespace

void whenModalAppears(std::function<void(QWidget*)> act, int timeout_ms) {
    poll([](QWidget*) { return true; }, std::move(act), timeout_ms);
}

void whenModalTitled(const QString& title, std::function<void(QWidget*)> act, int timeout_ms) {
    poll([title](QWidget* w) { return w->windowTitle() == title; }, std::move(act), timeout_ms);
}

void pressOk(QWidget* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
            ok->click();
            return;
        }
    }
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) {
            ok->click();
            return;
        }
    }
    if (auto* d = qobject_cast<QDialog*>(dialog)) d->accept();
}

void pressCancel(QWidget* dialog) {
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
        if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel)) {
            cancel->click();
            return;
        }
    }
    if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
}

void forgetDialogEntries() { Dialog_Memory::forgetAll(); }

QString errorBoxText(const std::function<void()>& request) {
    auto text = std::make_shared<QString>(QStringLiteral("(no error box)"));
    auto waiting = std::make_shared<bool>(true);
    whenModalTitled(QStringLiteral("Error"), [text, waiting](QWidget* box) {
        if (!*waiting) return;
        *text = qobject_cast<QMessageBox*>(box)->text();
        pressOk(box);
    });
    request();
    *waiting = false;
    return *text;
}

Watchdog::Watchdog(int timeout_ms) {
    QTimer::singleShot(timeout_ms, this, [] {
        while (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) modal->reject();
    });
}

Program_Robot::Fields agreement(int run_type) {
    return {{"Agree?", "1"}, {"Select run type:", QString::number(run_type)}};
}

void waitUntilIdle(WindowController& controller, Program_Robot& robot, int timeout_ms) {
    QTRY_VERIFY_WITH_TIMEOUT(controller.menus->idle, timeout_ms);
    QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
    QVERIFY2(robot.done(), qPrintable("steps left after: " + robot.seen.join(" | ")));
}

QString consoleText(WindowController& controller) {
    UIK_TextEdit* console = controller.textWindows.value(-2);
    return console ? console->toPlainText() : QString();
}
