// SPDX-License-Identifier: GPL-3.0-or-later
// Designs saved and reopened in the real program: "Save Design…" writes the
// design of the dialogs as a record; File > Open Design… reads it, and the
// dialogs of its path come up holding its entries, so that accepting them
// makes the same taps and changing one field designs again from there; and
// "kaltap --design" makes the saved design's files equal to the window's.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QtTest>
#include <cstring>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Main.h"
#include "KALTAP_Weight_Quantization.h"
#include "MainWindow.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "UIK_TextEdit.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Program_Timeout_ms = 120000;
constexpr int Routine_Timeout_ms = 60000;

const char* const Ripple_Dialog = "Find ripple given other filter design parameters";

Program_Robot::Fields agree() { return {{"Agree?", "1"}, {"Select run type:", "1"}}; }

QAction* program_item(WindowController& controller, const QString& text) {
    for (QMenu* menu : controller.menus->programMenus)
        for (QAction* a : menu->actions())
            if (a->text() == text) return a;
    return nullptr;
}

QString console_text(WindowController& controller) {
    UIK_TextEdit* console = controller.textWindows.value(-2);
    return console ? console->toPlainText() : QString();
}

// The text of the line edit labelled `label` in `dialog` ("" when none).
QString field_text(QWidget* dialog, const QString& label) {
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->text() == label)
            if (auto* edit = qobject_cast<QLineEdit*>(l->buddy())) return edit->text();
    return QString();
}

// The texts of every line edit labelled `label` in `dialog`, in order.
QStringList field_texts(QWidget* dialog, const QString& label) {
    QStringList texts;
    for (QLabel* l : dialog->findChildren<QLabel*>())
        if (l->text() == label)
            if (auto* edit = qobject_cast<QLineEdit*>(l->buddy())) texts << edit->text();
    return texts;
}

// The text of the checked radio button of `dialog`.
QString checked_item(QWidget* dialog) {
    for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
        if (b->isChecked()) return b->text();
    return QString();
}

// h(1..N) of the design the program left, bit for bit.
QByteArray design_taps() {
    QByteArray bytes;
    const int N = Number_of_Weights;
    const double sign = Antisymmetric ? -1.0 : 1.0;
    for (int n = 1; n <= N; ++n) {
        const int k = n <= (N + 1) / 2 ? n : N + 1 - n;
        double h = Filter_Weights(k) * (n == k ? 1.0 : sign);
        if (N % 2 == 1 && n == (N + 1) / 2 && Antisymmetric) h = 0.0;
        bytes.append(reinterpret_cast<const char*>(&h), sizeof h);
    }
    return bytes;
}

// The text of the one file in `folder` whose name ends with `suffix`.
QByteArray file_ending(const QDir& folder, const QString& suffix) {
    const QStringList names = folder.entryList({"*" + suffix}, QDir::Files);
    if (names.size() != 1) return QByteArray("files: " + names.join(' ').toUtf8());
    QFile f(folder.filePath(names.first()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestDesignRecords : public QObject {
    Q_OBJECT

    static QString progress(const Program_Robot& robot) {
        QWidget* modal = QApplication::activeModalWidget();
        return "seen: " + robot.seen.join(" | ") + "; errors: " + robot.errors.join("; ") +
               "; open: " + (modal != nullptr ? modal->windowTitle() : QString("none"));
    }

    void run_until_idle(WindowController& controller, Program_Robot& robot) {
        QTRY_VERIFY2_WITH_TIMEOUT(controller.menus->idle, qPrintable(progress(robot)), Program_Timeout_ms);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY2(robot.done(), qPrintable("steps left after: " + robot.seen.join(" | ")));
    }

    void run_action(WindowController& controller, Program_Robot& robot, QAction* action) {
        action->trigger();
        QTRY_VERIFY2_WITH_TIMEOUT(!controller.menus->callbackRunning, qPrintable(progress(robot)), Routine_Timeout_ms);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY2(robot.done(), qPrintable("steps left after: " + robot.seen.join(" | ")));
    }

    // File > Open Design…, usable once the File menu has been opened.
    QAction* file_open_design(WindowController& controller) {
        auto* file_menu = controller.mainWindow->findChild<QMenu*>("menuFile");
        if (file_menu == nullptr) return nullptr;
        emit file_menu->aboutToShow();
        return controller.mainWindow->findChild<QAction*>("actionOpenDesign");
    }

    // The steps of reopening `record`: its path typed into the file field,
    // which has the focus, then the dialogs of the ripple search as the record fills them
    // (their entries kept in `shown`), with `weights` typed over the number
    // of weights when not empty.
    void reopen(Program_Robot& robot, const QString& record, const QString& weights, QStringList* shown) {
        robot
            .act("Open Design",
                 [&robot, record](QWidget* dialog) {
                     // The focus is in the file field, the dialog's first field.
                     auto* field = qobject_cast<QLineEdit*>(dialog->focusWidget());
                     if (field == nullptr) {
                         robot.errors << "Open Design: the focus is not in a line edit";
                         return pressCancel(dialog);
                     }
                     field->clear();
                     QTest::keyClicks(field, record);
                     pressOk(dialog);
                 })
            .act("Select Filter Type",
                 [shown](QWidget* dialog) {
                     *shown << checked_item(dialog);
                     pressOk(dialog);
                 })
            .act("Select Type of Optimization",
                 [shown](QWidget* dialog) {
                     *shown << checked_item(dialog);
                     pressOk(dialog);
                 })
            .act(Ripple_Dialog,
                 [&robot, weights, shown](QWidget* dialog) {
                     *shown << field_text(dialog, "Number of weights")
                            << field_text(dialog, "Transition width as a fraction of sample rate");
                     if (!weights.isEmpty()) robot.setFields(dialog, {{"Number of weights", weights}});
                     pressOk(dialog);
                 })
            .accept("Next action?")
            .act("Select Number of Bits for Rounding", [shown](QWidget* dialog) {
                *shown << field_text(dialog, "Number of Bits (2 to 48)");
                pressOk(dialog);
            });
    }

private slots:
    void init() {
        KALTAP_Filter_Weights_Valid = false;
        forgetDialogEntries();
        for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
        QDir("headless").removeRecursively();
    }
    void cleanupTestCase() { init(); }

    void saveReopenAndDesignAgain() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept("User Agreement and Selection", agree())
            .accept("Select Filter Type", {{"Select filter design approach:", "1"}})
            .accept("Select Type of Optimization", {{"Select next action:", "3"}})
            .accept(Ripple_Dialog,
                    {{"Number of weights", "25"}, {"Transition width as a fraction of sample rate", "0.07"}})
            .accept("Next action?")
            .accept("Select Number of Bits for Rounding", {{"Number of Bits (2 to 48)", "12"}});
        run_until_idle(controller, robot);
        const QByteArray taps = design_taps();
        const QByteArray weights_file = file_ending(QDir::current(), "Filter_Weights.csv");
        const QByteArray hex_file = file_ending(QDir::current(), "Hex_Weights.csv");

        // Save Design… after the report.
        QAction* save = program_item(controller, "Save Design…");
        QVERIFY(save != nullptr);
        QVERIFY(save->isEnabled());
        const QString record = QDir::current().filePath("lowpass_ripple");
        robot.act("Save Design", [record](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr) return pressCancel(modal);
            // The name in the dialog's own field as well: the file view may
            // not have taken the selection yet.
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
            if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(record);
            dialog->selectFile(record);
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept would check the folder
        });
        run_action(controller, robot, save);
        QVERIFY2(QFile::exists(record + ".json"), qPrintable(console_text(controller)));
        QVERIFY(console_text(controller).contains("Design saved to " + record + ".json"));

        // Reopened with the dialogs' memory empty: every entry comes from the
        // record, and accepting them makes the same taps.
        forgetDialogEntries();
        QAction* open = file_open_design(controller);
        QVERIFY(open != nullptr);
        QVERIFY(open->isEnabled());
        QStringList shown;
        reopen(robot, record + ".json", QString(), &shown);
        run_action(controller, robot, open);
        QCOMPARE(shown, QStringList({"FIR low-pass design, program finds one free parameter",
                                     "Find peak-to-peak passband ripple given order and other performance "
                                     "specifications",
                                     "25", "0.07", "12"}));
        QCOMPARE(design_taps(), taps);
        QCOMPARE(KALTAP_Bits, 12);

        // Once more with one field changed: the design follows it.
        shown.clear();
        QAction* open_item = program_item(controller, "Open Design…");
        QVERIFY(open_item != nullptr);
        reopen(robot, record + ".json", "27", &shown);
        run_action(controller, robot, open_item);
        QCOMPARE(shown.value(2), QString("25"));
        QCOMPARE(Number_of_Weights, 27);
        QCOMPARE(KALTAP_Bits, 12);

        // The same record without windows: the window's files, byte for byte.
        QDir().mkpath("headless");
        QProcess program;
        program.start(KALTAP_PROGRAM, {"--design", record + ".json", "--output-dir", "headless"});
        QVERIFY(program.waitForFinished(Program_Timeout_ms));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardError().isEmpty());
        QCOMPARE(file_ending(QDir("headless"), "Filter_Weights.csv"), weights_file);
        QCOMPARE(file_ending(QDir("headless"), "Hex_Weights.csv"), hex_file);
        QCOMPARE(QDir("headless").entryList({"*.png"}, QDir::Files).size(), 6);
    }

    // A record written by hand, opened before any design: the fields that
    // stand in a table under their band's label take their own entries.
    void openAClassicalRecordBeforeAnyDesign() {
        QFile record(QDir::current().filePath("bandpass.json"));
        QVERIFY(record.open(QIODevice::WriteOnly));
        record.write(R"({"format": "kaltap-design", "format_version": 2, "input": {"path": "classical",
            "filter_type": "bandpass", "number_of_weights": 33, "grid_density": 20, "bands": [
            {"lower_edge": 0.0, "upper_edge": 0.12, "desired": 0.0, "weight": 8.0},
            {"lower_edge": 0.19, "upper_edge": 0.33, "desired": 1.0, "weight": 1.0},
            {"lower_edge": 0.41, "upper_edge": 0.5, "desired": 0.0, "weight": 9.0}], "bits": 0}})");
        record.close();
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept("User Agreement and Selection", agree()).cancel("Select Filter Type").dismiss("Normal Exit");
        run_until_idle(controller, robot);
        QStringList definition, edges, weights;
        robot
            .act("Open Design",
                 [&robot, &record](QWidget* dialog) {
                     robot.setFields(dialog, {{"Design record", record.fileName()}});
                     pressOk(dialog);
                 })
            .accept("Select Filter Type")
            .act("Legacy FIR Filter Parameters",
                 [&definition](QWidget* dialog) {
                     definition << checked_item(dialog) << field_text(dialog, "Number of weights")
                                << field_text(dialog, "Search Grid Density");
                     pressOk(dialog);
                 })
            .act("Band Definitions",
                 [&edges, &weights](QWidget* dialog) {
                     edges = field_texts(dialog, "Left Band Edge") + field_texts(dialog, "Right Band Edge");
                     weights = field_texts(dialog, "Band Weighting");
                     pressOk(dialog);
                 })
            .accept("Next action?")
            .accept("Select Number of Bits for Rounding");
        run_action(controller, robot, program_item(controller, "Open Design…"));
        QCOMPARE(definition, QStringList({"General band pass design", "33", "20"}));
        QCOMPARE(edges, QStringList({"0", "0.19", "0.41", "0.12", "0.33", "0.5"}));
        QCOMPARE(weights, QStringList({"8", "1", "9"}));
        QCOMPARE(Number_of_Weights, 33);
        QCOMPARE(Band_Edges(3), 0.19);
        QCOMPARE(Band_Weighting(3), 9.0);
    }
};

QTEST_MAIN(TestDesignRecords)
#include "test_design_records.moc"
