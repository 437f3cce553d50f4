// SPDX-License-Identifier: GPL-3.0-or-later
// The real program in-process on the offscreen platform: the design program on
// its own thread, the real windows and dialogs on the GUI thread, and a robot
// that answers the dialogs and types into the console as a user would.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextStream>
#include <QTimer>
#include <QtTest>
#include <qwt_plot_curve.h>

#include "FIR_Optimization_Engine.h"
#include "GlueManager.h"
#include "KALTAP_Output.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Main.h"
#include "MainWindow.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "UIK_TextEdit.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "Program_Stop.h"
#include "Unit_IO.h"
#include "Design_Setups.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Program_Timeout_ms = 120000;

// Under the thread sanitizer the program runs many times slower: its runs
// check what happens between the threads, not how fast.
#if defined(__SANITIZE_THREAD__)
constexpr bool Timed = false;
#else
constexpr bool Timed = true;
#endif

const char* const Agreement = "User Agreement and Selection";
const char* const Filter_Type = "Select Filter Type";
const char* const Next_Action = "Next action?";
const char* const Bits = "Select Number of Bits for Rounding";

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

// The phases of a long run of the design program that a quit may land in.
std::atomic<int> phase{0};
enum Phase { Not_Started, Designing, Searching, Writing, Reading, Finished };

// The largest low-pass design, with a transition of two bins: seconds of
// exchange iterations (minutes under the thread sanitizer, where a smaller
// one does for the routines handed between the threads).
void largest_design(int N = 16385) {
    Set_Up_Low_Pass_Family(N);
    KALTAP_Design();
}

// The smallest low-pass filter with 0.1 dB ripple and 100 dB attenuation over
// a transition of 0.0007: a search over designs of thousands of weights.
void long_search() {
    Set_Up_Design(1, 8000, 16, {{0.0, 0.2, 1.0, 1.0}, {0.2007, 0.5, 0.0, 1.0}});
    KALTAP_BandType = 1;
    FIR_Passband_PtoP_Ripple = 0.1;
    FIR_Stopband_Attenuation = 100.0;
    FIROPT_NOW = 0;
    FIROPT_Minimize_No_of_Weights();
}

// Runs `program` as the design program's thread runs the real one: to its end
// or its stop, then the park that keeps the menus alive.
void run_then_park(const std::function<void()>& program) {
    KALTAP_Run_Program(program);
    const auto& hooks = UNIT_Current_Hooks();
    if (hooks.stop) hooks.stop();
}

// Runs the phase the test asks for.
void run_phase(int which) {
    phase = which;
    if (which == Designing) {
        largest_design(Timed ? 16385 : 4095);
    } else if (which == Searching) {
        long_search();
    } else if (which == Writing) {
        Search_Grid_Density = 16;
        Number_of_Weights = 16385;
        largest_design();
        Search_Grid_Density = 32;
        phase = Writing;
        for (int i = 0; i < 20; ++i) KALTAP_Frequency_Response_CSV();
    } else if (which == Reading) {
        UNIT_Write(UNIT_Console, "Waiting for a line that never comes.");
        std::string line;
        for (;;) UNIT_Read_Line(UNIT_Console, line);
    }
    phase = Finished;
}

// A 20 ms timer on the GUI thread that repaints `window` at every tick and
// keeps the longest gap between two ticks: how far the GUI thread fell behind.
constexpr int Tick_ms = 20;
struct Ticks {
    explicit Ticks(QWidget* window) {
        clock.start();
        QObject::connect(&timer, &QTimer::timeout, [this, window] {
            const qint64 now = clock.elapsed();
            if (count > 0) longest_gap = std::max(longest_gap, now - last);
            last = now;
            ++count;
            window->repaint();
        });
        timer.start(Tick_ms);
    }
    void stop() { timer.stop(); }
    QElapsedTimer clock;
    QTimer timer;
    qint64 last = 0, longest_gap = 0;
    int count = 0;
};

XYPlot* plot_titled(WindowController& controller, const QString& title, int nth = 1) {
    QList<int> units = controller.xyPlots.keys();
    std::sort(units.begin(), units.end());
    int seen = 0;
    for (int unit : units)
        if (static_cast<UIK_ContentController*>(controller.xyPlots.value(unit))->title == title && ++seen == nth)
            return controller.xyPlots.value(unit);
    return nullptr;
}

}  // namespace

class TestProgramEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init() {
        remove_outputs();
        KALTAP_Filter_Weights_Valid = false;
        // Each run starts with the dialogs' own defaults, as a first run does.
        forgetDialogEntries();
    }
    void cleanupTestCase() { remove_outputs(); }

    void testCaseRunReportsTenDesigns() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement(2)).pressEnterInConsole(10);
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        const QStringList logs = files_ending(".txt");
        QStringList test_logs;
        for (const QString& log : logs)
            if (log.startsWith("KALTAP_Test_log")) test_logs << log;
        QCOMPARE(test_logs.size(), 1);
        QCOMPARE(lines_containing(test_logs[0], "Remez Exchange Algorithm"), 10);
        QVERIFY(consoleText(controller).contains("Normal exit.\n"));
        QCOMPARE(controller.menus->programMenus.size(), 2);  // "FIR Design", "View"
        QVERIFY(controller.menus->programMenus[0]->menuAction()->isVisible());
    }

    void classicalDefaultWithSixteenBits() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement())
            .accept(Filter_Type, {{"Select filter design approach:", "3"}})
            .accept("Legacy FIR Filter Parameters")
            .accept("Band Definitions")
            .accept(Next_Action)
            .accept(Bits);
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QCOMPARE(files_ending("Hex_Weights.csv").size(), 1);
        QCOMPARE(files_ending("Filter_Weights.csv").size(), 1);
        QCOMPARE(files_ending("Frequency_Response.csv").size(), 1);
        // The images share the stem of the design's CSV files.
        const QString stem = files_ending("Filter_Weights.csv").value(0).chopped(int(strlen("Filter_Weights.csv")));
        for (const char* png :
             {"plot_1X.png", "plot_2X.png", "plot_3X.png", "plot_1XL.png", "plot_2XL.png", "plot_3XL.png"})
            QVERIFY2(!QImage(stem + png).isNull(), png);
        QCOMPARE(controller.xyPlots.size(), 6);
        XYPlot* main_plot = plot_titled(controller, "Frequency Response", 2);  // the linear half plot opens first
        QVERIFY(main_plot != nullptr);
        QCOMPARE(main_plot->curves.size(), 2);
        QCOMPARE(main_plot->curves[0]->dataSize(), size_t(1345));
        QCOMPARE(main_plot->curves[1]->title().text(), QString("Rounded to 16 Bits"));
        QVERIFY(consoleText(controller).contains(QString::fromStdString(KALTAP_Menu_Hint)));
    }

    void lowPassFindOrderDefault() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement())
            .accept(Filter_Type)
            .accept("Select Type of Optimization")
            .accept("Decimation/Interpolation")
            .accept("Optimize low-pass for number of weights")
            .accept(Next_Action)
            .accept(Bits, {{"Number of Bits (2 to 48)", "0"}});
        waitUntilIdle(controller, robot, Program_Timeout_ms);
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
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement())
            .accept(Filter_Type, {{"Select filter design approach:", "4"}})
            .accept("Input Data File Selection")
            .accept("Equalizer Initialization Complete")
            .accept("Fundamental FIR Filter Parameters")
            .accept(Next_Action)
            .accept(Bits);
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QCOMPARE(Number_of_Weights, 73);
        QVERIFY(plot_titled(controller, "Equalizer Frequency Response") != nullptr);
        QCOMPARE(plot_titled(controller, "Equalizer Frequency Response")->curves[0]->dataSize(), size_t(91));
        QCOMPARE(files_ending("Filter_Weights.csv").size(), 1);
        QVERIFY(consoleText(controller).contains("Column headings:"));
    }

    void cancelPathsAndANewDesignFromTheMenu() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement()).cancel(Filter_Type).dismiss("Normal Exit");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QVERIFY(consoleText(controller).contains("Normal exit.\n"));

        // From the menu, on the design program's thread: another loop, ended
        // by a Cancel in a band dialog, which stops only that loop.
        QAction* item = nullptr;
        for (QAction* a : controller.menus->programMenus.value(0)->actions())
            if (a->text() == "New FIR Filter Design") item = a;
        QVERIFY(item != nullptr);
        robot.accept(Filter_Type, {{"Select filter design approach:", "3"}})
            .accept("Legacy FIR Filter Parameters")
            .cancel("Band Definitions");
        item->trigger();
        QVERIFY(controller.menus->callbackRunning);
        QVERIFY(!controller.menus->programMenus[0]->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!controller.menus->callbackRunning, 20000);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY(robot.done());
        QVERIFY(consoleText(controller).contains("Program terminated at user request.\n"));
        QVERIFY(controller.menus->programMenus[0]->isEnabled());

        // And once more: the menu still works after the stop.
        robot.cancel(Filter_Type).dismiss("Normal Exit");
        item->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!controller.menus->callbackRunning, 20000);
        QVERIFY(robot.done());
        QVERIFY(robot.errors.isEmpty());
    }

    // What the user accepted in one design is where the next design from the
    // menu starts; the fields the user left keep the program's defaults.
    void aNewDesignStartsWithTheEntriesLastAccepted() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept(Agreement, agreement())
            .accept(Filter_Type, {{"Select filter design approach:", "3"}})
            .accept("Legacy FIR Filter Parameters", {{"Number of weights", "43"}})
            .cancel("Band Definitions");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QAction* item = nullptr;
        for (QAction* a : controller.menus->programMenus.value(0)->actions())
            if (a->text() == "New FIR Filter Design") item = a;
        QVERIFY(item != nullptr);

        // The field a label names (its buddy), as the user reads it.
        auto field = [](QWidget* dialog, const QString& label) {
            for (QLabel* l : dialog->findChildren<QLabel*>())
                if (l->text() == label)
                    if (auto* edit = qobject_cast<QLineEdit*>(l->buddy())) return edit->text();
            return QStringLiteral("<no field>");
        };
        QString approach, weights, density;
        robot
            .act(Filter_Type,
                 [&](QWidget* dialog) {
                     for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                         if (b->isCheckable() && b->isChecked()) approach = b->text();
                     pressOk(dialog);
                 })
            .act("Legacy FIR Filter Parameters",
                 [&](QWidget* dialog) {
                     weights = field(dialog, "Number of weights");
                     density = field(dialog, "Search Grid Density");
                     pressCancel(dialog);
                 })
            .dismiss("Procedure ended");
        item->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!controller.menus->callbackRunning, 20000);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY(robot.done());
        QCOMPARE(approach, QString("Multiple band, Hilbert Transformer, or Differentiator"));
        QCOMPARE(weights, QString("43"));
        QCOMPARE(density, QString("32"));
    }

    void cancelledAgreementStopsBeforeAnyMenu() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.cancel(Agreement);
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QVERIFY(consoleText(controller).contains("Program terminated at user request.\n"));
        QVERIFY(controller.menus->programMenus.isEmpty());
    }

    void closingTheConsoleWhileTheProgramReads() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        // The read in progress is given up; the next report opens the console
        // again, and the later reads wait there for the user as before.
        robot.accept(Agreement, agreement(2))
            .whenReading([&controller] { controller.closeWindowForUnit(-3); })
            .pressEnterInConsole(9);
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QVERIFY(controller.textWindows.contains(-2));
        QCOMPARE(lines_containing(files_ending(".txt").filter("KALTAP_Test_log").value(0), "Testing Complete."), 1);
    }

    void closingTheLastWindowEndsTheEventLoop() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        connect(qApp, &QGuiApplication::lastWindowClosed, &controller, &Program_Session::destroyProgramThread);
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

    // Quitting at any moment ends the design program within a second by its
    // orderly stop; the thread object goes only once the thread has ended
    // (no terminate), and every phase is left unfinished.
    void quittingEndsTheProgramPromptly_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("after_ms");
        for (int repeat = 1; repeat <= 2; ++repeat) {
            const QByteArray r = QByteArray::number(repeat);
            QTest::newRow("during the largest design " + r) << int(Designing) << 400 * repeat;
            QTest::newRow("during a search " + r) << int(Searching) << 700 * repeat;
            QTest::newRow("while writing the response " + r) << int(Writing) << 100 * repeat;
            QTest::newRow("during a read " + r) << int(Reading) << 50 * repeat;
        }
    }
    void quittingEndsTheProgramPromptly() {
        QFETCH(int, which);
        QFETCH(int, after_ms);
        phase = Not_Started;
        static int requested = 0;
        requested = which;
        Program_Session controller(nullptr, [] { run_then_park([] { run_phase(requested); }); });
        QTRY_VERIFY_WITH_TIMEOUT(phase.load() == which, Program_Timeout_ms);
        // Some way into the phase (the writing phase begins after its design).
        QTest::qWait(after_ms);
        QVERIFY2(phase.load() == which, "the phase ended before the quit");
        QElapsedTimer clock;
        clock.start();
        controller.destroyProgramThread();
        const qint64 took = clock.elapsed();
        QVERIFY(controller.programThread == nullptr);
        QVERIFY(phase.load() != Finished);
        if (Timed) QVERIFY2(took < 1000, qPrintable(QString::number(took) + " ms"));
    }

    // "New FIR Filter Design" and the other program menu items run on the
    // design program's thread, as the first run does: while the largest design
    // computes from the menu, the window repaints and a 20 ms timer never falls
    // far behind; the menus are disabled until it ends.
    void aDesignFromTheMenuKeepsTheWindowResponsive() {
        phase = Not_Started;
        Program_Session controller(nullptr, [] {
            run_then_park([] {
                UIK_addMenu(-2, "FIR Design", "Largest design", [] {
                    run_phase(Designing);
                    return 0;
                });
            });
        });
        QTRY_VERIFY_WITH_TIMEOUT(controller.menus->idle, Program_Timeout_ms);
        QAction* item = controller.menus->programMenus.value(0)->actions().value(0);
        QVERIFY(item != nullptr);

        Ticks ticks(controller.mainWindow);
        item->trigger();
        QVERIFY(controller.menus->callbackRunning);
        QVERIFY(!controller.menus->programMenus[0]->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(phase.load() == Finished && !controller.menus->callbackRunning, Program_Timeout_ms);
        ticks.stop();
        QVERIFY(controller.menus->programMenus[0]->isEnabled());
        QVERIFY(ticks.count > 10);
        if (Timed) QVERIFY2(ticks.longest_gap < Tick_ms + 100, qPrintable(QString::number(ticks.longest_gap) + " ms"));
        QVERIFY(KALTAP_Filter_Weights_Valid);
    }

    void windowsRepaintWhileTheLargestDesignRuns() {
        std::atomic<bool> finished{false};
        Program_Session controller(nullptr, [&finished] {
            largest_design();
            finished = true;
        });
        // The GUI thread keeps serving events: a 20 ms timer never falls far behind.
        Ticks ticks(controller.mainWindow);
        QTRY_VERIFY_WITH_TIMEOUT(finished.load(), Program_Timeout_ms);
        ticks.stop();
        QVERIFY(ticks.count > 0);
        QVERIFY2(ticks.longest_gap < 1000, qPrintable(QString::number(ticks.longest_gap)));
        QVERIFY(KALTAP_Filter_Weights_Valid);
    }
};

QTEST_MAIN(TestProgramEndToEnd)
#include "test_program_end_to_end.moc"
