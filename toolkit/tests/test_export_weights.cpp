// SPDX-License-Identifier: GPL-3.0-or-later
// "Export Weights…" in the real program: the design program on its own
// thread, the real menu and save-file dialog on the GUI thread, and a robot
// that answers them as a user would.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTextStream>
#include <QtTest>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Main.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Program_Timeout_ms = 120000;
constexpr int Routine_Timeout_ms = 20000;

const char* const Export_Item = "Export Weights…";
const char* const Export_Dialog = "Export Weights";

QAction* export_item(WindowController& controller) {
    for (QMenu* menu : controller.menus->programMenus)
        for (QAction* a : menu->actions())
            if (a->text() == Export_Item) return a;
    return nullptr;
}

// Picks the file type `filter` and types `name` into the save dialog, then
// accepts it; `filters` receives the file types offered.
std::function<void(QWidget*)> save_as(const QString& filter, const QString& name, QStringList* filters) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return pressCancel(modal);
        *filters = dialog->nameFilters();
        dialog->selectNameFilter(filter);
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(name);
        dialog->selectFile(name);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept would check the folder
    };
}

// The numbers of the Python assignment "h = np.array([...])".
QVector<double> python_taps(const QString& file) {
    QFile f(file);
    QVector<double> taps;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return taps;
    QTextStream in(&f);
    bool inside = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line == "h = np.array([") {
            inside = true;
        } else if (inside && line == "])") {
            break;
        } else if (inside) {
            bool ok = false;
            taps << QString(line).remove(',').toDouble(&ok);
            if (!ok) return {};
        }
    }
    return taps;
}

// h(1..N) of the design the program left.
QVector<double> design_taps() {
    const int N = Number_of_Weights;
    QVector<double> h(N);
    const double sign = Antisymmetric ? -1.0 : 1.0;
    for (int n = 1; n <= N / 2; ++n) {
        h[n - 1] = Filter_Weights(n);
        h[N - n] = sign * Filter_Weights(n);
    }
    if (N % 2 == 1) h[N / 2] = Antisymmetric ? 0.0 : Filter_Weights(N / 2 + 1);
    return h;
}

}  // namespace

class TestExportWeights : public QObject {
    Q_OBJECT

    void run_item(WindowController& controller, Program_Robot& robot, QAction* item) {
        item->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!controller.menus->callbackRunning, Routine_Timeout_ms);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY2(robot.done(), qPrintable("steps left after: " + robot.seen.join(" | ")));
    }

private slots:
    void init() {
        KALTAP_Filter_Weights_Valid = false;
        forgetDialogEntries();
        for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
    }
    void cleanupTestCase() { init(); }

    // No design yet: the item is there, disabled.
    void noDesignNoExport() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept("User Agreement and Selection", agreement()).cancel("Select Filter Type").dismiss("Normal Exit");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QAction* item = export_item(controller);
        QVERIFY(item != nullptr);
        QVERIFY(!item->isEnabled());
    }

    // A 16-bit design, exported through the menu as a Python module by the
    // type chosen in the dialog; then to a folder that does not exist, which
    // gives the error box and leaves the design as it was.
    void exportThroughTheMenuAndTheSaveDialog() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept("User Agreement and Selection", agreement())
            .classical()
            .accept("Next action?")
            .accept("Select Number of Bits for Rounding");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QAction* item = export_item(controller);
        QVERIFY(item != nullptr);
        QVERIFY(item->isEnabled());

        QStringList offered;
        robot.act(Export_Dialog, save_as("Python/NumPy module (*.py)", QDir::current().filePath("exported"), &offered));
        run_item(controller, robot, item);
        QCOMPARE(offered.size(), 6);
        QCOMPARE(offered.value(0), QString("C/C++ header (*.h)"));
        const QString written = QDir::current().filePath("exported.py");
        QVERIFY2(QFile::exists(written), qPrintable(consoleText(controller)));
        const QVector<double> taps = design_taps();
        QCOMPARE(python_taps(written), taps);
        QVERIFY(consoleText(controller).contains("Weights exported to " + written + " (Python/NumPy module (*.py))"));

        const QString missing = QDir::current().filePath("no_such_folder/taps.h");
        QString alert;
        robot.act(Export_Dialog, save_as("C/C++ header (*.h)", missing, &offered))
            .act("###Error in KALTAP Weight Export", [&alert](QWidget* box) {
                if (auto* message = qobject_cast<QMessageBox*>(box)) alert = message->text();
                pressOk(box);
            });
        run_item(controller, robot, item);
        QCOMPARE(alert, "Can't write " + missing + ": No such file or directory");
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(design_taps(), taps);
        QVERIFY(KALTAP_Filter_Weights_Valid);
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(TestExportWeights)
#include "test_export_weights.moc"
