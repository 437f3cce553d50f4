// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs the design program shows: its form dialogs, the alert box and
// the file-name dialogs. Each is modal and returns the user's answer.
//
// The design program builds a form dialog by earlier, unanswered requests
// (create, then one request per control) and then asks for it to be shown.
// A form dialog lives in the table for the rest of the run and may be shown
// again.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <utility>

class UIK_FormDialog;
class WindowController;

class Program_Dialogs : public QObject {
    Q_OBJECT
public:
    explicit Program_Dialogs(WindowController& windows);
    ~Program_Dialogs() override;

    QHash<int, UIK_FormDialog*> forms;  // by WindowController::unitKey

    // Creates the form dialog of `unit`, or titles again the one it has.
    // properties: "windowTitle", "remembered" (entries offered again; true).
    void create(int unit, const QVariantMap& properties);
    // The form dialog of `unit`; nullptr when there is none.
    UIK_FormDialog* form(int unit) const;
    // Shows the form dialog modally; its answer list ("1" or "0", then one
    // value per value-returning control), empty when the unit has none.
    QStringList show(int unit);
    // A message box over the main window, which comes to the front.
    void showAlert(const QString& title, const QString& text);
    // Asks for a file name (a new file or an existing one); "" when cancelled.
    QString askFileName(bool newFile);
    // Save-file dialog titled `caption` in the working directory, one name
    // filter per entry of `fileTypes`, entry `selectedType` (1-based) chosen
    // at first. The path ("" when cancelled) and the 1-based file type chosen
    // (0 when cancelled).
    std::pair<QString, int> askSaveFileName(const QString& caption, const QStringList& fileTypes, int selectedType);

private:
    WindowController& windows_;
};
