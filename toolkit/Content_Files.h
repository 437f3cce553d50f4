// File names, save dialogs and print dialogs shared by the content windows.
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// True unless a file `name` exists and is a folder or cannot be written.
bool Content_File_Writable(const QString& name);

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
