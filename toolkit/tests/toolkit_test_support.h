// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the window-layer tests: a robot on the GUI thread that finds the
// active modal dialog and acts on it, waits that keep the event loop
// running, the data blocks the design program hands on, and the end of a
// run of the real program with its robot (Program_Robot.h).
//
// Linked into every window-layer test and the screenshot program, this file
// also gives each such process a settings folder of its own, empty at the
// start and removed at the end (XDG_CONFIG_HOME, inherited by programs it
// starts, and the user-scope settings path): the dialogs' remembered entries
// of one run never reach another, nor the user's own settings.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <vector>

#include "Program_Robot.h"

class WindowController;

// Once a modal widget is active (polled every 10 ms from a timer on the GUI
// thread, for at most `timeout_ms`), calls `act` with it exactly once.
void whenModalAppears(std::function<void(QWidget*)> act, int timeout_ms = 10000);

// The same, only for a modal widget whose window title is `title`.
void whenModalTitled(const QString& title, std::function<void(QWidget*)> act, int timeout_ms = 10000);

// Presses the OK button of a dialog's button box (or of a message box).
void pressOk(QWidget* dialog);
// Presses its Cancel button (or closes it).
void pressCancel(QWidget* dialog);

// Calls `request`, answering with OK the box titled "Error" it raises, and
// returns the box's text ("(no error box)" when none came while it ran). A
// robot left over from a request that raised no box stays out of the way.
QString errorBoxText(const std::function<void()>& request);

// While it lives: `timeout_ms` after its making, rejects whatever modal
// dialogs are still open, so that a robot that missed its dialog fails the
// test instead of hanging it.
class Watchdog : public QObject {
public:
    explicit Watchdog(int timeout_ms = 20000);
};

// A data block as the design program hands one to the window layer: the
// bytes of `values`, in order.
template <class T>
QByteArray block(std::initializer_list<T> values) {
    return QByteArray(reinterpret_cast<const char*>(values.begin()), int(values.size() * sizeof(T)));
}
template <class T>
QByteArray block(const std::vector<T>& values) {
    return QByteArray(reinterpret_cast<const char*>(values.data()), int(values.size() * sizeof(T)));
}

// ---- Runs of the real program (a WindowController with the design program) ----
// The fields of the user agreement dialog: agreed, run type `run_type`.
Program_Robot::Fields agreement(int run_type = 1);

// Waits, the event loop running, at most `timeout_ms` until the program has
// stopped (the windows stay, the menus appear); fails the running test when
// it does not, when the robot met an unexpected dialog or a field it did not
// find, or when steps of the robot are left.
void waitUntilIdle(WindowController& controller, Program_Robot& robot, int timeout_ms);

// The text of the program's console window (empty when there is none).
QString consoleText(WindowController& controller);

// Forgets every entry the form dialogs remembered, so that the next dialogs
// start from the values passed to them.
void forgetDialogEntries();
