// Helpers of the window-layer tests: a robot on the GUI thread that finds the
// active modal dialog and acts on it, and waits that keep the event loop
// running.
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
