// SPDX-License-Identifier: GPL-3.0-or-later
// The windows the design program opens through unit I/O: text windows (the
// console among them) and, by their window type, spreadsheets. Output goes
// to a text window, and a line the design program reads is typed there.
//
// The console (units -4, -3 and -2, one window) is never lost: a report or
// question after it was closed opens it again, empty, with its title and
// where it was.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include "GlueManager.h"

class UIK_ContentController;
class UIK_TextEdit;
class WindowController;

class Text_Windows : public QObject {
    Q_OBJECT
public:
    explicit Text_Windows(WindowController& windows);

    // The console's title (the executable's name).
    QString consoleTitle;
    // The text window with a read in progress (nullptr: none).
    UIK_TextEdit* readingWindow = nullptr;

    // Opens the console, named after the executable; closed (or hidden) at
    // once when the preferences do not show it.
    void openConsole();
    // Opens the window of `unit` named `windowName`. `access` is
    // "type[,width[,height]]" (pixels); type "spreadsheet" (also written
    // "access=spreadsheet") gives a spreadsheet, anything else a text window.
    // A unit has one window: opening it again brings that one forward.
    void open(int unit, const QString& windowName, const QString& access);
    // The text window of `unit`; the console opens again when it was closed
    // (unless the program is ending); nullptr for another unit without one.
    UIK_TextEdit* forWriting(int unit);
    // Writes `text` (see UIK_TextEdit::write) to the text window of `unit`:
    // 1, or -1 when there is none.
    int write(int unit, const QString& text);
    // Reads a line in the text window of `unit`: `answer` gets {line} when
    // Enter ends it, {} when the read is given up. 1, or -1 (and answered {}
    // at once) when the unit has no text window.
    int read(int unit, UIK_Answer answer);
    // `content` is going: a read in it is given up; the console's place is
    // kept for opening it again.
    void forget(UIK_ContentController* content);

private:
    void endRead();
    void finishRead(std::vector<std::string> answer);

    WindowController& windows_;
    UIK_Answer answer_;
    QRect consolePlace_;
    bool consoleMaximized_ = false;
};
