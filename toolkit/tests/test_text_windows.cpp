// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, unit sub-windows and text windows: output with control
// characters, line input and its cancellation, the File/Edit/Window menus,
// saving, and where new windows appear.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QApplication>
#include <QtTest>

#include "Content_Files.h"
#include "GlueManager.h"
#include "MainWindow.h"
#include "SubWindow.h"
#include "Text_Windows.h"
#include "UIK_TextEdit.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {

UIK_TextEdit* console(const WindowController& controller) { return controller.textWindows.value(-2); }
UIK_ContentController* content(UIK_TextEdit* text) { return text; }
QAction* action(const MainWindow* window, const QString& name) { return window->findChild<QAction*>(name); }

// A line read as the design program asks for it, and its answer.
struct Read {
    bool answered = false;
    std::vector<std::string> answer;
    int start(WindowController& controller, int unit) {
        return controller.texts->read(unit, [this](std::vector<std::string> values) {
            answered = true;
            answer = std::move(values);
        });
    }
    bool givenUp() const { return answered && answer.empty(); }
    QString line() const { return answered && answer.size() == 1 ? QString::fromStdString(answer[0]) : "<none>"; }
};

QString fileText(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromLatin1(file.readAll()) : QString();
}

// A content that is not text, as a plot or chart is.
class ChartContent : public QWidget, public UIK_ContentController {
public:
    explicit ChartContent(int unit) : UIK_ContentController(unit, QStringLiteral("Chart")) {}
    bool okToClose() override { return true; }
    void save(const QString&) override {}
    bool saveAs() override { return false; }
    void print() override {}
    void setContentFont(const QFont& font) override { setFont(font); }
    QFont contentFont() const override { return font(); }
};

// The texts of a menu's visible entries in order, "-" for a separator.
QStringList entries(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (a->isVisible()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

// The window list: the entries after the last separator.
QList<QAction*> windowList(const QMenu* menu) {
    QList<QAction*> list;
    for (QAction* a : menu->actions()) a->isSeparator() ? list.clear() : list.append(a);
    return list;
}

}  // namespace

class TestTextWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(tempDir_.isValid()); }
    void init() { QVERIFY(QDir::setCurrent(tempDir_.path())); }

    void controlCharactersInOutput_data() {
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("backspace as its own write") << QStringList{"abc", "\b", "d"} << "abd";
        QTest::newRow("backspace inside a write") << QStringList{"abc\bd"} << "abd";
        QTest::newRow("two backspaces") << QStringList{"abc\b\bx"} << "ax";
        QTest::newRow("backspace joins lines") << QStringList{"ab\n", "\bc"} << "abc";
        QTest::newRow("bell is not shown") << QStringList{"ab\ac"} << "abc";
        QTest::newRow("bell before a backspace") << QStringList{"a\ab\bc"} << "ac";
        QTest::newRow("backspace on empty text") << QStringList{"\bok"} << "ok";
    }
    void controlCharactersInOutput() {
        QFETCH(QStringList, writes);
        QFETCH(QString, shown);
        Program_Session controller(nullptr, {});
        for (const QString& text : writes) QCOMPARE(controller.texts->write(-3, text), 1);
        QCOMPARE(console(controller)->toPlainText(), shown);
    }

    void consoleUnits_data() {
        QTest::addColumn<int>("unit");
        QTest::newRow("-4") << -4;
        QTest::newRow("-3") << -3;
        QTest::newRow("-2") << -2;
    }
    void consoleUnits() {
        QFETCH(int, unit);
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        QCOMPARE(text->unitNumber, -3);
        controller.texts->write(-3, "first\n");
        text->moveCursor(QTextCursor::Start);  // a click into the text does not move the output
        QCOMPARE(controller.texts->write(unit, "second\n"), 1);
        QCOMPARE(text->toPlainText(), QString("first\nsecond\n"));
        QCOMPARE(text->textCursor().position(), text->toPlainText().size());
        QCOMPARE(controller.texts->write(42, "nowhere"), -1);
    }

    void typingWithoutReadChangesNothing() {
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        controller.texts->write(-3, "output line\n");
        QApplication::clipboard()->setText("clipboard");
        QTest::keyClicks(text, "typed");
        QTest::keyClick(text, 'H', Qt::ShiftModifier);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(text, key);
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        controller.mainWindow->paste();
        QCOMPARE(text->toPlainText(), QString("output line\n"));

        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("output line\n"));
    }

    void readLine_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leftPresses");
        QTest::addColumn<bool>("cursorIntoOutput");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole line") << "0.25, 42" << 0 << false << "0.25, 42"
                                    << "Value? 0.25, 42\n";
        QTest::newRow("Enter in the middle") << "12345" << 2 << false << "123"
                                             << "Value? 123\n45";
        QTest::newRow("empty line") << "" << 0 << false << ""
                                    << "Value? \n";
        QTest::newRow("cursor up in the output") << "7" << 0 << true << "7"
                                                 << "Value? 7\n";
    }
    void readLine() {
        QFETCH(QString, typed);
        QFETCH(int, leftPresses);
        QFETCH(bool, cursorIntoOutput);
        QFETCH(QString, line);
        QFETCH(QString, shown);
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        QAction* paste = action(controller.mainWindow, "actionPaste");
        controller.texts->write(-3, "Value? ");
        QVERIFY(!paste->isEnabled());
        Read read;
        QCOMPARE(read.start(controller, -3), 1);
        QCOMPARE(controller.texts->readingWindow, text);
        QVERIFY(paste->isEnabled());

        QTest::keyClicks(text, typed);
        for (int i = 0; i < leftPresses; ++i) QTest::keyClick(text, Qt::Key_Left);
        if (cursorIntoOutput) QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(!read.answered);
        QTest::keyClick(text, Qt::Key_Return);

        QCOMPARE(read.line(), line);
        QCOMPARE(text->toPlainText(), shown);
        QCOMPARE(text->inputStart, -1);
        QVERIFY(!text->isUndoRedoEnabled());
        QVERIFY(!paste->isEnabled());
        QVERIFY(controller.texts->readingWindow == nullptr);
        QTest::keyClicks(text, "late");  // output-only again
        QCOMPARE(text->toPlainText(), shown);
    }

    void pasteGoesIntoTheInputLine() {
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        QApplication::clipboard()->setText("3.5");
        controller.texts->write(-3, "Edge? ");
        Read read;
        read.start(controller, -3);
        QTest::keyClicks(text, "1");
        QTest::keyClick(text, Qt::Key_Home, Qt::ControlModifier);  // cursor before the input line
        action(controller.mainWindow, "actionPaste")->trigger();
        QCOMPARE(text->toPlainText(), QString("Edge? 13.5"));
        QTest::keyClick(text, Qt::Key_Enter);
        QCOMPARE(read.line(), QString("13.5"));
    }

    void closingTheReadWindowCancelsTheRead_data() {
        QTest::addColumn<int>("readUnit");
        QTest::addColumn<QString>("how");
        QTest::newRow("user closes, read on -2") << -2 << "user";
        QTest::newRow("user closes, read on -3") << -3 << "user";
        QTest::newRow("program closes -3") << -2 << "-3";
        QTest::newRow("program closes -2") << -2 << "-2";
        QTest::newRow("Window menu Close") << -3 << "menu";
        QTest::newRow("main window closes") << -4 << "main";
    }
    void closingTheReadWindowCancelsTheRead() {
        QFETCH(int, readUnit);
        QFETCH(QString, how);
        Program_Session controller(nullptr, {});
        QSignalSpy mainClosed(controller.mainWindow, &MainWindow::willDestroy);
        Read read;
        QCOMPARE(read.start(controller, readUnit), 1);

        if (how == "user")
            controller.subWindowForUnit(-3)->close();
        else if (how == "main")
            QVERIFY(controller.mainWindow->close());
        else if (how == "menu")
            action(controller.mainWindow, "actionClose")->trigger();
        else
            QCOMPARE(controller.closeWindowForUnit(how.toInt()), 1);

        QVERIFY(read.givenUp());
        QVERIFY(controller.texts->readingWindow == nullptr);
        QVERIFY(controller.textWindows.isEmpty());
        QVERIFY(!action(controller.mainWindow, "actionPaste")->isEnabled());
        QVERIFY(controller.mainWindow->currentContent() == nullptr);
        QCOMPARE(mainClosed.count(), how == "main" ? 1 : 0);
        QTRY_VERIFY(controller.mdiArea->subWindowList().isEmpty());
        // The next write opens the console again, unless the program is ending.
        QCOMPARE(controller.texts->write(-3, "back"), how == "main" ? -1 : 1);
    }

    // After Close All, or the console closed by hand, the next report or
    // question of the design program opens the console again: empty, with
    // its title, where it was.
    void aClosedConsoleOpensAgainForTheNextWriteOrRead_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("read");
        QTest::newRow("Close All, write") << "all" << false;
        QTest::newRow("Close All, read") << "all" << true;
        QTest::newRow("closed by hand, write") << "user" << false;
        QTest::newRow("closed by hand, read") << "user" << true;
    }
    void aClosedConsoleOpensAgainForTheNextWriteOrRead() {
        QFETCH(QString, how);
        QFETCH(bool, read);
        Program_Session controller(nullptr, {});
        const QString title = controller.subWindowForUnit(-3)->windowTitle();
        controller.texts->write(-2, "old report\n");
        SubWindow* sub = controller.subWindowForUnit(-3);
        sub->showNormal();
        const QRect place(40, 30, 500, 300);
        sub->setGeometry(place);
        if (how == "all")
            action(controller.mainWindow, "actionCloseAll")->trigger();
        else
            sub->close();
        QTRY_VERIFY(controller.mdiArea->subWindowList().isEmpty());
        QVERIFY(console(controller) == nullptr);

        Read pending;
        if (read) {
            QCOMPARE(pending.start(controller, -3), 1);
            QCOMPARE(controller.texts->readingWindow, console(controller));
        } else {
            QCOMPARE(controller.texts->write(-4, "Next action?"), 1);
        }
        QVERIFY(console(controller) != nullptr);
        QCOMPARE(console(controller)->toPlainText(), read ? QString() : QString("Next action?"));
        SubWindow* again = controller.subWindowForUnit(-3);
        QVERIFY(again != nullptr);
        QCOMPARE(again->windowTitle(), title);
        QCOMPARE(again->geometry(), place);
        if (read) controller.closeWindowForUnit(-3);  // gives the read up
    }

    void closingAnotherWindowLeavesTheReadAlone() {
        Program_Session controller(nullptr, {});
        controller.texts->open(1000000, "Other", QString());
        controller.texts->open(1000001, "Closed by the program", QString());
        Read read;
        read.start(controller, -2);
        controller.subWindowForUnit(1000000)->close();
        QCOMPARE(controller.closeWindowForUnit(1000001), 1);
        QCOMPARE(controller.closeWindowForUnit(1000001), 0);
        QVERIFY(!read.answered);
        QCOMPARE(controller.texts->readingWindow, console(controller));
        QCOMPARE(controller.textWindows.keys(), QList<int>{-2});
        // The console is in front again, so the menus act on it.
        QCOMPARE(controller.mainWindow->currentContent(), content(console(controller)));
    }

    void readForUnitWithoutWindowIsGivenUp() {
        Program_Session controller(nullptr, {});
        Read read;
        QCOMPARE(read.start(controller, 77), -1);
        QVERIFY(read.givenUp());
    }

    void menus_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("File") << "menuFile"
                              << "&File" << QStringList{"&Open Design…", "-",      "&Save", "Save &As", "-",
                                                        "P&rint Setup",  "&Print", "&Quit"};
        QTest::newRow("Edit") << "menuEdit"
                              << "&Edit" << QStringList{"C&ut", "&Copy", "&Paste", "-", "&Undo", "&Redo", "-", "&Font"};
        QTest::newRow("Window") << "menuWindow"
                                << "&Window" << QStringList{"Cl&ose",   "Close &All", "-",     "&Tile",
                                                            "&Cascade", "-",          "Ne&xt", "Pre&vious"};
    }
    void menus() {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        MainWindow window(new QMdiArea);
        QMenu* m = window.findChild<QMenu*>(menu);
        QVERIFY(m != nullptr);
        QCOMPARE(m->title(), title);
        // Without content the edit actions are hidden; show them to see the order.
        for (QAction* a : m->actions())
            if (!a->isSeparator()) a->setVisible(true);
        QCOMPARE(entries(m), items);
    }

    void actions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<bool>("enabled");
        using K = QKeySequence;
        QTest::newRow("Save") << "actionSave" << K(K::Save) << "Saves output to file" << false;
        QTest::newRow("Save As") << "actionSaveAs" << K(K::SaveAs) << "Prompt for file name and saves output to file"
                                 << false;
        QTest::newRow("Print Setup") << "actionPrintSetup" << K() << "Displays printer setup dialog" << false;
        QTest::newRow("Print") << "actionPrint" << K(K::Print) << "Prints output" << false;
        QTest::newRow("Quit") << "actionQuit" << K(K::Quit) << "Close all windows and exit" << true;
        QTest::newRow("Cut") << "actionCut" << K(K::Cut) << "Cut the current selection's contents to the clipboard"
                             << false;
        QTest::newRow("Copy") << "actionCopy" << K(K::Copy) << "Copy the current selection's contents to the clipboard"
                              << false;
        QTest::newRow("Paste") << "actionPaste" << K(K::Paste)
                               << "Paste the clipboard's contents into the current selection" << false;
        QTest::newRow("Undo") << "actionUndo" << K(K::Undo) << "Undo last event" << false;
        QTest::newRow("Redo") << "actionRedo" << K(K::Redo) << "Redo last event" << false;
        QTest::newRow("Font") << "actionFont" << K() << "Select the current font through the font dialog" << true;
        QTest::newRow("Close") << "actionClose" << K("Ctrl+F4") << "Close the active window" << true;
        QTest::newRow("Close All") << "actionCloseAll" << K() << "Close all the windows" << true;
        QTest::newRow("Tile") << "actionTile" << K() << "Tile the windows" << true;
        QTest::newRow("Cascade") << "actionCascade" << K() << "Cascade the windows" << true;
        QTest::newRow("Next") << "actionNext" << K(K::NextChild) << "Move the focus to the next window" << true;
        QTest::newRow("Previous") << "actionPrevious" << K(K::PreviousChild) << "Move the focus to the previous window"
                                  << true;
    }
    void actions() {
        QFETCH(QString, name);
        QFETCH(QKeySequence, shortcut);
        QFETCH(QString, tip);
        QFETCH(bool, enabled);
        MainWindow window(new QMdiArea);
        QAction* a = action(&window, name);
        QVERIFY(a != nullptr);
        QCOMPARE(a->shortcut(), shortcut);
        QCOMPARE(a->statusTip(), tip);
        QCOMPARE(a->isEnabled(), enabled);
    }

    void currentContentSetsTheActions() {
        Program_Session controller(nullptr, {});
        MainWindow* main = controller.mainWindow;
        UIK_TextEdit* text = console(controller);
        auto check = [main](bool editVisible, bool fileEnabled) {
            for (const char* n : {"actionCut", "actionCopy", "actionPaste", "actionUndo", "actionRedo"})
                QCOMPARE(action(main, n)->isVisible(), editVisible);
            for (const char* n : {"actionSave", "actionSaveAs", "actionPrint", "actionPrintSetup"})
                QCOMPARE(action(main, n)->isEnabled(), fileEnabled);
        };
        QCOMPARE(main->currentContent(), content(text));
        check(true, true);
        controller.texts->write(-3, "some output\n");
        text->selectAll();
        QVERIFY(action(main, "actionCut")->isEnabled());
        action(main, "actionCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("some output\n"));

        auto* chart = new ChartContent(1000001);
        SubWindow* chartWindow = controller.createSubWindow(chart, chart, "Chart", 300, 200);
        QCOMPARE(chartWindow->property("unit").toInt(), 1000001);
        controller.subWindowActivated(chartWindow);
        QCOMPARE(main->currentContent(), static_cast<UIK_ContentController*>(chart));
        check(false, true);
        text->moveCursor(QTextCursor::End);
        text->selectAll();  // the console no longer drives the edit actions
        QVERIFY(!action(main, "actionCopy")->isEnabled());

        chartWindow->showMinimized();
        controller.subWindowActivated(chartWindow);
        QVERIFY(main->currentContent() == nullptr);
        check(false, false);

        controller.activateWindowForUnit(-2);
        QCOMPARE(main->currentContent(), content(text));
        check(true, true);
        QVERIFY(action(main, "actionCopy")->isEnabled());  // the selection made meanwhile
    }

    void windowMenuListsTheSubWindows() {
        Program_Session controller(nullptr, {});
        controller.texts->open(1000000, "Log & Notes", QString());
        controller.texts->open(1000001, "Report", QString());
        controller.activateWindowForUnit(1000000);
        QMenu* menu = controller.mainWindow->findChild<QMenu*>("menuWindow");
        emit menu->aboutToShow();

        QStringList titles, checked;
        for (QAction* a : windowList(menu)) {
            QVERIFY(a->isCheckable());
            titles << a->text();
            if (a->isChecked()) checked << a->text();
        }
        QCOMPARE(titles, (QStringList{controller.subWindowForUnit(-3)->windowTitle(), "Log && Notes", "Report"}));
        QCOMPARE(checked, QStringList{"Log && Notes"});
        QVERIFY(menu->actions().at(menu->actions().size() - 4)->isVisible());

        windowList(menu).at(2)->trigger();
        QCOMPARE(controller.mdiArea->currentSubWindow()->windowTitle(), QString("Report"));
        QCOMPARE(controller.mainWindow->currentContent(), controller.contentForUnit(1000001));
        emit menu->aboutToShow();
        QVERIFY(windowList(menu).at(2)->isChecked());

        action(controller.mainWindow, "actionCloseAll")->trigger();
        QTRY_VERIFY(controller.mdiArea->subWindowList().isEmpty());
        QVERIFY(controller.textWindows.isEmpty());
        emit menu->aboutToShow();
        QVERIFY(menu->actions().last()->isSeparator());
        QVERIFY(!menu->actions().last()->isVisible());
    }

    void saveWritesOnlyModifiedText() {
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        const QString defaultName = text->title + " output";
        controller.texts->write(-3, "line 1\n");
        action(controller.mainWindow, "actionSave")->trigger();
        QCOMPARE(fileText(defaultName), QString("line 1\n"));

        QVERIFY(QFile::remove(defaultName));
        text->save(QString());
        QVERIFY(!QFile::exists(defaultName));

        controller.texts->write(-3, "line 2\n");
        text->save("named.txt");
        QVERIFY(!QFile::exists(defaultName));
        QCOMPARE(fileText("named.txt"), QString("line 1\nline 2\n"));
    }

    void saveAsAsksForTheFile_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }
    void saveAsAsksForTheFile() {
        QFETCH(bool, accept);
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        controller.texts->write(-3, "report\n");
        text->save(QString());  // unmodified from here on
        const QString target = QDir::current().filePath("chosen.txt");
        QFile::remove(target);
        QStringList seen;
        whenModalAppears([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr) return pressCancel(w);
            seen << dialog->windowTitle() << dialog->directory().absolutePath()
                 << QFileInfo(dialog->selectedFiles().value(0)).fileName() << dialog->defaultSuffix()
                 << dialog->nameFilters().join(";") << QString::number(dialog->acceptMode());
            if (!accept) return dialog->reject();
            // A file name edit with the focus keeps what it shows.
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
            dialog->selectFile(target);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(text->saveAs(), accept);
        QCOMPARE(seen,
                 (QStringList{"Save " + text->title + " As", QDir::current().absolutePath(), text->title + " output",
                              "txt", "All Files (*.*)", QString::number(QFileDialog::AcceptSave)}));
        QCOMPARE(fileText(target), accept ? QString("report\n") : QString());
    }

    void printAsksWithPrintDocumentDialog() {
        Program_Session controller(nullptr, {});
        bool seen = false;
        whenModalTitled("Print Document", [&seen](QWidget* w) {
            seen = true;
            pressCancel(w);
        });
        action(controller.mainWindow, "actionPrint")->trigger();
        QVERIFY(seen);
    }

    void textWindowFontAndChoosingAnother() {
        Program_Session controller(nullptr, {});
        UIK_TextEdit* text = console(controller);
        // Courier New when it is installed with fixed pitch, else the system's
        // fixed font: the report's columns need fixed pitch either way.
        QVERIFY(QFontInfo(text->font()).fixedPitch());
        if (QFontInfo(QFont("Courier New", 10)).fixedPitch()) QCOMPARE(text->font().family(), QString("Courier New"));
        QCOMPARE(text->font().pointSize(), 10);
        QVERIFY(!text->font().bold() && !text->font().italic());
        QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(!text->isUndoRedoEnabled());

        bool monospacedOnly = false;
        whenModalAppears([&monospacedOnly](QWidget* w) {
            auto* dialog = qobject_cast<QFontDialog*>(w);
            if (dialog == nullptr) return pressCancel(w);
            monospacedOnly = dialog->testOption(QFontDialog::MonospacedFonts);
            QFont font = dialog->currentFont();
            font.setPointSize(14);
            dialog->setCurrentFont(font);
            dialog->accept();
        });
        action(controller.mainWindow, "actionFont")->trigger();
        QVERIFY(monospacedOnly);
        QCOMPARE(text->font().pointSize(), 14);
    }

    // Print uses the program's one printer, the one File > Print Setup
    // configures, so a page set-up chosen there holds for the next Print.
    // (Qt offers its page set-up dialog only for native printers, which this
    // machine may not have; the set-up is made on that printer directly.)
    void printUsesThePrintSetup() {
        Program_Session controller(nullptr, {});
        Content_Printer().setPageOrientation(QPageLayout::Landscape);
        bool samePrinter = false;
        QPageLayout::Orientation seen = QPageLayout::Portrait;
        whenModalTitled("Print Document", [&](QWidget* w) {
            if (auto* dialog = qobject_cast<QPrintDialog*>(w)) {
                samePrinter = dialog->printer() == &Content_Printer();
                seen = dialog->printer()->pageLayout().orientation();
            }
            pressCancel(w);
        });
        action(controller.mainWindow, "actionPrint")->trigger();
        Content_Printer().setPageOrientation(QPageLayout::Portrait);
        QVERIFY(samePrinter);
        QCOMPARE(seen, QPageLayout::Landscape);
    }

    void windowSizesAndPlacement_data() {
        QTest::addColumn<QString>("access");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("type");
        QTest::newRow("default") << "" << QSize(768, 576) << "Window";
        QTest::newRow("width and height") << "Window,400,300" << QSize(400, 300) << "window";
        QTest::newRow("width only") << " Text ,500" << QSize(500, 576) << "text";
        QTest::newRow("empty parts dropped") << ",,text,,640,,480" << QSize(640, 480) << "text";
        QTest::newRow("bad width keeps default") << "window,wide,300" << QSize(768, 300) << "window";
    }
    void windowSizesAndPlacement() {
        QFETCH(QString, access);
        QFETCH(QSize, size);
        QFETCH(QString, type);
        Program_Session controller(nullptr, {});
        SubWindow* consoleWindow = controller.subWindowForUnit(-3);
        QVERIFY(controller.mainWindow->isMaximized());
        QVERIFY(consoleWindow->isMaximized());
        consoleWindow->showNormal();
        QCOMPARE(controller.mainWindow->windowTitle(), consoleWindow->windowTitle());
        QCOMPARE(consoleWindow->size(), QSize(768, 576));
        const QPoint origin = consoleWindow->pos();

        controller.texts->open(1000000, "Second", access);
        SubWindow* second = controller.subWindowForUnit(1000000);
        QVERIFY(second != nullptr);
        QCOMPARE(second->windowTitle(), QString("Second"));
        QCOMPARE(controller.textWindows.value(1000000)->access, type);
        QCOMPARE(controller.mainWindow->currentContent(), controller.contentForUnit(1000000));
        QVERIFY(second->isMaximized());
        second->showNormal();
        QCOMPARE(second->pos(), origin + QPoint(20, 20));
        QCOMPARE(second->size(), size);

        controller.moveWindowForUnit(1000000, 5, 7);
        QCOMPARE(second->pos(), QPoint(5, 7));
        controller.moveWindowForUnit(-4, 11, 13);
        QCOMPARE(consoleWindow->pos(), QPoint(11, 13));
    }

private:
    QTemporaryDir tempDir_;
};

QTEST_MAIN(TestTextWindows)
#include "test_text_windows.moc"
