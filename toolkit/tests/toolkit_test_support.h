// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the window-layer tests: a robot on the GUI thread that finds the
// active modal dialog and acts on it, and waits that keep the event loop
// running.
//
// Linked into every window-layer test and the screenshot program, this file
// also gives each such process a settings folder of its own, empty at the
// start and removed at the end (XDG_CONFIG_HOME, inherited by programs it
// starts, and the user-scope settings path): the dialogs' remembered entries
// of one run never reach another, nor the user's own settings.
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>
#include <functional>

// Once a modal widget is active (polled every 10 ms from a timer on the GUI
// thread, for at most `timeout_ms`), calls `act` with it exactly once.
void whenModalAppears(std::function<void(QWidget*)> act, int timeout_ms = 10000);

// The same, only for a modal widget whose window title is `title`.
void whenModalTitled(const QString& title, std::function<void(QWidget*)> act, int timeout_ms = 10000);

// Presses the OK button of a dialog's button box (or of a message box).
void pressOk(QWidget* dialog);
// Presses its Cancel button (or closes it).
void pressCancel(QWidget* dialog);

// Forgets every entry the form dialogs remembered, so that the next dialogs
// start from the values passed to them.
void forgetDialogEntries();
