// SPDX-License-Identifier: GPL-3.0-or-later
// A robot on the GUI thread that uses the real program as a user would: it
// waits for each expected modal dialog by its title, fills its fields, presses
// OK or Cancel, dismisses alert boxes and presses Enter in the console when
// the program reads a line. Used by the end-to-end tests and to take the
// README's screenshots.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <utility>

class QTimer;
class QWidget;
class WindowController;

class Program_Robot : public QObject {
    Q_OBJECT
public:
    using Fields = QVector<QPair<QString, QString>>;

    explicit Program_Robot(WindowController& controller);

    // OK in the dialog titled `title`, after setting fields by their label:
    // a line edit or combo box takes the text / item number, a group of
    // radio buttons the item number, a check box "1" or "0". "label@k" names
    // the k-th field with that label.
    Program_Robot& accept(const QString& title, const Fields& fields = {});
    Program_Robot& cancel(const QString& title);
    // OK in the message box titled `title`.
    Program_Robot& dismiss(const QString& title);
    // Enter in the console once the program waits for a line (no dialog open).
    Program_Robot& pressEnterInConsole(int times = 1);
    // The classical path ("Select Filter Type" item 3) up to its report: the
    // filter parameters with `parameters` set, the bands as shown (the
    // three-band default when nothing is set).
    Program_Robot& classical(const Fields& parameters = {});
    // The classical path with a low-pass of `weights` weights, density 16:
    // passband 0-0.2 (weight 1), stopband from `stopEdge` to 0.5 (weight 10).
    Program_Robot& lowPass(const QString& weights, const QString& stopEdge);
    // Any action on the dialog titled `title` (it must close it).
    Program_Robot& act(const QString& title, std::function<void(QWidget*)> action);
    // Any action once the program waits for a console line.
    Program_Robot& whenReading(std::function<void()> action);

    // Sets fields of `dialog` by their label, as accept does, without
    // pressing anything.
    void setFields(QWidget* dialog, const Fields& fields);

    bool done() const { return steps_.isEmpty(); }
    QStringList errors;  // unexpected dialogs, fields not found
    QStringList seen;    // titles of the dialogs acted on, in order

private:
    struct Step {
        QString title;  // empty: a console step
        std::function<void(QWidget*)> action;
    };
    void poll();

    WindowController& controller_;
    QVector<Step> steps_;
    QTimer* timer_;
};
