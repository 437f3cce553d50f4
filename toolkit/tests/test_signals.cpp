// SPDX-License-Identifier: GPL-3.0-or-later
// The real kaltap program in a process of its own: Ctrl+C (SIGINT) and SIGTERM
// from the terminal quit it the way File > Quit does, with the design program
// waiting in a dialog at the time; never a signal death or a window left with
// a dead dialog.
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <csignal>

namespace {

constexpr int Start_Timeout_ms = 20000;
constexpr int Quit_Timeout_ms = 10000;

// True once the process has its own handlers for SIGINT and SIGTERM: the
// "SigCgt" mask of /proc/<pid>/status has both bits set.
bool catchesQuitSignals(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        bool ok = false;
        const qulonglong caught = line.mid(7).trimmed().toULongLong(&ok, 16);
        const qulonglong wanted = (1ULL << (SIGINT - 1)) | (1ULL << (SIGTERM - 1));
        return ok && (caught & wanted) == wanted;
    }
    return false;
}

}  // namespace

class TestSignals : public QObject {
    Q_OBJECT

private slots:
    void aQuitSignalClosesTheProgram_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("Ctrl+C") << int(SIGINT) << 130;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 0;
    }
    void aQuitSignalClosesTheProgram() {
        QFETCH(int, signal);
        QFETCH(int, status);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KALTAP_PROGRAM), QStringList());
        QVERIFY(program.waitForStarted(Start_Timeout_ms));
        // The program is up, its agreement dialog open, once it catches both.
        QTRY_VERIFY_WITH_TIMEOUT(catchesQuitSignals(program.processId()), Start_Timeout_ms);
        QCOMPARE(::kill(static_cast<pid_t>(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(Quit_Timeout_ms));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
    }
};

QTEST_MAIN(TestSignals)
#include "test_signals.moc"
