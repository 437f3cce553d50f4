// SPDX-License-Identifier: GPL-3.0-or-later
// A modal form dialog assembled control by control by the design program.
//
// Controls are stacked top to bottom in the order they are added, in a scroll
// area that shows them all unless the screen is too short for them. Every
// control that returns a value is remembered by its identifier (`labelId`) in
// `controlOrder`, so that the answer list comes back in the order the design
// program added its controls; labels return nothing.
//
// Object names, for finding the controls: the label of a control
// "label_<labelId>", the control itself "control_<labelId>" (the button
// group of a set of radio buttons too, its buttons "control_<labelId>_<n>"
// counting from 1), the chooser button of a file row "chooser_<labelId>", and
// the OK/Cancel row, while the dialog is shown, "buttonBox", with its buttons
// "okButton", "cancelButton" and "restoreDefaultsButton".
//
// Remembered entries: each value-returning control with a title starts with
// the entry the user last accepted in it (see Dialog_Memory), if there is one
// that still fits the control, and otherwise with the value the design program
// passed. A control's memory name is its title, placed under the text of the
// nearest label above it when there is one ("Band 6 / Left Band Edge"); the
// k-th control (k >= 2) of a dialog with the same placed title as earlier
// ones is "<placed title>@k". So the rows of a table of like fields keep their
// own entries, also when the table is spread over several dialogs of one
// title (the bands, five to a dialog). Controls without a title are
// not remembered, nor are those of a dialog the design program asked to start
// from its own values (`setRemembersEntries(false)`). OK writes every
// remembered control's entry; Cancel and closing the window write nothing; an
// entry the design program then refuses is taken back (Dialog_Memory).
// "Restore Defaults" puts back the values the design program passed and
// leaves the dialog open.
//
// Keyboard: the scroll area never takes the focus. Each showing starts with
// the focus in the first value-returning control (a group of radio buttons:
// its checked button), its text selected as if tabbed into, so that typing
// replaces it. Tab walks the controls in the order added (a file row's "..."
// button after its field), then the buttons; the arrow keys move a group's
// choice; the scroll area scrolls to the control that takes the focus. Enter
// (Return or keypad Enter), also in a line edit, presses OK unless a button
// has the focus; Esc is Cancel.
#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

class UIK_FormDialog : public QDialog {
    Q_OBJECT
public:
    // Kinds of the value-returning controls (the same numbers as the design
    // program's answer registry).
    enum ControlKind { ComboBox = 1, CheckBox = 2, LineEdit = 3, FileField = 4, RadioButtons = 5 };

    explicit UIK_FormDialog(QWidget* parent = nullptr);

    // False: every control starts from the value the design program passed
    // and nothing is remembered. Set before the controls are added.
    void setRemembersEntries(bool remembers) { remembersEntries_ = remembers; }

    QList<int> controlOrder;      // value-returning controls, in the order added
    QMap<int, int> controlKinds;  // labelId -> ControlKind
    QMap<int, QComboBox*> comboBoxes;
    QMap<int, QCheckBox*> checkBoxes;
    QMap<int, QLineEdit*> lineEdits;
    QMap<int, QLineEdit*> fileFields;  // the text field of each file row
    QMap<int, QButtonGroup*> radioGroups;

    // ---- Controls, appended below the ones already there ----
    void addLabel(int labelId, const QString& text);
    void addCheckBox(int labelId, const QString& title, bool checked);
    void addLineEdit(int labelId, const QString& title, const QString& placeholder, const QString& text);
    // "title", "itemList", "selected" (1-based, handed to the box as it is).
    void addComboBox(int labelId, const QVariantMap& properties);
    // "title", "itemList", "selected" (1-based; out of range checks the first).
    void addRadioButtons(int labelId, const QVariantMap& properties);
    // "title", "placeholder", "text", "defaultDirectory", "chooseDirectory",
    // "allowNewFiles".
    void addFileField(int labelId, const QVariantMap& properties);

    // Shows the dialog modally with an OK/Cancel row below the controls and
    // takes the row away again afterwards, so the dialog can be shown any
    // number of times. Returns 1 for OK, 0 for Cancel or closing the window.
    int execWithButtons();

    // "1"/"0" for the result, then one entry per value-returning control in
    // the order added: combo box and radio buttons the 1-based number of the
    // chosen item (radio buttons -1 when none is checked), check box "1"/"0",
    // line edit and file field their text.
    QStringList answers(int result) const;

public slots:
    // OK: accepts unless a line edit or file field holds more text than the
    // design program's 128-character fields take; then says so and stays open
    // (a cut name would open a file the user never named).
    void acceptIfTextsFit();
    // The "..." button of a file row: asks for a file or directory with the
    // chooser its flags select and puts the answer into the row's field.
    void toolButtonReleased();
    // "Restore Defaults": every value-returning control shows the value the
    // design program passed when it added the control.
    void restoreDefaults();

protected:
    // Scrolls to a control that takes the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addValueControl(int labelId, ControlKind kind);
    // Scrolls the form to `widget` whenever it takes the focus (the tab
    // order is the order of creation, which is the order of adding).
    void scrollsIntoViewOnFocus(QWidget* widget);
    // The widget of the first value-returning control that takes the focus
    // at the start of a showing; nullptr for a dialog of labels only.
    QWidget* firstField() const;
    // Keeps the value the design program passed for control `labelId` (combo
    // box: 0-based index as passed; radio buttons: button id after the range
    // rule; check box: bool; text fields: QString) and the control's memory
    // name, then shows the remembered entry of that name if it fits.
    void startFromMemory(int labelId, const QString& title, const QVariant& passed);
    // Shows `value` in control `labelId`: a passed value (the QVariant forms
    // above) or a remembered entry (QString, the entry forms of
    // Dialog_Memory). False, with the control unchanged, for an entry that
    // names no item of a combo box or group, or a check box entry other than
    // "1"/"0".
    bool showValue(int labelId, const QVariant& value, bool isEntry);
    // The entry form of what control `labelId` holds now; null when a combo
    // box or group has no chosen item.
    QString entry(int labelId) const;
    // Writes the entries of the controls that have a memory name.
    void rememberEntries() const;

    // Sizes the scroll area to show every control, or as many as the screen
    // holds above the button row `buttons`.
    void fitToScreen(const QWidget* buttons);
    QVBoxLayout* outer_;               // the scroll area, and the button row while shown
    QScrollArea* scroll_;              // holds the controls
    QVBoxLayout* form_;                // the controls, top to bottom
    QMap<int, QVariant> passed_;       // labelId -> value as the design program passed it
    QMap<int, QString> memoryNames_;   // labelId -> memory name (controls with a title only)
    QMap<int, QString> placedTitles_;  // labelId -> title under its label, for numbering like ones
    QString section_;                  // the text of the label added last
    bool remembersEntries_ = true;
};
