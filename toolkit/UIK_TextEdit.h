// SPDX-License-Identifier: GPL-3.0-or-later
// A text window: the design program's output appears here, and a line of
// input is typed here while the program reads. Outside a read the text is
// output only: plain keys are swallowed, keys with Ctrl, Alt or Meta (copy,
// select all, ...) still work.
#pragma once

#include <QPlainTextEdit>

#include "UIK_ContentController.h"

class UIK_TextEdit : public QPlainTextEdit, public UIK_ContentController {
    Q_OBJECT
public:
    UIK_TextEdit(int unit, const QString& title, const QString& access, QWidget* parent = nullptr);

    bool okToClose() override;
    // Writes the text to `fileName` (empty: title + " output") when it was
    // modified since the last save.
    void save(const QString& fileName) override;
    bool saveAs() override;
    void print() override;
    void cut() override { QPlainTextEdit::cut(); }
    void copy() override { QPlainTextEdit::copy(); }
    void paste() override { QPlainTextEdit::paste(); }
    void undo() override { QPlainTextEdit::undo(); }
    void redo() override { QPlainTextEdit::redo(); }
    void setContentFont(const QFont& font) override;
    QFont contentFont() const override;
    bool isTextContent() const override { return true; }
    // As save, and true when the text was written or had nothing new to
    // write (unmodified); false with the reason in *failure when it could
    // not be written.
    bool saveContents(const QString& fileName, QString* failure) override;
    // `fileName`, or title + " output" for an empty name.
    QString contentsFileName(const QString& fileName) const override;

    // Appends `text` at the end and leaves the cursor there. Control
    // characters act instead of being shown: a backspace removes the
    // character before it, a bell beeps.
    void write(const QString& text);
    // Starts reading a line at the end of the text.
    void beginRead();

    int inputStart = -1;  // document position where the input line begins; -1: no read
    QString inputLine;    // the last line entered

signals:
    void endRead();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Writes the text to `fileName` whole or not at all (Content_Write_File)
    // and marks it unmodified; false with the reason in *failure.
    bool writeTo(const QString& fileName, QString* failure = nullptr);
};
