// The real program in-process on the offscreen platform: the design program on
// its own thread, the real windows and dialogs on the GUI thread, and a robot
// that answers the dialogs and types into the console as a user would.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextStream>
#include <QTimer>
#include <QtTest>
#include <qwt_plot_curve.h>

#include "GlueManager.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Main.h"
#include "MainWindow.h"
#include "Program_Robot.h"
#include "UIK_TextEdit.h"
#include "WindowController.h"
#include "XYPlot.h"

namespace {

constexpr int Program_Timeout_ms = 120000;

const char* const Agreement = "User Agreement and Selection";
const char* const Filter_Type = "Select Filter Type";
const char* const Next_Action = "Next action?";
const char* const Bits = "Select Number of Bits for Rounding";

QString console_text(WindowController& controller) {
    UIK_TextEdit* console = controller.textWindows.value(-2);
    return console ? console->toPlainText() : QString();
}

QStringList files_ending(const QString& suffix) {
    QStringList names;
    for (const QString& name : QDir::current().entryList(QDir::Files))
        if (name.endsWith(suffix)) names << name;
    return names;
}

void remove_outputs() {
    for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
}

int lines_containing(const QString& file, const QString& text) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
    int n = 0;
    QTextStream in(&f);
    while (!in.atEnd())
        if (in.readLine().contains(text)) ++n;
    return n;
}

XYPlot* plot_titled(WindowController& controller, const QString& title, int nth = 1) {
    QList<int> units = controller.xyPlots.keys();
    std::sort(units.begin(), units.end());
    int seen = 0;
    for (int unit : units)
        if (static_cast<UIK_ContentController*>(controller.xyPlots.value(unit))->title == title && ++seen == nth) return controller.xyPlots.value(unit);
    return nullptr;
}

}  // namespace

class TestProgramEndToEnd : public QObject {
    Q_OBJECT

    // Starts the program, lets the robot work through its steps, and waits
    // until the program has stopped (the windows stay, the menus appear).
    void run_until_idle(WindowController& controller, Program_Robot& robot) {
        QTRY_VERIFY_WITH_TIMEOUT(controller.idle, Program_Timeout_ms);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY2(robot.done(), qPrintable("steps left after: " + robot.seen.join(" | ")));
    }

    Program_Robot::Fields agree(int run_type = 1) {
        return {{"Agree?", "1"}, {"Select run type:", QString::number(run_type)}};
    }

private slots:
    void init() {
        remove_outputs();
        KALTAP_Filter_Weights_Valid = false;
    }
    void cleanupTestCase() { remove_outputs(); }

    void testCaseRunReportsTenDesigns() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree(2)).pressEnterInConsole(10);
        run_until_idle(controller, robot);
        const QStringList logs = files_ending(".txt");
        QStringList test_logs;
        for (const QString& log : logs)
            if (log.startsWith("KALTAP_Test_log")) test_logs << log;
        QCOMPARE(test_logs.size(), 1);
        QCOMPARE(lines_containing(test_logs[0], "Remez Exchange Algorithm"), 10);
        QVERIFY(console_text(controller).contains("Normal exit.\n"));
        QCOMPARE(controller.programMenus.size(), 1);
        QVERIFY(controller.programMenus[0]->menuAction()->isVisible());
    }

    void classicalDefaultWithSixteenBits() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree())
            .accept(Filter_Type, {{"Select filter design approach:", "3"}})
            .accept("Legacy FIR Filter Parameters")
            .accept("Band Definitions")
            .accept(Next_Action)
            .accept(Bits);
        run_until_idle(controller, robot);
        QCOMPARE(files_ending("Hex_Weights.csv").size(), 1);
        QCOMPARE(files_ending("Filter_Weights.csv").size(), 1);
        QCOMPARE(files_ending("Frequency_Response.csv").size(), 1);
        for (const char* png : {"plot_1X.png", "plot_2X.png", "plot_3X.png", "plot_1XL.png", "plot_2XL.png",
                                "plot_3XL.png"})
            QVERIFY2(!QImage(png).isNull(), png);
        QCOMPARE(controller.xyPlots.size(), 6);
        XYPlot* main_plot = plot_titled(controller, "Frequency Response", 2);  // the linear half plot opens first
        QVERIFY(main_plot != nullptr);
        QCOMPARE(main_plot->curves.size(), 2);
        QCOMPARE(main_plot->curves[0]->dataSize(), size_t(1345));
        QCOMPARE(main_plot->curves[1]->title().text(), QString("Rounded to 16 Bits"));
        QVERIFY(console_text(controller).contains(QString::fromStdString(KALTAP_Menu_Hint)));
    }

    void lowPassFindOrderDefault() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree())
            .accept(Filter_Type)
            .accept("Select Type of Optimization")
            .accept("Decimation/Interpolation")
            .accept("Optimize low-pass for number of weights")
            .accept(Next_Action)
            .accept(Bits, {{"Number of Bits (2 to 48)", "0"}});
        run_until_idle(controller, robot);
        QCOMPARE(Number_of_Weights % 2, 0);
        QCOMPARE(files_ending("Hex_Weights.csv").size(), 0);
        QVERIFY(!files_ending(".txt").filter(QRegularExpression("^Optimization_Log_")).isEmpty());
        XYPlot* main_plot = plot_titled(controller, "Frequency Response", 2);
        QVERIFY(main_plot != nullptr);
        QCOMPARE(main_plot->curves.size(), 1);
    }

    void equalizerFromACsvFile() {
        {
            QFile csv("Equalizer.csv");
            QVERIFY(csv.open(QIODevice::WriteOnly | QIODevice::Text));
            QTextStream out(&csv);
            out << "Frequency (Hz),Gain\n";
            for (int i = 0; i <= 8; ++i) out << 500 * i << "," << 2.0 - 0.2 * i << "\n";
        }
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree())
            .accept(Filter_Type, {{"Select filter design approach:", "4"}})
            .accept("Input Data File Selection")
            .accept("Equalizer Initialization Complete")
            .accept("Fundamental FIR Filter Parameters")
            .accept(Next_Action)
            .accept(Bits);
        run_until_idle(controller, robot);
        QCOMPARE(Number_of_Weights, 73);
        QVERIFY(plot_titled(controller, "Equalizer Frequency Response") != nullptr);
        QCOMPARE(plot_titled(controller, "Equalizer Frequency Response")->curves[0]->dataSize(), size_t(91));
        QCOMPARE(files_ending("Filter_Weights.csv").size(), 1);
        QVERIFY(console_text(controller).contains("Column headings:"));
    }

    void cancelPathsAndANewDesignFromTheMenu() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree()).cancel(Filter_Type).dismiss("Normal Exit");
        run_until_idle(controller, robot);
        QVERIFY(console_text(controller).contains("Normal exit.\n"));

        // From the menu, on the GUI thread: another loop, ended by a Cancel in
        // a band dialog, which stops only that loop.
        QAction* item = nullptr;
        for (QAction* a : controller.programMenus.value(0)->actions())
            if (a->text() == "New FIR Filter Design") item = a;
        QVERIFY(item != nullptr);
        robot.accept(Filter_Type, {{"Select filter design approach:", "3"}})
            .accept("Legacy FIR Filter Parameters")
            .cancel("Band Definitions");
        item->trigger();
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY(robot.done());
        QVERIFY(console_text(controller).contains("Program terminated at user request.\n"));
        QVERIFY(controller.programMenus[0]->isEnabled());

        // And once more: the menu still works after the stop.
        robot.cancel(Filter_Type).dismiss("Normal Exit");
        item->trigger();
        QVERIFY(robot.done());
        QVERIFY(robot.errors.isEmpty());
    }

    void cancelledAgreementStopsBeforeAnyMenu() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.cancel(Agreement);
        run_until_idle(controller, robot);
        QVERIFY(console_text(controller).contains("Program terminated at user request.\n"));
        QVERIFY(controller.programMenus.isEmpty());
    }

    void closingTheConsoleWhileTheProgramReads() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agree(2)).whenReading([&controller] { controller.closeWindowForUnit(-3); });
        // Every later read finds no console and ends at once; the run finishes.
        run_until_idle(controller, robot);
        QVERIFY(!controller.textWindows.contains(-2));
        QCOMPARE(lines_containing(files_ending(".txt").filter("KALTAP_Test_log").value(0), "Testing Complete."), 1);
    }

    void closingTheLastWindowEndsTheEventLoop() {
        WindowController controller(nullptr, KALTAP_Run_Design_Program);
        connect(qApp, &QGuiApplication::lastWindowClosed, &controller, &WindowController::destroyProgramThread);
        QSignalSpy last(qApp, &QGuiApplication::lastWindowClosed);
        Program_Robot robot(controller);
        // While the program waits in the agreement dialog, the user closes
        // every window; the application's event loop then ends, as the
        // program's main function would.
        robot.act(Agreement, [&controller](QWidget* dialog) {
            controller.mainWindow->close();
            dialog->close();
        });
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, qApp, &QCoreApplication::quit);
        safety.start(Program_Timeout_ms);
        const int status = qApp->exec();
        const bool ended_by_last_window = safety.isActive();
        safety.stop();
        QVERIFY(ended_by_last_window);
        QCOMPARE(status, 0);
        QVERIFY(last.count() >= 1);
        QVERIFY(robot.done());
        QVERIFY(controller.programThread == nullptr);
        QVERIFY(UIK_Glue.load() == nullptr);
    }

    void windowsRepaintWhileTheLargestDesignRuns() {
        std::atomic<bool> finished{false};
        WindowController controller(nullptr, [&finished] {
            Type_of_Filter = 1;
            Number_of_Weights = 16385;
            Number_of_Bands = 2;
            Search_Grid_Density = 16;
            KALTAP_New_Design();
            Band_Edges(1) = 0.0;
            Band_Edges(2) = 0.2;
            Band_Edges(3) = 0.21;
            Band_Edges(4) = 0.5;
            Band_Desired_Value(1) = 1.0;
            Band_Desired_Value(2) = 0.0;
            Band_Weighting(1) = 1.0;
            Band_Weighting(2) = 1.0;
            KALTAP_Design();
            finished = true;
        });
        // The GUI thread keeps serving events: a 20 ms timer never falls far behind.
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, longest_gap = 0;
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longest_gap = std::max(longest_gap, now - last);
            last = now;
            ++ticks;
            controller.mainWindow->repaint();
        });
        tick.start(20);
        QTRY_VERIFY_WITH_TIMEOUT(finished.load(), Program_Timeout_ms);
        tick.stop();
        QVERIFY(ticks > 0);
        QVERIFY2(longest_gap < 1000, qPrintable(QString::number(longest_gap)));
        QVERIFY(KALTAP_Filter_Weights_Valid);
    }
};

QTEST_MAIN(TestProgramEndToEnd)
#include "test_program_end_to_end.moc"
