// SPDX-License-Identifier: GPL-3.0-or-later
// The part every content widget of a unit window shares: its unit number, its
// title and access string, and the file and edit operations the main window's
// menus call on the current content.
#pragma once

#include <QFont>
#include <QString>

class UIK_ContentController {
public:
    UIK_ContentController(int unit, const QString& title, const QString& access = QString())
        : unitNumber(unit), title(title), access(access) {}
    virtual ~UIK_ContentController() = default;

    virtual bool okToClose() = 0;
    virtual void save(const QString& fileName) = 0;
    virtual bool saveAs() = 0;
    virtual void print() = 0;
    virtual void cut() {}
    virtual void copy() {}
    virtual void paste() {}
    virtual void undo() {}
    virtual void redo() {}
    virtual void setContentFont(const QFont& font) = 0;
    virtual QFont contentFont() const = 0;

    // Writes the content to `fileName` for a save request of the design
    // program; false when the file could not be written, with the reason in
    // *failure. The kinds that export images adjust the name (see
    // contentsFileName).
    virtual bool saveContents(const QString& fileName, QString* failure) {
        static_cast<void>(failure);
        save(fileName);
        return true;
    }
    // The name saveContents writes for `fileName`.
    virtual QString contentsFileName(const QString& fileName) const { return fileName; }

    // Text windows take the edit actions; plots and charts do not.
    virtual bool isTextContent() const { return false; }

    int unitNumber;
    QString title;
    QString access;
};
