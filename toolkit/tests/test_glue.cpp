// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-off between the design program's thread and the GUI thread: window
// units from the automatic counter, console text in the order written (also
// when it goes over in batches), waiting requests answered in turn, reads
// answered from the console, the park at the end of the program, and the
// teardown that releases a waiting worker.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <atomic>

#include "GlueManager.h"
#include "MainWindow.h"
#include "Program_Menus.h"
#include "Program_Stop.h"
#include "Text_Windows.h"
#include "UIK_Call_Interface.h"
#include "UIK_Spreadsheet_Interface.h"
#include "UIK_TextEdit.h"
#include "Unit_IO.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Worker_Timeout_ms = 10000;

QString console_text(WindowController& controller) {
    UIK_TextEdit* console = controller.textWindows.value(-2);
    return console ? console->toPlainText() : QString();
}
}  // namespace

class TestGlue : public QObject {
    Q_OBJECT
private slots:
    void init() { UIK_Reset_Call_Interface(); }

    void automaticUnitsCountFromOneMillion() {
        std::atomic<int> first{0}, second{0};
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            int unit = UNIT_Automatic;
            UNIT_Open_Window(unit, "First", "ACCESS=window,300,200");
            first = unit;
            unit = UNIT_Automatic;
            UNIT_Open_Window(unit, "Second", "");
            second = unit;
            UNIT_Write(second, "into the second window");
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(first.load(), 1000000);
        QCOMPARE(second.load(), 1000001);
        QTRY_VERIFY(controller.textWindows.contains(1000001));
        QTRY_COMPARE(controller.textWindows.value(1000001)->toPlainText(), QString("into the second window\n"));
        QCOMPARE(controller.textWindows.value(1000000)->title, QString("First"));
    }

    void consoleUnitsShareOneWindowInTheOrderWritten() {
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            UNIT_Write(-4, "one");
            UIK_writeText(-2, "and");
            UNIT_Write(-3, "two");
            UNIT_Write(6, "three");
            UIK_writeText(-3, "and");
            UNIT_Write(-2, "four");
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QTRY_COMPARE(console_text(controller), QString("one\nand\ntwo\nthree\nand\nfour\n"));
    }

    // A long report goes over in batches, yet whole and in order: every line
    // written before a request is shown when the request is carried out, and
    // a window opened between two lines gets only the lines written to it.
    void linesWrittenBeforeARequestAreShownWhenItIsCarriedOut() {
        constexpr int Lines = 3000;
        std::atomic<bool> done{false};
        QString shownAtAlert;
        Program_Session controller(nullptr, [&] {
            for (int i = 1; i <= Lines; ++i) {
                UNIT_Write(UNIT_Console, "line " + std::to_string(i));
                if (i == Lines / 2) {
                    int unit = UNIT_Automatic;
                    UNIT_Open_Window(unit, "Second", "");
                    UNIT_Write(unit, "second window");
                }
            }
            UIK_alertBox("Report written", "done");
            UNIT_Write(UNIT_Console, "after the alert");
            done = true;
        });
        whenModalTitled("Report written", [&](QWidget* box) {
            shownAtAlert = console_text(controller);
            pressOk(box);
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QString expected;
        for (int i = 1; i <= Lines; ++i) expected += QString("line %1\n").arg(i);
        QCOMPARE(shownAtAlert, expected);
        QTRY_COMPARE(console_text(controller), expected + "after the alert\n");
        QTRY_COMPARE(controller.textWindows.value(1000000)->toPlainText(), QString("second window\n"));
    }

    // A block written to a spreadsheet and read back, many times over: each
    // read waits for its answer, which comes after the write raised before
    // it and from the copy the write took. Waits that polled would not get
    // through the rounds in the time allowed.
    void waitingRequestsAreAnsweredInTurn() {
        constexpr int Rounds = 300;
        std::atomic<int> matched{0};
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            int unit = UNIT_Automatic;
            UNIT_Open_Window(unit, "Round trips", "ACCESS=spreadsheet");
            for (int i = 1; i <= Rounds; ++i) {
                double written[2] = {double(i), -0.5 * i};
                double read[2] = {0, 0};
                UIK_writeSpreadsheet(unit, written, "REAL*8", 1, 2);
                written[0] = 0;  // the window layer has its own copy
                UIK_readSpreadsheet(unit, read, "REAL*8", 1, 2);
                if (read[0] == i && read[1] == -0.5 * i) ++matched;
            }
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(matched.load(), Rounds);
    }

    void aLineTypedInTheConsoleReachesTheProgram() {
        std::atomic<bool> done{false};
        std::string line;
        int status = -99;
        Program_Session controller(nullptr, [&] {
            UNIT_Write(UNIT_Console, "Type a line:");
            status = UNIT_Read_Line(UNIT_Console, line);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(controller.texts->readingWindow != nullptr, Worker_Timeout_ms);
        QTest::keyClicks(controller.texts->readingWindow, "0.25, 42");
        QTest::keyClick(controller.texts->readingWindow, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(status, UNIT_OK);
        QCOMPARE(QString::fromStdString(line), QString("0.25, 42"));
    }

    void closingTheConsoleDuringAReadEndsTheReadWithEndOfFile() {
        std::atomic<bool> done{false};
        char buffer[64];
        std::atomic<int> raw{-99};
        Program_Session controller(nullptr, [&] {
            raw = hookReadLine(buffer, static_cast<int>(sizeof buffer), UNIT_Console);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(controller.texts->readingWindow != nullptr, Worker_Timeout_ms);
        controller.closeWindowForUnit(-3);
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(raw.load(), -1);
    }

    void aStoppedProgramParksAndTheMenusAppear() {
        std::atomic<bool> reached_stop{false};
        Program_Session controller(nullptr, [&] {
            KALTAP_Run_Program([] {
                UIK_addMenu(-2, "Tools", "Again", [] { return 0; });
                KALTAP_Stop("stopping");
            });
            reached_stop = true;
            hookStop();
        });
        QTRY_VERIFY_WITH_TIMEOUT(reached_stop.load(), Worker_Timeout_ms);
        QTRY_VERIFY_WITH_TIMEOUT(controller.menus->idle, Worker_Timeout_ms);
        QVERIFY(UIK_Idle.load());
        QVERIFY(controller.programThread->isRunning());  // parked, not ended
        QCOMPARE(controller.menus->programMenus.size(), 1);
        QVERIFY(controller.menus->programMenus[0]->menuAction()->isVisible());
        QTRY_VERIFY(console_text(controller).contains("stopping\n"));
        // Teardown releases the parked thread.
        QElapsedTimer clock;
        clock.start();
        controller.destroyProgramThread();
        QVERIFY(controller.programThread == nullptr);
        QVERIFY(clock.elapsed() < 1000);
    }

    // Teardown while the design program waits for the user wakes it at once,
    // and what the user does afterwards never reaches it: the request
    // returns as not answered (0).
    void teardownReleasesAWorkerWaitingForTheUser_data() {
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("modalTitle");
        QTest::newRow("dialog") << int(Dialog) << "Waiting";
        QTest::newRow("file name") << int(File_Name) << "Open New File";
        QTest::newRow("line read") << int(Line_Read) << QString();
    }
    void teardownReleasesAWorkerWaitingForTheUser() {
        QFETCH(int, request);
        QFETCH(QString, modalTitle);
        std::atomic<int> result{-99};
        std::atomic<bool> shown{false};
        Program_Session controller(nullptr, [&, request] {
            UIK_Dialog_Record dialog;
            dialog.windowTitle.set("Waiting");
            UIK_createDialog(dialog);
            char buffer[64];
            shown = true;
            if (request == Dialog)
                result = UIK_showDialog(dialog.unit);
            else if (request == File_Name)
                result = hookFileName(buffer, static_cast<int>(sizeof buffer), UNIT_Console, true);
            else
                result = hookReadLine(buffer, static_cast<int>(sizeof buffer), UNIT_Console);
        });
        // Close the window from under the worker as the last window closing
        // would: the glue goes away and the wait ends. Then answer.
        qint64 teardown_ms = -1;
        const auto teardown = [&] {
            QElapsedTimer clock;
            clock.start();
            controller.destroyProgramThread();
            teardown_ms = clock.elapsed();
        };
        if (!modalTitle.isEmpty()) {
            whenModalTitled(modalTitle, [&](QWidget* modal) {
                teardown();
                if (auto* name = modal->findChild<QLineEdit*>("fileNameEdit")) name->setText("late.txt");
                if (auto* files = qobject_cast<QFileDialog*>(modal))
                    static_cast<QDialog*>(files)->accept();
                else
                    pressOk(modal);
            });
        }
        QTRY_VERIFY_WITH_TIMEOUT(shown.load(), Worker_Timeout_ms);
        if (modalTitle.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(controller.texts->readingWindow != nullptr, Worker_Timeout_ms);
            teardown();
        }
        QTRY_VERIFY_WITH_TIMEOUT(controller.programThread == nullptr, Worker_Timeout_ms);
        QVERIFY(UIK_Glue.load() == nullptr);
        QCOMPARE(result.load(), 0);
        QVERIFY(teardown_ms >= 0 && teardown_ms < 1000);
    }

private:
    enum { Dialog, File_Name, Line_Read };
};

QTEST_MAIN(TestGlue)
#include "test_glue.moc"
