// SPDX-License-Identifier: GPL-3.0-or-later
// Seeing and following a design from the main window: its main plot is shown
// before it is accepted, with the design before it beneath; the status bar says which design runs and how far
// its exchange is, Esc stops it, and the program asks for the next design
// with no file of the stopped one left.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>
#include <qwt_plot_curve.h>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Main.h"
#include "MainWindow.h"
#include "Plot_Navigator.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "Program_Session.h"
#include "Progress_Display.h"
#include "WindowController.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Program_Timeout_ms = 120000;
// The sanitizers slow the exchange many times: their runs check the stop's
// order, not its speed.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool Timed = false;
#else
constexpr bool Timed = true;
#endif

const char* const Filter_Type = "Select Filter Type";

}  // namespace

class TestProgressStop : public QObject {
    Q_OBJECT
private slots:
    void init() {
        for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
        forgetDialogEntries();
    }

    // The text of the levels: outermost first, each work with its step.
    void statusTextNamesEveryLevel() {
        QCOMPARE(Progress_Display::text({}), QString());
        QCOMPARE(Progress_Display::text({{"Design of 41 weights", ""}}), QString("Design of 41 weights"));
        QCOMPARE(Progress_Display::text({{"Search for the number of weights", "trial 3: 41 weights"},
                                         {"Design of 41 weights", "exchange iteration 2, deviation 0.5"}}),
                 QString("Search for the number of weights: trial 3: 41 weights — Design of 41 weights: exchange "
                         "iteration 2, deviation 0.5"));
    }

    // The design's main plot is on screen when "Next action?" asks, and goes
    // once the question is answered.
    void theDesignIsShownBeforeItIsAccepted() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        int previews = 0, points = 0;
        bool visible = false;
        robot.accept("User Agreement and Selection", agreement())
            .classical()
            .act("Next action?",
                 [&](QWidget* dialog) {
                     previews = controller.xyPlots.size();
                     if (XYPlot* plot = controller.xyPlots.value(controller.xyPlots.keys().value(0))) {
                         visible = plot->isVisible();
                         points = plot->curves.size() == 1 ? int(plot->curves[0]->dataSize()) : -1;
                     }
                     pressCancel(dialog);
                 })
            .dismiss("Normal exit");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QCOMPARE(previews, 1);
        QVERIFY(visible);
        QCOMPARE(points, 42 * 32 + 1);  // the main plot's points: N times the density, and one
        QCOMPARE(controller.xyPlots.size(), 0);
        QCOMPARE(QDir::current().entryList({"*.png"}, QDir::Files), QStringList());
    }

    // A second design in the same run: its main plot shows the first beneath
    // its own curve, labelled, until the context menu hides it.
    void theMainPlotKeepsThePreviousDesign() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        int preview_curves = 0;
        robot.accept("User Agreement and Selection", agreement())
            .classical()
            .accept("Next action?", {{"Select next action:", "2"}})
            .classical({{"Number of weights", "51"}})
            .act("Next action?",
                 [&](QWidget* dialog) {
                     if (XYPlot* preview = controller.xyPlots.value(controller.xyPlots.keys().value(0)))
                         preview_curves = preview->curves.size();
                     pressOk(dialog);
                 })
            .accept("Select Number of Bits for Rounding", {{"Number of Bits (2 to 48)", "0"}});
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        QCOMPARE(preview_curves, 2);

        XYPlot* main_plot = nullptr;
        for (int key : controller.xyPlots.keys())
            if (controller.xyPlots.value(key)->curves.size() == 2) main_plot = controller.xyPlots.value(key);
        QVERIFY(main_plot != nullptr);
        const QwtPlotCurve* design = main_plot->curves[0];
        const QwtPlotCurve* previous = main_plot->curves[1];
        QCOMPARE(design->title().text(), QString("FIR Filter"));
        QCOMPARE(int(design->dataSize()), 51 * 32 + 1);
        QCOMPARE(int(previous->dataSize()), 42 * 32 + 1);
        QCOMPARE(previous->title().text(), QString("Previous: 42 taps, bands 0.0-0.1, 0.2-0.35, 0.425-0.5"));
        QVERIFY(previous->z() < design->z());

        QScopedPointer<QMenu> menu(main_plot->navigator->contextMenu(main_plot));
        QAction* hide = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == QString(KALTAP_Hide_Previous_Item)) hide = action;
        QVERIFY(hide != nullptr);
        QVERIFY(previous->isVisible());
        hide->trigger();
        QVERIFY(!previous->isVisible());
        QVERIFY(design->isVisible());
    }

    void escStopsTheLargestDesignAndKeepsNothing() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        // A low-pass of 16385 weights with a transition of a few bins: seconds
        // of exchange iterations.
        robot.accept("User Agreement and Selection", agreement())
            .lowPass("16385", "0.2003")
            .cancel(Filter_Type)
            .dismiss("Normal Exit");

        // The status bar follows the exchange; Stop is offered while it runs.
        QTRY_VERIFY_WITH_TIMEOUT(controller.mainWindow != nullptr, Program_Timeout_ms);
        MainWindow* window = controller.mainWindow;
        auto* label = window->findChild<QLabel*>("progressLabel");
        auto* bar = window->findChild<QProgressBar*>("progressBar");
        QVERIFY(label != nullptr && bar != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(label->text().contains("exchange iteration"), Program_Timeout_ms);
        QVERIFY2(label->text().startsWith("Design of 16385 weights: exchange iteration "), qPrintable(label->text()));
        QVERIFY(bar->isVisible());
        QVERIFY(window->stopAction()->isEnabled());

        // Esc, typed where the user's focus is in the main window (the
        // dialogs had the focus last).
        QApplication::setActiveWindow(window);
        QTRY_VERIFY(window->isActiveWindow());
        QWidget* focus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
        QElapsedTimer clock;
        clock.start();
        QSignalSpy stops(window, &MainWindow::stopRequested);
        QTest::keyClick(focus, Qt::Key_Escape);
        QCOMPARE(stops.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(robot.seen.count(Filter_Type) == 2, Program_Timeout_ms);
        const qint64 took = clock.elapsed();
        if (Timed) QVERIFY2(took < 1000, qPrintable(QString::number(took) + " ms"));

        QTRY_VERIFY_WITH_TIMEOUT(controller.menus->idle, Program_Timeout_ms);
        QVERIFY2(robot.errors.isEmpty(), qPrintable(robot.errors.join("; ")));
        QVERIFY(robot.done());
        QVERIFY(consoleText(controller).contains(QString::fromStdString(KALTAP_Design_Stopped_Text)));
        QCOMPARE(QDir::current().entryList(QDir::Files), QStringList());
        QVERIFY(!KALTAP_Filter_Weights_Valid);
        // Nothing runs any more.
        QTRY_VERIFY(label->text().isEmpty());
        QVERIFY(!bar->isVisible());
        QVERIFY(!window->stopAction()->isEnabled());
    }
};

QTEST_MAIN(TestProgressStop)
#include "test_progress_stop.moc"
