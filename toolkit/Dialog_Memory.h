// SPDX-License-Identifier: GPL-3.0-or-later
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
//
// Entries the design program refused are not kept. The design program
// refuses what a dialog was given by showing a message box (a dialog of
// labels only) and then asking the same dialog, by title, again. So the
// entries of a dialog accepted with OK stay unconfirmed until the design
// program's next question tells their fate:
// - `remember` writes them to the store at once (they survive a run that
//   ends there) and keeps what they replaced;
// - a message box (`messageShown`) may be a refusal: the store gets the
//   replaced entries back while the verdict is open;
// - the next dialog with fields (`questionStarts`) decides: the same title
//   after a message box means the entries were refused, and they are
//   dropped; any other title means the design program went on with them,
//   and they are written again where a message box had taken them out. The
//   same title with no message box between is one question spread over
//   several dialogs (the bands, five to a dialog): their entries stay
//   unconfirmed together, and a refusal drops them all.
// Cancel in a message box stops the design program (`messageCancelled`):
// the entries held then stay out of the store.
#pragma once

#include <QMap>
#include <QString>

namespace Dialog_Memory {

// The entry last remembered for field `field` of the dialog titled
// `dialogTitle`; a null QString when there is none.
QString recall(const QString& dialogTitle, const QString& field);

// Writes the entries of one dialog accepted with OK: field name -> entry
// text, held unconfirmed as above. A null entry text forgets that field's
// entry.
void remember(const QString& dialogTitle, const QMap<QString, QString>& entries);

// A dialog of labels only is shown; it was cancelled (or its window closed).
void messageShown();
void messageCancelled();

// The design program builds a dialog with fields titled `dialogTitle`;
// called before any of its fields recalls an entry.
void questionStarts(const QString& dialogTitle);

// Makes `entry` the entry of field `field` of the dialog titled
// `dialogTitle` at once, confirmed (a design reopened from its record gives
// its dialogs their entries this way).
void store(const QString& dialogTitle, const QString& field, const QString& entry);

// Forgets every remembered entry of every dialog, unconfirmed ones too.
void forgetAll();

}  // namespace Dialog_Memory
