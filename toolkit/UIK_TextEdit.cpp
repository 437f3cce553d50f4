// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_TextEdit.h"

#include "Content_Files.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextStream>

#include "UIK_Preferences.h"

namespace {

// The font family preference is a blank-padded field.
QString preferredFamily() {
    QString family = QString::fromStdString(UIK_Pref_Font_Family());
    while (family.endsWith(QLatin1Char(' '))) family.chop(1);
    return family;
}

// The preferred family at the preferred size when it is installed with fixed
// pitch; otherwise the system's fixed font at that size, so that the report's
// columns stay aligned.
QFont fixedPitchFont() {
    QFont font(preferredFamily(), UIK_Pref_Font_Size(), QFont::Normal, false);
    font.setStyleHint(QFont::TypeWriter);
    if (QFontInfo(font).fixedPitch()) return font;
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPointSize(UIK_Pref_Font_Size());
    fallback.setBold(false);
    fallback.setItalic(false);
    return fallback;
}

// Ctrl, Alt and Meta make a key a command. Shift alone does not: Shift+H
// types an "H" like any other printable key.
bool isCommandKey(const QKeyEvent* key) {
    return (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

}  // namespace

UIK_TextEdit::UIK_TextEdit(int unit, const QString& title, const QString& access, QWidget* parent)
    : QPlainTextEdit(parent), UIK_ContentController(unit, title, access) {
    setObjectName(QStringLiteral("textWindow"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setFont(fixedPitchFont());
    installEventFilter(this);
}

void UIK_TextEdit::write(const QString& text) {
    constexpr QChar Backspace(8);
    constexpr QChar Bell(7);
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    int from = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != Backspace && text.at(i) != Bell) continue;
        cursor.insertText(text.mid(from, i - from));
        if (i < text.size() && text.at(i) == Backspace)
            cursor.deletePreviousChar();
        else if (i < text.size())
            QApplication::beep();
        from = i + 1;
    }
    setTextCursor(cursor);
}

void UIK_TextEdit::beginRead() {
    // The line starts after everything written so far, wherever the user
    // may have clicked meanwhile.
    moveCursor(QTextCursor::End);
    inputStart = textCursor().position();
    setUndoRedoEnabled(true);
}

bool UIK_TextEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this) return QPlainTextEdit::eventFilter(watched, event);
    if (event->type() == QEvent::InputMethod) return inputStart < 0;
    if (event->type() != QEvent::KeyPress) return QPlainTextEdit::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    if (inputStart < 0) return !isCommandKey(key);

    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        const int end = document()->characterCount() - 1;
        const int start = qMin(inputStart, end);
        // Enter with the cursor up in the output hands over the whole line.
        if (textCursor().position() < start) moveCursor(QTextCursor::End);
        QTextCursor line(document());
        line.setPosition(start);
        line.setPosition(textCursor().position(), QTextCursor::KeepAnchor);
        inputLine = line.selection().toPlainText();
        inputStart = -1;
        setUndoRedoEnabled(false);
        emit endRead();
    }
    // The key itself is processed as usual (Enter inserts the line end).
    return false;
}

void UIK_TextEdit::insertFromMimeData(const QMimeData* source) {
    if (inputStart < 0) return;
    // Pasted text joins the input line, never the output before it.
    if (textCursor().selectionStart() < inputStart) moveCursor(QTextCursor::End);
    QPlainTextEdit::insertFromMimeData(source);
}

bool UIK_TextEdit::okToClose() {
    if (UIK_Pref_Confirm_Close_Modified() && document()->isModified()) return saveAs();
    if (UIK_Pref_Save_On_Close()) save(QString());
    return true;
}

bool UIK_TextEdit::writeTo(const QString& fileName, QString* failure) {
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    out << toPlainText();
    out.flush();
    if (!Content_Write_File(fileName, bytes, failure)) return false;
    document()->setModified(false);
    return true;
}

QString UIK_TextEdit::contentsFileName(const QString& fileName) const {
    return fileName.isEmpty() ? title + QStringLiteral(" output") : fileName;
}

bool UIK_TextEdit::saveContents(const QString& fileName, QString* failure) {
    return !document()->isModified() || writeTo(contentsFileName(fileName), failure);
}

void UIK_TextEdit::save(const QString& fileName) { saveContents(fileName, nullptr); }

bool UIK_TextEdit::saveAs() {
    const QString chosen = Content_Save_Name(this, title, title + QStringLiteral(" output"),
                                             QStringLiteral("All Files (*.*)"), QStringLiteral("saveAsDialog"),
                                             QStringLiteral("txt"));
    // A file the user names is written even when the text is unchanged since
    // the last save: it may not exist yet.
    return !chosen.isEmpty() && writeTo(chosen);
}

void UIK_TextEdit::print() {
    QPrinter& printer = Content_Printer();
    if (Content_Print_Dialog(this, printer, textCursor().hasSelection())) QPlainTextEdit::print(&printer);
}

void UIK_TextEdit::setContentFont(const QFont& font) { setFont(font); }

QFont UIK_TextEdit::contentFont() const { return font(); }
