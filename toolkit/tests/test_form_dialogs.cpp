// SPDX-License-Identifier: GPL-3.0-or-later
// Form dialogs as the user meets them: what each control shows, what comes
// back after OK, Cancel or closing the window, the OK/Cancel row that must
// not pile up when a dialog is shown again, the file row's choosers, the
// alert box and the file-name dialog, the entries a new dialog remembers
// from the last one accepted and those it must not offer, each kind of
// dialog answered from the keyboard alone, and one dialog answered through
// the design program's own calls on its thread.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <atomic>
#include <functional>

#include "GlueManager.h"
#include "MainWindow.h"
#include "Program_Dialogs.h"
#include "UIK_Call_Interface.h"
#include "UIK_FormDialog.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

Q_DECLARE_METATYPE(QFileDialog::FileMode)
Q_DECLARE_METATYPE(QFileDialog::AcceptMode)

namespace {
constexpr int Unit = 1000000;
constexpr int Worker_Timeout_ms = 20000;

// Shows the dialog of `unit`, lets `act` answer it, and returns the answer
// list the controller hands back.
QStringList showAndAnswer(WindowController& controller, int unit, std::function<void(QWidget*)> act) {
    Watchdog watchdog;
    whenModalAppears(std::move(act));
    return controller.dialogs->show(unit);
}

QVariantMap items(const QString& title, const QStringList& list, int selected) {
    return {{"title", title}, {"itemList", list}, {"selected", selected}};
}

// The text a user reads next to (or on) a control.
QString titleShown(QWidget* dialog, int labelId) {
    if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("label_%1").arg(labelId))) return label->text();
    if (auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("control_%1").arg(labelId))) return box->text();
    return QStringLiteral("<no title>");
}

// What a control shows before the user touches it.
QString valueShown(QWidget* dialog, int labelId) {
    const QString name = QStringLiteral("control_%1").arg(labelId);
    if (auto* combo = dialog->findChild<QComboBox*>(name)) return combo->currentText();
    if (auto* box = dialog->findChild<QCheckBox*>(name)) return box->isChecked() ? "1" : "0";
    if (auto* edit = dialog->findChild<QLineEdit*>(name)) return edit->text();
    if (auto* group = dialog->findChild<QButtonGroup*>(name))
        return group->checkedButton() ? group->checkedButton()->text() : QString();
    return QStringLiteral("<no control>");
}

// Acts as the user: "click" (check box), "click:n" (n-th radio button),
// "type:text" (appends to a field), "clear" (empties a field), "up" (previous
// combo box item).
void userAction(QWidget* dialog, int labelId, const QString& action) {
    const QString name = QStringLiteral("control_%1").arg(labelId);
    if (action == "clear") {
        dialog->findChild<QLineEdit*>(name)->clear();
    } else if (action == "click") {
        dialog->findChild<QAbstractButton*>(name)->click();
    } else if (action.startsWith("click:")) {
        dialog->findChild<QAbstractButton*>(name + "_" + action.mid(6))->click();
    } else if (action.startsWith("type:")) {
        auto* edit = dialog->findChild<QLineEdit*>(name);
        edit->end(false);
        QTest::keyClicks(edit, action.mid(5));
    } else if (action == "up") {
        QTest::keyClick(dialog->findChild<QComboBox*>(name), Qt::Key_Up);
    }
}

// Types the path into a file dialog's name field and accepts, as a user would.
void choose(QFileDialog* dialog, const QString& path) {
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept checks the choice
}

int buttonRows(QWidget* dialog) { return dialog->findChildren<QDialogButtonBox*>().size(); }

// Adds one control of `kind` described by `properties` (the keys of the
// requests; a check box takes "title" and "checked", a line edit "title",
// "placeholder" and "text").
void addControl(WindowController& controller, int unit, int id, int kind, const QVariantMap& properties) {
    const QString title = properties.value("title").toString();
    switch (kind) {
        case UIK_FormDialog::CheckBox:
            controller.dialogs->form(unit)->addCheckBox(id, title, properties.value("checked").toBool());
            break;
        case UIK_FormDialog::LineEdit:
            controller.dialogs->form(unit)->addLineEdit(id, title, properties.value("placeholder").toString(),
                                                        properties.value("text").toString());
            break;
        case UIK_FormDialog::ComboBox: controller.dialogs->form(unit)->addComboBox(id, properties); break;
        case UIK_FormDialog::RadioButtons: controller.dialogs->form(unit)->addRadioButtons(id, properties); break;
        case UIK_FormDialog::FileField: controller.dialogs->form(unit)->addFileField(id, properties); break;
    }
}

void pressRestoreDefaults(QWidget* dialog) {
    if (auto* restore = dialog->findChild<QPushButton*>("restoreDefaultsButton")) restore->click();
}

// Builds the dialog of `unit` from `controls`, numbered 1, 2, ... in order:
// each a map with "kind" (a ControlKind, or 0 for a label with "text") and
// the keys of addControl.
void addControls(WindowController& controller, int unit, const QVariantList& controls) {
    int id = 0;
    for (const QVariant& control : controls) {
        const QVariantMap properties = control.toMap();
        const int kind = properties.value("kind").toInt();
        if (kind == 0)
            controller.dialogs->form(unit)->addLabel(++id, properties.value("text").toString());
        else
            addControl(controller, unit, ++id, kind, properties);
    }
}

// The focus as a user sees it: a control's object name, "button" for any
// button of the OK/Cancel row.
QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return QStringLiteral("<none>");
    if (qobject_cast<const QDialogButtonBox*>(focus->parentWidget()) != nullptr) return QStringLiteral("button");
    return focus->objectName();
}

// Whether the focused widget, when it lies in a scroll area, is wholly in view.
bool focusInView() {
    const QWidget* focus = QApplication::focusWidget();
    for (const QWidget* up = focus; up != nullptr; up = up->parentWidget()) {
        const auto* area = qobject_cast<const QScrollArea*>(up);
        if (area == nullptr || !area->viewport()->isAncestorOf(focus)) continue;
        const QRect shown(focus->mapTo(area->viewport(), QPoint(0, 0)), focus->size());
        return area->viewport()->rect().contains(shown);
    }
    return true;
}

// Presses `keys` on whatever has the focus, as a user at the keyboard, steps
// separated by "|": "type:<text>", "tab", "backtab", "up", "down", "space",
// "return", "enter" (keypad), "escape". Returns the focus after each step
// that moves it ("tab", "backtab", "up", "down"); `hidden` gets every step
// after which the focus lay out of view.
QStringList pressKeys(const QString& keys, QStringList& hidden) {
    const QMap<QString, Qt::Key> named{
        {"tab", Qt::Key_Tab},     {"backtab", Qt::Key_Backtab}, {"up", Qt::Key_Up},       {"down", Qt::Key_Down},
        {"space", Qt::Key_Space}, {"return", Qt::Key_Return},   {"enter", Qt::Key_Enter}, {"escape", Qt::Key_Escape}};
    QStringList moves;
    int step = 0;
    for (const QString& key : keys.split('|')) {
        ++step;
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            hidden << QStringLiteral("no focus before step %1").arg(step);
            return moves;
        }
        if (key.startsWith("type:")) {
            QTest::keyClicks(focus, key.mid(5));
        } else {
            const Qt::Key code = named.value(key, Qt::Key_unknown);
            QTest::keyClick(focus, code, code == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            if (code == Qt::Key_Return || code == Qt::Key_Enter || code == Qt::Key_Escape) continue;
        }
        if (key == "tab" || key == "backtab" || key == "up" || key == "down") moves << focusName();
        if (!focusInView()) hidden << QStringLiteral("step %1 (%2)").arg(step).arg(focusName());
    }
    return moves;
}

QVariantMap lineEdit(const QString& title, const QString& text) {
    return {{"kind", UIK_FormDialog::LineEdit}, {"title", title}, {"placeholder", ""}, {"text", text}};
}
}  // namespace

class TestFormDialogs : public QObject {
    Q_OBJECT
private slots:
    // Every test starts as a first run does, with nothing remembered.
    void init() { forgetDialogEntries(); }

    void aDialogOfLabelsAnswersOnlyItsResult_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("OK") << "ok" << QStringList{"1"};
        QTest::newRow("Cancel") << "cancel" << QStringList{"0"};
        QTest::newRow("window closed") << "close" << QStringList{"0"};
    }
    void aDialogOfLabelsAnswersOnlyItsResult() {
        QFETCH(QString, how);
        QFETCH(QStringList, expected);
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Agreement"}});
        controller.dialogs->form(Unit)->addLabel(11, "This program comes with no warranty.");
        controller.dialogs->form(Unit)->addLabel(12, "Press OK to go on.");

        QString title, second;
        bool overMainWindow = false;
        const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* dialog) {
            title = dialog->windowTitle();
            second = titleShown(dialog, 12);
            overMainWindow = dialog->parentWidget() == controller.mainWindow;
            if (how == "ok")
                pressOk(dialog);
            else if (how == "cancel")
                pressCancel(dialog);
            else
                dialog->close();
        });
        QCOMPARE(answer, expected);
        QCOMPARE(title, QString("Agreement"));
        QCOMPARE(second, QString("Press OK to go on."));
        QVERIFY(overMainWindow);
    }

    void eachControlShowsItsStartAndAnswersItsValue_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("properties");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        const QStringList four{"Low-pass", "High-pass", "Band-pass", "Band-stop"};
        const QStringList three{"Number of weights", "Transition width", "Ripple"};
        const int check = UIK_FormDialog::CheckBox, edit = UIK_FormDialog::LineEdit, combo = UIK_FormDialog::ComboBox,
                  radio = UIK_FormDialog::RadioButtons, file = UIK_FormDialog::FileField;
        const QVariantMap unchecked{{"title", "Write a log"}, {"checked", false}};
        const QVariantMap checked{{"title", "Write a log"}, {"checked", true}};
        QTest::newRow("check box left unchecked") << check << unchecked << ""
                                                  << "0"
                                                  << "0";
        QTest::newRow("check box left checked") << check << checked << ""
                                                << "1"
                                                << "1";
        QTest::newRow("check box ticked") << check << unchecked << "click"
                                          << "0"
                                          << "1";
        QTest::newRow("check box cleared") << check << checked << "click"
                                           << "1"
                                           << "0";
        const QVariantMap emptyEdit{{"title", "Bits"}, {"placeholder", "2 to 48"}, {"text", ""}};
        const QVariantMap filledEdit{{"title", "Bits"}, {"placeholder", "2 to 48"}, {"text", "1"}};
        QTest::newRow("line edit left empty") << edit << emptyEdit << ""
                                              << ""
                                              << "";
        QTest::newRow("line edit typed into") << edit << emptyEdit << "type:0.25, 42"
                                              << ""
                                              << "0.25, 42";
        QTest::newRow("line edit typed after its text") << edit << filledEdit << "type:6 "
                                                        << "1"
                                                        << "16 ";
        QTest::newRow("combo box selected 3") << combo << items("Filter", four, 3) << ""
                                              << "Band-pass"
                                              << "3";
        QTest::newRow("combo box moved up") << combo << items("Filter", four, 3) << "up"
                                            << "Band-pass"
                                            << "2";
        QTest::newRow("combo box selected 0") << combo << items("Filter", four, 0) << ""
                                              << ""
                                              << "0";
        QTest::newRow("combo box selected 9") << combo << items("Filter", four, 9) << ""
                                              << ""
                                              << "0";
        QTest::newRow("radio selected 2") << radio << items("Find", three, 2) << ""
                                          << "Transition width"
                                          << "2";
        QTest::newRow("radio other chosen") << radio << items("Find", three, 2) << "click:3"
                                            << "Transition width"
                                            << "3";
        QTest::newRow("radio selected 0") << radio << items("Find", three, 0) << ""
                                          << "Number of weights"
                                          << "1";
        QTest::newRow("radio selected -1") << radio << items("Find", three, -1) << ""
                                           << "Number of weights"
                                           << "1";
        QTest::newRow("radio selected 4 of 3") << radio << items("Find", three, 4) << ""
                                               << "Number of weights"
                                               << "1";
        const QVariantMap fileRow{{"title", "Response file"}, {"placeholder", "CSV file"}, {"text", "Equalizer.csv"},
                                  {"defaultDirectory", "."},  {"chooseDirectory", false},  {"allowNewFiles", false}};
        QTest::newRow("file field left") << file << fileRow << ""
                                         << "Equalizer.csv"
                                         << "Equalizer.csv";
        QTest::newRow("file field typed") << file << fileRow << "type:.bak"
                                          << "Equalizer.csv"
                                          << "Equalizer.csv.bak";
    }
    void eachControlShowsItsStartAndAnswersItsValue() {
        QFETCH(int, kind);
        QFETCH(QVariantMap, properties);
        QFETCH(QString, action);
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        constexpr int Id = 42;
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "One control"}});
        const QString title = properties.value("title").toString();
        addControl(controller, Unit, Id, kind, properties);
        QString titleSeen, valueSeen;
        const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* dialog) {
            titleSeen = titleShown(dialog, Id);
            valueSeen = valueShown(dialog, Id);
            userAction(dialog, Id, action);
            pressOk(dialog);
        });
        QCOMPARE(titleSeen, title);
        QCOMPARE(valueSeen, shown);
        QCOMPARE(answer, (QStringList{"1", expected}));
    }

    // A dialog answered with OK is remembered: the next dialog of that title
    // with a control of that title starts with the entry (by item text for
    // lists), unless the entry no longer fits; "Restore Defaults" shows the
    // passed value again and leaves the dialog open. Cancel remembers nothing.
    // The second dialog is a new one, as each question of the design program
    // is; `second` may rename the dialog ("windowTitle") or change the control.
    void aNewDialogStartsWithTheEntryLastAccepted_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariantMap>("first");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QVariantMap>("second");
        QTest::addColumn<QString>("startShown");
        QTest::addColumn<QString>("restoredShown");
        QTest::addColumn<QString>("restoredAnswer");
        const QStringList four{"Low-pass", "High-pass", "Band-pass", "Band-stop"};
        const QStringList three{"Number of weights", "Transition width", "Ripple"};
        const int check = UIK_FormDialog::CheckBox, edit = UIK_FormDialog::LineEdit, combo = UIK_FormDialog::ComboBox,
                  radio = UIK_FormDialog::RadioButtons, file = UIK_FormDialog::FileField;
        const QVariantMap bits{{"title", "Bits"}, {"placeholder", "2 to 48"}, {"text", "1"}};
        QVariantMap otherDialog = bits, otherLabel = bits;
        otherDialog.insert("windowTitle", "Other dialog");
        otherLabel.insert("title", "Bits per weight");
        QTest::newRow("line edit") << edit << bits << "type:6" << true << bits << "16"
                                   << "1"
                                   << "1";
        QTest::newRow("line edit cleared") << edit << bits << "clear" << true << bits << ""
                                           << "1"
                                           << "1";
        QTest::newRow("line edit cancelled") << edit << bits << "type:6" << false << bits << "1"
                                             << "1"
                                             << "1";
        QTest::newRow("line edit, other dialog") << edit << bits << "type:6" << true << otherDialog << "1"
                                                 << "1"
                                                 << "1";
        QTest::newRow("line edit, other label") << edit << bits << "type:6" << true << otherLabel << "1"
                                                << "1"
                                                << "1";
        const QVariantMap unchecked{{"title", "Write a log"}, {"checked", false}};
        QTest::newRow("check box") << check << unchecked << "click" << true << unchecked << "1"
                                   << "0"
                                   << "0";
        QTest::newRow("check box cancelled") << check << unchecked << "click" << false << unchecked << "0"
                                             << "0"
                                             << "0";
        QTest::newRow("combo box") << combo << items("Filter", four, 3) << "up" << true << items("Filter", four, 3)
                                   << "High-pass"
                                   << "Band-pass"
                                   << "3";
        QTest::newRow("combo box, item moved")
            << combo << items("Filter", four, 3) << "up" << true
            << items("Filter", {"Low-pass", "Band-pass", "Band-stop", "High-pass"}, 2) << "High-pass"
            << "Band-pass"
            << "2";
        QTest::newRow("combo box, item removed")
            << combo << items("Filter", four, 3) << "up" << true
            << items("Filter", {"Low-pass", "Band-pass", "Band-stop"}, 3) << "Band-stop"
            << "Band-stop"
            << "3";
        QTest::newRow("radio buttons") << radio << items("Find", three, 2) << "click:3" << true
                                       << items("Find", three, 2) << "Ripple"
                                       << "Transition width"
                                       << "2";
        QTest::newRow("radio buttons cancelled")
            << radio << items("Find", three, 2) << "click:3" << false << items("Find", three, 2) << "Transition width"
            << "Transition width"
            << "2";
        QTest::newRow("radio buttons, item removed") << radio << items("Find", three, 2) << "click:3" << true
                                                     << items("Find", three.mid(0, 2), 2) << "Transition width"
                                                     << "Transition width"
                                                     << "2";
        const QVariantMap fileRow{{"title", "Response file"}, {"text", "Equalizer.csv"}};
        QTest::newRow("file field") << file << fileRow << "type:.bak" << true << fileRow << "Equalizer.csv.bak"
                                    << "Equalizer.csv"
                                    << "Equalizer.csv";
    }
    void aNewDialogStartsWithTheEntryLastAccepted() {
        QFETCH(int, kind);
        QFETCH(QVariantMap, first);
        QFETCH(QString, action);
        QFETCH(bool, accepted);
        QFETCH(QVariantMap, second);
        QFETCH(QString, startShown);
        QFETCH(QString, restoredShown);
        QFETCH(QString, restoredAnswer);
        constexpr int Id = 42;
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Remembered"}});
        addControl(controller, Unit, Id, kind, first);
        const QStringList firstAnswer = showAndAnswer(controller, Unit, [&](QWidget* dialog) {
            userAction(dialog, Id, action);
            if (accepted)
                pressOk(dialog);
            else
                pressCancel(dialog);
        });
        QCOMPARE(firstAnswer.value(0), QString(accepted ? "1" : "0"));

        constexpr int Next = Unit + 1;
        controller.dialogs->create(Next, {{"windowTitle", second.value("windowTitle", "Remembered")}});
        addControl(controller, Next, Id + 1, kind, second);
        QString shown, restored;
        bool openAfterRestore = false;
        const QStringList answer = showAndAnswer(controller, Next, [&](QWidget* dialog) {
            shown = valueShown(dialog, Id + 1);
            pressRestoreDefaults(dialog);
            restored = valueShown(dialog, Id + 1);
            openAfterRestore = dialog->isVisible();
            pressCancel(dialog);
        });
        QCOMPARE(shown, startShown);
        QCOMPARE(restored, restoredShown);
        QVERIFY(openAfterRestore);
        QCOMPARE(answer, (QStringList{"0", restoredAnswer}));
    }

    // What the design program refuses is not offered again; what it goes on
    // with is. Each step is one dialog: "T=v" a dialog titled T whose field
    // "Field" (passed "passed") gets v typed over it and OK, "T:F=v" the same
    // for a field F, "-T=v" a dialog asked to start from its passed values,
    // "T" a dialog only looked at and cancelled; "!" a message box (labels
    // only) answered OK, "!x" one cancelled (which stops the design program).
    // `shown`: what the field of each dialog showed at the start.
    void anEntryTheDesignProgramRefusedIsNotOfferedAgain_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        const QString p = "passed";
        QTest::newRow("accepted") << QStringList{"Q=7", "Q"} << QStringList{p, "7"};
        QTest::newRow("refused") << QStringList{"Q=99", "!", "Q"} << QStringList{p, p};
        QTest::newRow("refused, the earlier entry again")
            << QStringList{"Q=7", "R=1", "Q=99", "!", "Q"} << QStringList{p, p, "7", "7"};
        QTest::newRow("refused twice, then gone on with")
            << QStringList{"Q=99", "!", "Q=98", "!", "!", "Q=7", "R=1", "Q"} << QStringList{p, p, p, p, "7"};
        QTest::newRow("a message, then another question")
            << QStringList{"Q=7", "!", "R=1", "Q"} << QStringList{p, p, "7"};
        QTest::newRow("stopped at a message")
            << QStringList{"Q=7", "R=1", "Q=99", "!x", "S=1", "Q"} << QStringList{p, p, "7", p, "7"};
        QTest::newRow("one question in two dialogs, refused")
            << QStringList{"Q:A=1", "Q:B=2", "!", "Q:A", "Q:B"} << QStringList{p, p, p, p};
        // Like fields in both dialogs: the refusal brings back the entry
        // from before the first.
        QTest::newRow("one question in two dialogs of like fields, refused")
            << QStringList{"Q=7", "R=1", "Q=5", "Q=6", "!", "Q"} << QStringList{p, p, "7", "5", "7"};
        QTest::newRow("one question in two dialogs, gone on with")
            << QStringList{"Q:A=1", "Q:B=2", "R=1", "Q:A", "Q:B"} << QStringList{p, p, p, "1", "2"};
        QTest::newRow("started from the passed values")
            << QStringList{"Q=7", "-Q=8", "-Q=9", "R=1", "Q"} << QStringList{p, p, p, p, "7"};
    }
    void anEntryTheDesignProgramRefusedIsNotOfferedAgain() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        Program_Session controller(nullptr, {});
        QStringList seen;
        int unit = Unit;
        for (const QString& step : steps) {
            ++unit;
            if (step.startsWith('!')) {
                controller.dialogs->create(unit, {{"windowTitle", "Bad Input"}});
                controller.dialogs->form(unit)->addLabel(1, "Please try again");
                showAndAnswer(controller, unit, [&step](QWidget* dialog) {
                    if (step == "!x")
                        pressCancel(dialog);
                    else
                        pressOk(dialog);
                });
                continue;
            }
            const bool remembered = !step.startsWith('-');
            const QString question = step.mid(remembered ? 0 : 1).section('=', 0, 0);
            const QString typed = step.section('=', 1);
            controller.dialogs->create(unit,
                                       {{"windowTitle", question.section(':', 0, 0)}, {"remembered", remembered}});
            const QString field = question.contains(':') ? question.section(':', 1) : QStringLiteral("Field");
            controller.dialogs->form(unit)->addLineEdit(1, field, "", "passed");
            showAndAnswer(controller, unit, [&](QWidget* dialog) {
                seen << valueShown(dialog, 1);
                if (!step.contains('=')) return pressCancel(dialog);
                dialog->findChild<QLineEdit*>("control_1")->setText(typed);
                pressOk(dialog);
            });
        }
        QCOMPARE(seen, shown);
    }

    // The keyboard alone answers every kind of dialog: the focus starts in
    // the first field (a radio group: its checked button), so typing
    // replaces its text; Tab walks the fields in order, then the buttons,
    // and back to the first field; the arrow keys move the choices; the
    // focused field is always in view; Return and keypad Enter are OK, also
    // from a line edit, and Esc is Cancel.
    void theKeyboardAloneAnswersEachKindOfDialog_data() {
        QTest::addColumn<QVariantList>("controls");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("first");      // the focus at the start
        QTest::addColumn<QStringList>("moves");  // the focus after each move
        QTest::addColumn<QStringList>("answer");
        const int check = UIK_FormDialog::CheckBox, combo = UIK_FormDialog::ComboBox,
                  radio = UIK_FormDialog::RadioButtons, file = UIK_FormDialog::FileField;
        const QVariantMap label{{"kind", 0}, {"text", "By continuing, you agree."}};
        const QStringList four{"Low-pass", "High-pass", "Band-pass", "Band-stop"};
        QVariantMap agree{{"kind", check}, {"title", "Agree?"}, {"checked", false}};
        QVariantMap runType = items("Select run type:", {"Filter design", "Run test cases and exit"}, 1);
        runType.insert("kind", radio);
        QVariantMap filter = items("Filter", four, 1);
        filter.insert("kind", combo);
        QVariantMap find = items("Find", {"weights", "width", "ripple"}, 2);
        find.insert("kind", radio);
        const QVariantMap fileRow{{"kind", file}, {"title", "Input data file"}, {"text", "Equalizer.csv"}};
        const QVariantMap weights = lineEdit("Number of weights", "41");
        const QVariantMap ripple = lineEdit("Ripple", "0.1");

        QTest::newRow("line edits") << QVariantList{weights, ripple} << "type:63|tab|type:0.5|return"
                                    << "control_1" << QStringList{"control_2"} << QStringList{"1", "63", "0.5"};
        QTest::newRow("combo box") << QVariantList{filter, weights} << "down|down|tab|type:24|enter"
                                   << "control_1" << QStringList{"control_1", "control_1", "control_2"}
                                   << QStringList{"1", "3", "24"};
        QTest::newRow("check box") << QVariantList{label, agree, runType} << "space|tab|down|return"
                                   << "control_2" << QStringList{"control_3_1", "control_3_2"}
                                   << QStringList{"1", "1", "2"};
        QTest::newRow("radio buttons") << QVariantList{find, weights} << "down|up|up|tab|type:31|return"
                                       << "control_1_2"
                                       << QStringList{"control_1_3", "control_1_2", "control_1_1", "control_2"}
                                       << QStringList{"1", "1", "31"};
        QTest::newRow("file field") << QVariantList{fileRow, weights} << "type:mine.csv|tab|tab|type:9|return"
                                    << "control_1" << QStringList{"chooser_1", "control_2"}
                                    << QStringList{"1", "mine.csv", "9"};
        QTest::newRow("fields, then the buttons, then round")
            << QVariantList{weights, agree, ripple} << "tab|tab|tab|tab|tab|tab|return"
            << "control_1" << QStringList{"control_2", "control_3", "button", "button", "button", "control_1"}
            << QStringList{"1", "41", "0", "0.1"};
        QTest::newRow("Esc") << QVariantList{weights} << "type:5|escape"
                             << "control_1" << QStringList{} << QStringList{"0", "5"};
        // Twenty-five fields scroll; the last one typed into, or the first
        // after a round through the buttons.
        QVariantList bands;
        QStringList down, last{"1"}, round{"1", "0.4"};
        for (int id = 1; id <= 25; ++id) {
            bands << lineEdit(QStringLiteral("Left Band Edge %1").arg(id), "0.5");
            last << (id == 25 ? "0.4" : "0.5");
            if (id > 1) down << QStringLiteral("control_%1").arg(id);
            if (id > 1) round << "0.5";
        }
        QTest::newRow("a form that scrolls") << bands << QString("tab|").repeated(24) + "type:0.4|return"
                                             << "control_1" << down << last;
        QTest::newRow("a form that scrolls, round to the top")
            << bands << QString("tab|").repeated(28) + "type:0.4|return"
            << "control_1" << down + QStringList{"button", "button", "button", "control_1"} << round;
    }
    void theKeyboardAloneAnswersEachKindOfDialog() {
        QFETCH(QVariantList, controls);
        QFETCH(QString, keys);
        QFETCH(QString, first);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, answer);
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Keyboard"}});
        addControls(controller, Unit, controls);
        QString focusAtStart;
        QStringList movesSeen, hidden;
        const QStringList answered = showAndAnswer(controller, Unit, [&](QWidget* dialog) {
            if (!QTest::qWaitFor([dialog] { return dialog->isAncestorOf(QApplication::focusWidget()); }))
                hidden << "no focus in the dialog";
            focusAtStart = focusName();
            if (!focusInView()) hidden << "at the start";
            movesSeen = pressKeys(keys, hidden);
        });
        QCOMPARE(focusAtStart, first);
        QCOMPARE(movesSeen, moves);
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(", ")));
        QCOMPARE(answered, answer);
    }

    // Fields of like title (the rows of a band table) keep an entry each,
    // also across the dialogs of one title that the table is spread over;
    // "Restore Defaults" restores every field. Labels and a dialog of labels
    // only have nothing to restore.
    void likeFieldsOfOneTableKeepAnEntryEach() {
        Program_Session controller(nullptr, {});
        auto build = [&controller](int unit, const QString& bands, const QString& left, const QString& right) {
            controller.dialogs->create(unit, {{"windowTitle", "Band Definitions"}});
            controller.dialogs->form(unit)->addLabel(1, bands);
            controller.dialogs->form(unit)->addLineEdit(2, "Left Band Edge", "", left);
            controller.dialogs->form(unit)->addLineEdit(4, "Left Band Edge", "", right);
            controller.dialogs->form(unit)->addCheckBox(5, "Write a log", true);
        };
        build(Unit, "Bands 1 and 2", "0", "0.3");
        showAndAnswer(controller, Unit, [](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("control_4")->setText("0.25");
            userAction(dialog, 5, "click");
            pressOk(dialog);
        });
        build(Unit + 10, "Bands 3 and 4", "0.35", "0.4");
        showAndAnswer(controller, Unit + 10, [](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("control_2")->setText("0.36");
            pressOk(dialog);
        });
        build(Unit + 1, "Bands 1 and 2", "0", "0.3");
        QStringList shown, restored;
        const QStringList answer = showAndAnswer(controller, Unit + 1, [&](QWidget* dialog) {
            shown = QStringList{valueShown(dialog, 2), valueShown(dialog, 4), valueShown(dialog, 5)};
            pressRestoreDefaults(dialog);
            restored = QStringList{valueShown(dialog, 2), valueShown(dialog, 4), valueShown(dialog, 5)};
            pressOk(dialog);
        });
        QCOMPARE(shown, (QStringList{"0", "0.25", "0"}));
        QCOMPARE(restored, (QStringList{"0", "0.3", "1"}));
        QCOMPARE(answer, (QStringList{"1", "0", "0.3", "1"}));
        build(Unit + 11, "Bands 3 and 4", "0.35", "0.4");
        showAndAnswer(controller, Unit + 11, [&](QWidget* dialog) {
            shown = QStringList{valueShown(dialog, 2), valueShown(dialog, 4), valueShown(dialog, 5)};
            pressCancel(dialog);
        });
        QCOMPARE(shown, (QStringList{"0.36", "0.4", "1"}));

        controller.dialogs->create(Unit + 2, {{"windowTitle", "Notice"}});
        controller.dialogs->form(Unit + 2)->addLabel(1, "Band 1");
        QString restoreText = "<none>", labelsOnly = "<none>";
        showAndAnswer(controller, Unit + 1, [&](QWidget* dialog) {
            if (auto* restore = dialog->findChild<QPushButton*>("restoreDefaultsButton")) restoreText = restore->text();
            pressCancel(dialog);
        });
        showAndAnswer(controller, Unit + 2, [&](QWidget* dialog) {
            if (dialog->findChild<QPushButton*>("restoreDefaultsButton")) labelsOnly = "shown";
            pressOk(dialog);
        });
        QCOMPARE(restoreText, QString("Restore Defaults"));
        QCOMPARE(labelsOnly, QString("<none>"));
    }

    void aFieldShowsItsPlaceholderWhileEmpty() {
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Hints"}});
        controller.dialogs->form(Unit)->addLineEdit(1, "Bits", "2 to 48", "");
        controller.dialogs->form(Unit)->addFileField(2, {{"title", "File"}, {"placeholder", "CSV file"}, {"text", ""}});
        UIK_FormDialog* dialog = controller.dialogs->forms.value(Unit);
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QLineEdit*>("control_1")->placeholderText(), QString("2 to 48"));
        QCOMPARE(dialog->findChild<QLineEdit*>("control_2")->placeholderText(), QString("CSV file"));
        QCOMPARE(dialog->findChild<QToolButton*>("chooser_2")->text(), QString("..."));
    }

    // Labels between the controls, identifiers not in ascending order: the
    // answers follow the order of adding, the result first, whatever ended
    // the dialog.
    void answersFollowTheOrderOfAdding_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("result");
        QTest::newRow("accepted") << "ok"
                                  << "1";
        QTest::newRow("cancelled") << "cancel"
                                   << "0";
        QTest::newRow("window closed") << "close"
                                       << "0";
    }
    void answersFollowTheOrderOfAdding() {
        QFETCH(QString, how);
        QFETCH(QString, result);
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Two-band filter"}});
        controller.dialogs->form(Unit)->addLabel(90, "Pass band");
        controller.dialogs->form(Unit)->addLineEdit(70, "Edge", "", "0.1");
        controller.dialogs->form(Unit)->addRadioButtons(10, items("Find", {"weights", "width", "ripple"}, 1));
        controller.dialogs->form(Unit)->addLabel(5, "Output");
        controller.dialogs->form(Unit)->addCheckBox(50, "Write a log", false);
        controller.dialogs->form(Unit)->addComboBox(30, items("Type", {"low", "high"}, 2));
        controller.dialogs->form(Unit)->addFileField(20, {{"title", "File"}, {"text", "out.csv"}});

        const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* dialog) {
            userAction(dialog, 70, "type:5");
            userAction(dialog, 10, "click:3");
            userAction(dialog, 50, "click");
            if (how == "ok")
                pressOk(dialog);
            else if (how == "cancel")
                pressCancel(dialog);
            else
                dialog->close();
        });
        QCOMPARE(answer, (QStringList{result, "0.15", "3", "1", "2", "out.csv"}));
    }

    void showingAgainKeepsOneButtonRow() {
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Again"}});
        controller.dialogs->form(Unit)->addLineEdit(1, "Bits", "", "16");
        controller.dialogs->form(Unit)->addCheckBox(2, "Hex file", true);
        UIK_FormDialog* dialog = controller.dialogs->forms.value(Unit);
        QVERIFY(dialog);
        const int controlItems = dialog->layout()->count();

        for (int show = 1; show <= 3; ++show) {
            int rowsWhileShown = -1, itemsWhileShown = -1;
            const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* shown) {
                rowsWhileShown = buttonRows(shown);
                itemsWhileShown = shown->layout()->count();
                pressOk(shown);
            });
            QCOMPARE(answer, (QStringList{"1", "16", "1"}));
            QCOMPARE(rowsWhileShown, 1);
            QCOMPARE(itemsWhileShown, controlItems + 3);  // gap, stretch, buttons
            QCOMPARE(buttonRows(dialog), 0);
            QCOMPARE(dialog->layout()->count(), controlItems);
        }
        QCOMPARE(controller.dialogs->forms.size(), 1);
    }

    // Five bands make a dialog of some thirty rows: on a short screen the rows
    // scroll and OK and Cancel stay where the user can press them; a short
    // dialog shows every row without scrolling. Every field shows its whole
    // starting text.
    void aTallDialogScrollsWithItsButtonsOnScreen_data() {
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("three fields") << 3 << false;
        QTest::newRow("five bands") << 25 << true;
        QTest::newRow("twenty bands") << 100 << true;
    }
    void aTallDialogScrollsWithItsButtonsOnScreen() {
        QFETCH(int, fields);
        QFETCH(bool, scrolls);
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Band Definitions"}});
        const QString longText = QStringLiteral("0.000000000000000000000000000000000000123");
        for (int id = 1; id <= fields; ++id)
            controller.dialogs->form(Unit)->addLineEdit(id, QStringLiteral("Left Band Edge %1").arg(id), "",
                                                        id == 1 ? longText : QStringLiteral("0.5"));
        bool buttonsOnScreen = false, fitsScreen = false, scrolled = !scrolls, wholeText = false;
        const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* shown) {
            const QRect screen = shown->screen()->availableGeometry();
            fitsScreen = shown->height() <= screen.height();
            auto* buttons = shown->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            buttonsOnScreen = buttons != nullptr && buttons->isVisible() &&
                              buttons->geometry().bottom() < shown->height();
            if (auto* area = shown->findChild<QScrollArea*>(QStringLiteral("formScrollArea")))
                scrolled = (area->verticalScrollBar()->maximum() > 0) == scrolls;
            auto* first = shown->findChild<QLineEdit*>(QStringLiteral("control_1"));
            wholeText = first != nullptr && first->width() > first->fontMetrics().horizontalAdvance(longText);
            pressOk(shown);
        });
        QCOMPARE(answer.size(), fields + 1);
        QVERIFY(fitsScreen);
        QVERIFY(buttonsOnScreen);
        QVERIFY(scrolled);
        QVERIFY(wholeText);
    }

    // A name longer than the design program's 128-character field is refused
    // at OK, with the dialog left open, never cut: the "..." chooser fills in
    // absolute paths, which easily exceed it.
    void aTextTooLongForItsFieldIsRefusedNotCut_data() {
        QTest::addColumn<bool>("fileRow");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("refused");
        QTest::newRow("file row, 200") << true << 200 << true;
        QTest::newRow("line edit, 129") << false << 129 << true;
        QTest::newRow("line edit, 128") << false << 128 << false;
    }
    void aTextTooLongForItsFieldIsRefusedNotCut() {
        QFETCH(bool, fileRow);
        QFETCH(int, length);
        QFETCH(bool, refused);
        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Equalizer"}});
        if (fileRow)
            controller.dialogs->form(Unit)->addFileField(1, {{"title", "Response file"}, {"text", "Equalizer.csv"}});
        else
            controller.dialogs->form(Unit)->addLineEdit(1, "Response file", "", "Equalizer.csv");
        const QString tooLong = QStringLiteral("/") + QString(length - 5, QLatin1Char('d')) + QStringLiteral(".csv");
        QString warning;
        const QStringList answer = showAndAnswer(controller, Unit, [&](QWidget* shown) {
            if (refused)
                whenModalTitled("Text too long", [&warning](QWidget* box) {
                    warning = static_cast<QMessageBox*>(box)->text();
                    pressOk(box);
                });
            shown->findChild<QLineEdit*>("control_1")->setText(tooLong);
            pressOk(shown);
            if (shown->isVisible()) {
                shown->findChild<QLineEdit*>("control_1")->setText("Equalizer.csv");
                pressOk(shown);
            }
        });
        QCOMPARE(answer, (QStringList{"1", refused ? QString("Equalizer.csv") : tooLong}));
        QCOMPARE(warning.isEmpty(), !refused);
        if (refused)
            QVERIFY2(warning.contains(QString::number(length)) && warning.contains("Response file"),
                     qPrintable(warning));
    }

    void theConsoleUnitsShareOneDialog() {
        Program_Session controller(nullptr, {});
        controller.dialogs->create(-3, {{"windowTitle", "Console dialog"}});
        controller.dialogs->form(-4)->addCheckBox(1, "Continue", true);
        controller.dialogs->create(-2, {{"windowTitle", "Renamed"}});
        QString title;
        const QStringList answer = showAndAnswer(controller, -2, [&](QWidget* dialog) {
            title = dialog->windowTitle();
            pressOk(dialog);
        });
        QCOMPARE(answer, (QStringList{"1", "1"}));
        QCOMPARE(title, QString("Renamed"));
        QCOMPARE(controller.dialogs->forms.size(), 1);
    }

    void aUnitWithoutDialogIsAnsweredEmptyAndGetsNoControls() {
        Program_Session controller(nullptr, {});
        int labelId = 0;
        for (UIK_Op op :
             {UIK_Op::addLabelToDialog, UIK_Op::addCheckBoxToDialog, UIK_Op::addLineEditToDialog,
              UIK_Op::addComboBoxToDialog, UIK_Op::addRadioButtonsToDialog, UIK_Op::addFileDialogToDialog}) {
            UIK_Request request = UIK_Request_For(op, Unit, ++labelId);
            UIK_Put(request, "title", std::string("lost"));
            UIK_Put(request, "itemList", std::vector<std::string>{"a"});
            UIK_Glue.load()->carryOut(request);
        }
        for (QWidget* w : QApplication::allWidgets())
            QVERIFY2(!w->objectName().startsWith("control_") && !w->objectName().startsWith("label_"),
                     qPrintable(w->objectName()));
        QVERIFY(controller.dialogs->forms.isEmpty());

        QCOMPARE(controller.dialogs->show(Unit), QStringList());
    }

    // The "..." button of a file row: its flags pick the chooser, the choice
    // lands in the field, a cancelled chooser leaves the field alone.
    void theFileRowChooserFollowsItsFlags_data() {
        QTest::addColumn<bool>("chooseDirectory");
        QTest::addColumn<bool>("allowNewFiles");
        QTest::addColumn<QFileDialog::FileMode>("fileMode");
        QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
        QTest::addColumn<QString>("choice");  // relative to the start directory; empty: cancel
        QTest::newRow("existing file") << false << false << QFileDialog::ExistingFile << QFileDialog::AcceptOpen
                                       << "Equalizer.csv";
        QTest::newRow("directory") << true << false << QFileDialog::Directory << QFileDialog::AcceptOpen << "designs";
        QTest::newRow("new file") << false << true << QFileDialog::AnyFile << QFileDialog::AcceptSave
                                  << "new_weights.csv";
        QTest::newRow("both flags: new file")
            << true << true << QFileDialog::AnyFile << QFileDialog::AcceptSave << "new_weights.csv";
        QTest::newRow("cancelled") << false << false << QFileDialog::ExistingFile << QFileDialog::AcceptOpen << "";
    }
    void theFileRowChooserFollowsItsFlags() {
        QFETCH(bool, chooseDirectory);
        QFETCH(bool, allowNewFiles);
        QFETCH(QFileDialog::FileMode, fileMode);
        QFETCH(QFileDialog::AcceptMode, acceptMode);
        QFETCH(QString, choice);
        QTemporaryDir start;
        QVERIFY(start.isValid());
        QVERIFY(QDir(start.path()).mkdir("designs"));
        QFile existing(start.filePath("Equalizer.csv"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        Program_Session controller(nullptr, {});
        controller.dialogs->create(Unit, {{"windowTitle", "Files"}});
        controller.dialogs->form(Unit)->addFileField(7, {{"title", "Choose the response file"},
                                                         {"placeholder", ""},
                                                         {"text", "before"},
                                                         {"defaultDirectory", start.path()},
                                                         {"chooseDirectory", chooseDirectory},
                                                         {"allowNewFiles", allowNewFiles}});
        UIK_FormDialog* dialog = controller.dialogs->forms.value(Unit);
        QVERIFY(dialog);

        Watchdog watchdog;
        QString caption, directory;
        QStringList filters;
        int modeSeen = -1, acceptSeen = -1;
        bool dirsOnly = false;
        whenModalAppears([&](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (chooser == nullptr) {
                if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
                return;
            }
            caption = chooser->windowTitle();
            directory = chooser->directory().absolutePath();
            filters = chooser->nameFilters();
            // A directory chooser that lists only directories reports the
            // mode that stands for exactly that.
            dirsOnly = chooser->testOption(QFileDialog::ShowDirsOnly);
            modeSeen = dirsOnly ? int(QFileDialog::Directory) : int(chooser->fileMode());
            acceptSeen = chooser->acceptMode();
            if (choice.isEmpty()) {
                chooser->reject();
            } else {
                choose(chooser, start.filePath(choice));
            }
        });
        dialog->findChild<QToolButton*>("chooser_7")->click();

        QCOMPARE(caption, QString("Choose the response file"));
        QCOMPARE(directory, QDir(start.path()).absolutePath());
        QCOMPARE(modeSeen, static_cast<int>(fileMode));
        QCOMPARE(acceptSeen, static_cast<int>(acceptMode));
        QCOMPARE(dirsOnly, fileMode == QFileDialog::Directory);
        if (fileMode == QFileDialog::ExistingFile) QVERIFY(filters.contains("All Files (*)"));
        const QString field = dialog->findChild<QLineEdit*>("control_7")->text();
        QCOMPARE(field, choice.isEmpty() ? QString("before") : QDir::toNativeSeparators(start.filePath(choice)));
    }

    void theAlertBoxWaitsForOk() {
        Program_Session controller(nullptr, {});
        int dismissed = 0;
        Watchdog watchdog;
        QString title, text;
        int buttons = -1, answeredWhileOpen = -1;
        bool hasOk = false;
        bool overMainWindow = false;
        whenModalAppears([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return;
            title = box->windowTitle();
            text = box->text();
            buttons = box->buttons().size();
            hasOk = box->button(QMessageBox::Ok) != nullptr;
            overMainWindow = box->parentWidget() == controller.mainWindow;
            answeredWhileOpen = dismissed;
            pressOk(box);
        });
        controller.dialogs->showAlert("Input error", "The band edges must increase.");
        ++dismissed;
        QCOMPARE(title, QString("Input error"));
        QCOMPARE(text, QString("The band edges must increase."));
        QCOMPARE(buttons, 1);
        QVERIFY(hasOk);
        QVERIFY(overMainWindow);
        QCOMPARE(answeredWhileOpen, 0);
        if (controller.mainWindow != nullptr) QVERIFY(controller.mainWindow->isVisible());
    }

    void theFileNameDialog_data() {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QFileDialog::FileMode>("fileMode");
        QTest::addColumn<QString>("choice");  // empty: cancel
        QTest::newRow("new file, cancelled") << true << "Open New File" << QFileDialog::AnyFile << "";
        QTest::newRow("existing file, cancelled") << false << "Open Existing File" << QFileDialog::ExistingFile << "";
        QTest::newRow("new file, named") << true << "Open New File" << QFileDialog::AnyFile << "fresh.csv";
        QTest::newRow("existing file, chosen")
            << false << "Open Existing File" << QFileDialog::ExistingFile << "Equalizer.csv";
    }
    void theFileNameDialog() {
        QFETCH(bool, newFile);
        QFETCH(QString, caption);
        QFETCH(QFileDialog::FileMode, fileMode);
        QFETCH(QString, choice);
        QTemporaryDir start;
        QVERIFY(start.isValid());
        QFile existing(start.filePath("Equalizer.csv"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        Program_Session controller(nullptr, {});
        Watchdog watchdog;
        QString captionSeen;
        int modeSeen = -1, acceptSeen = -1;
        whenModalAppears([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) return;
            captionSeen = dialog->windowTitle();
            modeSeen = dialog->fileMode();
            acceptSeen = dialog->acceptMode();
            if (choice.isEmpty()) {
                dialog->reject();
            } else {
                choose(dialog, start.filePath(choice));
            }
        });
        const QString named = controller.dialogs->askFileName(newFile);
        QCOMPARE(captionSeen, caption);
        QCOMPARE(modeSeen, static_cast<int>(fileMode));
        QCOMPARE(acceptSeen, static_cast<int>(QFileDialog::AcceptOpen));
        QCOMPARE(named, choice.isEmpty() ? QString() : start.filePath(choice));
    }

    // The design program builds and shows a dialog on its own thread; what
    // the user types comes back into its records.
    void theDesignProgramGetsWhatTheUserTyped() {
        UIK_Dialog_Record dialog;
        UIK_Label_Record label;
        UIK_LineEdit_Record edit;
        UIK_CheckBox_Record check;
        std::atomic<int> result{-99};
        std::atomic<bool> done{false};
        dialog.windowTitle.set("Name the design");
        label.text.set("A name for the output files.");
        edit.title.set("Name");
        edit.text.set("draft");
        check.title.set("Write a run log");
        check.checked = 0;

        Watchdog watchdog;
        QString typedOver;
        whenModalTitled("Name the design", [&](QWidget* shown) {
            auto* field = shown->findChild<QLineEdit*>();
            typedOver = field->text();
            field->selectAll();
            QTest::keyClicks(field, "lowpass 31");
            shown->findChild<QCheckBox*>()->click();
            pressOk(shown);
        });
        Program_Session controller(nullptr, [&] {
            UIK_createDialog(dialog);
            UIK_addLabel(dialog.unit, label);
            UIK_addLineEdit(dialog.unit, edit);
            UIK_addCheckBox(dialog.unit, check);
            result = UIK_showDialog(dialog.unit);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(typedOver, QString("draft"));
        QCOMPARE(result.load(), 1);
        QCOMPARE(QString::fromStdString(edit.text.raw()), QString("lowpass 31").leftJustified(UIK_Text_Length));
        QCOMPARE(check.checked, 1);
    }
};

QTEST_MAIN(TestFormDialogs)
#include "test_form_dialogs.moc"
