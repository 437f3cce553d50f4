// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheet windows as the design program and the user meet them, all
// through the design program's own calls on its thread: opened through unit
// I/O, written in each data type, edited by the user and read back, labelled,
// saved as CSV, and the error box for a unit without a spreadsheet.
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QImage>
#include <QtTest>
#include <atomic>
#include <complex>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "SubWindow.h"
#include "UIK_Spreadsheet.h"
#include "UIK_Spreadsheet_Interface.h"
#include "UIK_TextEdit.h"
#include "Unit_IO.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Worker_Timeout_ms = 20000;
constexpr int Rows = 2;
constexpr int Columns = 3;
constexpr int Unknown_Unit = 4242;
const QString Edit_Title = QStringLiteral("Edit the table");

QByteArray textBlock(const QStringList& texts, int length) {
    QByteArray bytes;
    for (const QString& text : texts) bytes += text.toLatin1().leftJustified(length, ' ', true);
    return bytes;
}

// The first element in which two blocks of `type` differ, -1 when none.
// REAL*16 elements are compared by value: their padding bytes carry nothing.
int firstDifference(const QString& type, const QByteArray& a, const QByteArray& b) {
    const UIK_Cell_Type cell = UIK_Spreadsheet_Cell_Type(type.toStdString());
    if (a.size() != b.size() || cell.size == 0) return 0;
    for (int i = 0; i * static_cast<int>(cell.size) < a.size(); ++i) {
        const char* x = a.constData() + i * cell.size;
        const char* y = b.constData() + i * cell.size;
        if (cell.kind == UIK_Cell_Kind::Real16) {
            long double u, v;
            std::memcpy(&u, x, sizeof u);
            std::memcpy(&v, y, sizeof v);
            if (u != v) return i;
        } else if (std::memcmp(x, y, cell.size) != 0) {
            return i;
        }
    }
    return -1;
}

QStringList cellsShown(const UIK_Spreadsheet* sheet) {
    QStringList texts;
    for (int row = 0; row < sheet->rowCount(); ++row)
        for (int column = 0; column < sheet->columnCount(); ++column)
            texts << (sheet->item(row, column) ? sheet->item(row, column)->text() : QStringLiteral("<no item>"));
    return texts;
}

QString headerShown(const UIK_Spreadsheet* sheet, Qt::Orientation orientation, int section) {
    return sheet->model()->headerData(section, orientation, Qt::DisplayRole).toString();
}

// Opens a spreadsheet the way the design program does; returns its unit.
int openSpreadsheet(const std::string& access = "ACCESS=spreadsheet") {
    int unit = UNIT_Automatic;
    UNIT_Open_Window(unit, "Coefficients", access);
    return unit;
}
}  // namespace

class TestSpreadsheets : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir_.path())); }

    // Only the window type "spreadsheet" gives a table; its size comes from
    // the access string (what the window restores to when maximized).
    void theAccessStringChoosesTheWindow_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<bool>("table");
        QTest::addColumn<QSize>("size");
        QTest::newRow("spreadsheet") << "ACCESS=spreadsheet" << true << QSize(768, 576);
        QTest::newRow("mixed case, blanks, size") << " access=Spreadsheet ,400,300" << true << QSize(400, 300);
        QTest::newRow("type alone") << "spreadsheet" << true << QSize(768, 576);
        QTest::newRow("text window") << "ACCESS=window,400,300" << false << QSize(400, 300);
    }
    void theAccessStringChoosesTheWindow() {
        QFETCH(QString, access);
        QFETCH(bool, table);
        QFETCH(QSize, size);
        std::atomic<int> unit{0};
        Program_Session controller(nullptr, [&] { unit = openSpreadsheet(access.toStdString()); });
        QTRY_VERIFY_WITH_TIMEOUT(unit != 0 && controller.contentForUnit(unit) != nullptr, Worker_Timeout_ms);
        QCOMPARE(controller.spreadsheets.contains(unit), table);
        QCOMPARE(controller.textWindows.contains(unit), !table);
        SubWindow* window = controller.subWindowForUnit(unit);
        QVERIFY(window != nullptr);
        QCOMPARE(window->windowTitle(), QString("Coefficients"));
        window->showNormal();
        QCOMPARE(window->size(), size);
        if (table) QVERIFY(window->findChild<UIK_Spreadsheet*>(QStringLiteral("spreadsheet_%1").arg(unit.load())));
    }

    // Each data type: the table shows the block, the user changes the last
    // cell while the design program waits in an alert, and the read gives
    // back the block with that cell changed. A cell that holds no value of
    // the type leaves the element the read fills as it was (0x5A bytes).
    void theUsersEditComesBack_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QByteArray>("last");  // the last element read
        using C8 = std::complex<float>;
        using C16 = std::complex<double>;
        const QByteArray old(16, '\x5A');
        const auto row = [](const char* name, const QString& type, const QByteArray& written, const QStringList& shown,
                            const QString& edit, const QByteArray& last) {
            QTest::newRow(name) << type << written << shown << edit << last;
        };
        const QByteArray int4 = block<qint32>({7, -12, 0, 2147483647, -2147483647 - 1, 5});
        const QStringList int4Shown{"7", "-12", "0", "2147483647", "-2147483648", "5"};
        row("INTEGER*4", "INTEGER*4", int4, int4Shown, " +42 ", block<qint32>({42}));
        row("INTEGER*4 word", "INTEGER*4", int4, int4Shown, "many", old.left(4));
        row("INTEGER*4 real", "INTEGER*4", int4, int4Shown, "1.5", old.left(4));
        row("INTEGER*4 too large", "INTEGER*4", int4, int4Shown, "2147483648", old.left(4));
        row("INTEGER*8", "INTEGER*8", block<qint64>({9007199254740993LL, -1, 0, 12, 13, 5}),
            {"9007199254740993", "-1", "0", "12", "13", "5"}, "-9223372036854775808",
            block<qint64>({std::numeric_limits<qint64>::min()}));
        const QByteArray real4 = block<float>({0.1f, -2.5f, 1.0f / 3.0f, 100000.0f, 3e38f, 0.0f});
        const QStringList real4Shown{"0.1", "-2.5", "0.33333334", "100000", "3e+38", "0"};
        row("REAL*4", "REAL*4", real4, real4Shown, "1.25e3", block<float>({1250.0f}));
        row("REAL*4 overflow", "REAL*4", real4, real4Shown, "1e39", old.left(4));
        const QByteArray real8 = block<double>({0.1, -2.5, 1.0 / 3.0, 1e300, 6.02214076e23, 1.0});
        const QStringList real8Shown{"0.1", "-2.5", "0.3333333333333333", "1e+300", "6.02214076e+23", "1"};
        row("REAL*8", "REAL*8", real8, real8Shown, "-7.5E-3", block<double>({-7.5e-3}));
        row("REAL*8 empty", "REAL*8", real8, real8Shown, "", old.left(8));
        row("REAL*8 with text", "REAL*8", real8, real8Shown, "2.5 volts", old.left(8));
        row("REAL*16", "REAL*16", block<long double>({0.1L, 1.0L / 3.0L, -2.5L, 1e4000L, 0.0L, 7.0L}),
            {"0.1", "0.33333333333333333334", "-2.5", "1e+4000", "0", "7"}, "2.5", block<long double>({2.5L}));
        const QByteArray complex8 =
            block<C8>({{1.5f, -2.0f}, {0.1f, 0.0f}, {0.0f, 1.0f}, {-3, 4}, {1e5f, 0.25f}, {7, 7}});
        const QStringList complex8Shown{"(1.5,-2)", "(0.1,0)", "(0,1)", "(-3,4)", "(100000,0.25)", "(7,7)"};
        row("COMPLEX*4", "COMPLEX*4", complex8, complex8Shown, "(0.5,-0.25)", block<C8>({{0.5f, -0.25f}}));
        row("COMPLEX*8", "COMPLEX*8", complex8, complex8Shown, " ( 0.5 , -0.25 ) ", block<C8>({{0.5f, -0.25f}}));
        row("COMPLEX*8 real alone", "COMPLEX*8", complex8, complex8Shown, "3", block<C8>({{3.0f, 0.0f}}));
        const QByteArray complex16 = block<C16>({{0.1, 1.0 / 3.0}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}});
        const QStringList complex16Shown{"(0.1,0.3333333333333333)", "(1,2)", "(3,4)", "(5,6)", "(7,8)", "(9,10)"};
        row("COMPLEX*16", "COMPLEX*16", complex16, complex16Shown, "2.5,-1", block<C16>({{2.5, -1}}));
        row("COMPLEX*16 of three", "COMPLEX*16", complex16, complex16Shown, "(1,2,3)", old);
        const QStringList texts{"abc", "", "abcdef", " lead", "x", "y"};
        row("CHARACTER*6", "CHARACTER*6", textBlock(texts, 6), texts, "too long text", "too lo");
        row("CHARACTER*", "CHARACTER*", textBlock(texts, UIK_Text_Length), texts, "changed",
            textBlock({"changed"}, UIK_Text_Length));
    }
    void theUsersEditComesBack() {
        QFETCH(QString, type);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, shown);
        QFETCH(QString, edit);
        QFETCH(QByteArray, last);
        const QByteArray expected = written.left(written.size() - last.size()) + last;
        QByteArray read(written.size(), '\x5A');
        char* readData = read.data();
        std::atomic<int> unit{0};
        std::atomic<bool> done{false};
        QStringList seen;
        Watchdog watchdog;
        WindowController* shownIn = nullptr;
        whenModalTitled(Edit_Title, [&](QWidget* box) {
            if (UIK_Spreadsheet* sheet = shownIn->spreadsheets.value(unit)) {
                seen = cellsShown(sheet);
                sheet->item(Rows - 1, Columns - 1)->setText(edit);
            }
            pressOk(box);
        });
        Program_Session controller(nullptr, [&] {
            unit = openSpreadsheet();
            UIK_writeSpreadsheet(unit, written.constData(), type.toStdString(), Rows, Columns);
            UIK_alertBox(Edit_Title.toStdString(), "Change the last cell.");
            UIK_readSpreadsheet(unit, readData, type.toStdString(), Rows, Columns);
            done = true;
        });
        shownIn = &controller;
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(seen, shown);
        QCOMPARE(firstDifference(type, read, expected), -1);
    }

    // What the user has typed into a cell that is still open for editing
    // counts when the design program reads.
    void aCellStillBeingEditedIsRead() {
        const QByteArray written = block<qint32>({1, 2, 3, 4, 5, 6});
        QByteArray read(written.size(), '\0');
        char* readData = read.data();
        std::atomic<int> unit{0};
        std::atomic<bool> typing{false};
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            const int opened = openSpreadsheet();
            UIK_writeSpreadsheet(opened, written.constData(), "INTEGER*4", Rows, Columns);
            unit = opened;
            while (!typing) QThread::msleep(10);
            UIK_readSpreadsheet(opened, readData, "INTEGER*4", Rows, Columns);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(unit != 0 && controller.spreadsheets.value(unit) != nullptr &&
                                     controller.spreadsheets.value(unit)->item(0, 0) != nullptr,
                                 Worker_Timeout_ms);
        UIK_Spreadsheet* sheet = controller.spreadsheets.value(unit);
        sheet->setCurrentCell(0, 0);
        sheet->editItem(sheet->item(0, 0));
        auto* editor = sheet->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText("99");
        typing = true;
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(firstDifference("INTEGER*4", read, block<qint32>({99, 2, 3, 4, 5, 6})), -1);
    }

    // Column labels given before the first write and row labels given after
    // it both show; a later write that adds a column keeps them, and the new
    // column shows its number.
    void labelsStayWithTheTable() {
        const QByteArray first = block<qint32>({1, 2, 3, 4, 5, 6});
        const QByteArray wider = block<qint32>({1, 2, 3, 4, 5, 6, 7, 8});
        QByteArray read(wider.size(), '\0');
        char* readData = read.data();
        std::atomic<int> unit{0};
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            unit = openSpreadsheet();
            UIK_setHorizontalLabels(unit, "Gain    Phase   Delay   ", 8, 3);
            UIK_writeSpreadsheet(unit, first.constData(), "INTEGER*4", Rows, Columns);
            UIK_setVerticalLabels(unit, std::vector<UIK_Text>{UIK_Text("low band")});
            UIK_writeSpreadsheet(unit, wider.constData(), "INTEGER*4", Rows, 4);
            UIK_readSpreadsheet(unit, readData, "INTEGER*4", Rows, 4);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        const UIK_Spreadsheet* sheet = controller.spreadsheets.value(unit);
        QVERIFY(sheet != nullptr);
        QCOMPARE(sheet->columnCount(), 4);
        QStringList columns, rows;
        for (int c = 0; c < sheet->columnCount(); ++c) columns << headerShown(sheet, Qt::Horizontal, c);
        for (int r = 0; r < sheet->rowCount(); ++r) rows << headerShown(sheet, Qt::Vertical, r);
        QCOMPARE(columns, QStringList({"Gain", "Phase", "Delay", "4"}));
        QCOMPARE(rows, QStringList({"low band", "2"}));
        QCOMPARE(cellsShown(sheet), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
        QCOMPARE(firstDifference("INTEGER*4", read, wider), -1);
    }

    // Every request for a unit without a spreadsheet shows the error box; a
    // read still lets the design program go on, with its block untouched.
    void aUnitWithoutSpreadsheetShowsTheErrorBox_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("closedFirst");
        QTest::newRow("write") << "write" << false;
        QTest::newRow("read") << "read" << false;
        QTest::newRow("column labels") << "columns" << false;
        QTest::newRow("row labels") << "rows" << false;
        QTest::newRow("write after closing") << "write" << true;
        QTest::newRow("read after closing") << "read" << true;
    }
    void aUnitWithoutSpreadsheetShowsTheErrorBox() {
        QFETCH(QString, request);
        QFETCH(bool, closedFirst);
        const QByteArray written = block<qint32>({1, 2, 3, 4, 5, 6});
        QByteArray read(written.size(), '\x5A');
        const QByteArray untouched = read;
        char* readData = read.data();
        std::atomic<int> unit{0};
        std::atomic<bool> done{false};
        QString shown;
        Watchdog watchdog;
        whenModalTitled("Error", [&](QWidget* box) {
            shown = qobject_cast<QMessageBox*>(box)->text();
            pressOk(box);
        });
        Program_Session controller(nullptr, [&] {
            int target = Unknown_Unit;
            if (closedFirst) {
                target = openSpreadsheet();
                UIK_writeSpreadsheet(target, written.constData(), "INTEGER*4", Rows, Columns);
                UNIT_Close(target);
            }
            unit = target;
            if (request == "write") UIK_writeSpreadsheet(target, written.constData(), "INTEGER*4", Rows, Columns);
            if (request == "read") UIK_readSpreadsheet(target, readData, "INTEGER*4", Rows, Columns);
            if (request == "columns") UIK_setHorizontalLabels(target, "A", 1, 1);
            if (request == "rows") UIK_setVerticalLabels(target, "A", 1, 1);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QTRY_COMPARE_WITH_TIMEOUT(shown, QString("Spreadsheet for unit number %1 does not exist").arg(unit.load()),
                                  Worker_Timeout_ms);
        QVERIFY(controller.spreadsheets.isEmpty());
        QCOMPARE(read, untouched);
    }

    // The saved CSV holds the table as it shows, labels included; fields
    // with commas or quotes are quoted so that they read back intact.
    void theSavedFileReadsBackAsTheTable() {
        const QString path = QDir(dir_.path()).filePath("coefficients.csv");
        const QByteArray values = block<std::complex<double>>({{1.5, -2}, {0.25, 0}, {-1, 1}, {3, 0.5}});
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&] {
            const int unit = openSpreadsheet();
            UIK_setHorizontalLabels(unit, "PoleZero", 4, 2);
            UIK_setVerticalLabels(unit, "a, b    say \"hi\"", 8, 2);
            UIK_writeSpreadsheet(unit, values.constData(), "COMPLEX*16", 2, 2);
            UIK_saveWindowContents_Unit(unit, path.toStdString());
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QString(",Pole,Zero\n"
                                                            "\"a, b\",\"(1.5,-2)\",\"(0.25,0)\"\n"
                                                            "\"say \"\"hi\"\"\",\"(-1,1)\",\"(3,0.5)\"\n"));
    }

    // An image file name gives a picture of the table instead of CSV text.
    void anImageNameSavesAPictureOfTheTable() {
        const QString path = QDir(dir_.path()).filePath("table.png");
        const QByteArray values = block<double>({1.0, 2.0, 3.0, 4.0});
        std::atomic<bool> done{false};
        std::atomic<int> unit{0};
        Program_Session controller(nullptr, [&] {
            unit = openSpreadsheet();
            UIK_writeSpreadsheet(unit, values.constData(), "REAL*8", 2, 2);
            UIK_saveWindowContents_Unit(unit, path.toStdString());
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        // A PNG picture (the table's size on screen depends on when the
        // window was laid out, so only a real picture is asked for).
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        const QImage image(path);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() > 0 && image.height() > 0);
        QVERIFY(controller.spreadsheets.value(unit.load()) != nullptr);
    }
};

QTEST_MAIN(TestSpreadsheets)
#include "test_spreadsheets.moc"
