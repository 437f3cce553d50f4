// SPDX-License-Identifier: GPL-3.0-or-later
// File names, save dialogs and print dialogs shared by the content windows.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QImage;
class QPrinter;
class QWidget;

// Writes `bytes` as the file `name`, whole or not at all: they go to a
// temporary file in the same folder, which takes the place of `name` only
// once every byte has been written (QSaveFile). A failed write leaves no
// partial file and an earlier file of that name as it was. A `name` that
// exists and is neither a file nor a folder (a device such as /dev/full, a
// pipe) has no folder entry to replace: it is written in place. Every write
// is checked. False when the file was not written; then *failure (when
// given) holds the file system's reason, e.g. "File too large". May run on
// any thread.
bool Content_Write_File(const QString& name, const QByteArray& bytes, QString* failure = nullptr);

// `image` encoded in the format that the suffix of `name` names ("png",
// "bmp"; PNG at a fast, light compression) and written by Content_Write_File.
// A failed encoding gives the image writer's reason. May run on any thread.
bool Content_Write_Image(const QImage& image, const QString& name, QString* failure = nullptr);

// `fileName` as written when it ends with one of `extensions` (case-sensitive),
// else with the first of them appended; empty gives `defaultName`.
QString Content_File_Name(const QString& fileName, const char* defaultName, const QStringList& extensions);

// The save dialog "Save <title> As" in the working folder, with `filter`,
// `preselected` as the file name and `suffix` as the default suffix; the
// dialog's object name is `objectName`. The chosen name, or an empty string
// when cancelled.
QString Content_Save_Name(QWidget* parent, const QString& title, const QString& preselected, const QString& filter,
                          const QString& objectName, const QString& suffix);

// The one printer of the program: File > Print Setup configures it and every
// Print uses it, so the page set-up holds for every window. Created on first
// use, deleted with the application.
QPrinter& Content_Printer();

// The print dialog "Print Document" for `printer` (set to colour), offering
// to print the selection when `selection` is set. True when accepted.
bool Content_Print_Dialog(QWidget* parent, QPrinter& printer, bool selection = false);
