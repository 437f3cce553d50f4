// The entries the user last accepted in the form dialogs, kept across runs.
//
// An entry is named by the dialog's window title and a field name (the text
// of the field's label, see UIK_FormDialog) and held as text: the chosen
// item's text for a combo box or a group of radio buttons, "1"/"0" for a
// check box, the text of a line edit or file field. The store is the user's
// settings of the organisation and application "kaltap" (on Linux
// $XDG_CONFIG_HOME/kaltap/kaltap.conf, group "FormDialogs"), named here so
// that nothing depends on the names the application object was given.
// GUI thread only.
#pragma once

#include <QMap>
#include <QString>

namespace Dialog_Memory {

// The entry last remembered for field `field` of the dialog titled
// `dialogTitle`; a null QString when there is none.
QString recall(const QString& dialogTitle, const QString& field);

// Writes the entries of one dialog at once: field name -> entry text. A null
// entry text forgets that field's entry.
void remember(const QString& dialogTitle, const QMap<QString, QString>& entries);

// Forgets every remembered entry of every dialog.
void forgetAll();

}  // namespace Dialog_Memory
