// Sub-windows and text windows: one window per unit, output written to text
// windows, lines read from them, and the requests that move, activate, hide
// and close unit windows.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextCursor>

#include "GlueManager.h"
#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"
#include "UIK_TextEdit.h"
#include "WindowController.h"

namespace {

constexpr int Console_Unit = -3;       // the unit the console is created as
constexpr int Console_Key = -2;        // the key of the console units -2, -3 and -4
constexpr int Placement_Offset = 20;  // a new sub-window sits this far right and down of the active one
constexpr QChar Backspace(8);
constexpr QChar Bell(7);

// The default size of a unit window: in windowed mode three quarters of the
// default window size (fractions dropped).
QSize defaultUnitWindowSize(bool windowed) {
    const int width = UIK_Pref_Window_Width();
    const int height = UIK_Pref_Window_Height();
    if (!windowed) return QSize(width, height);
    return QSize(width * 3 / 4, height * 3 / 4);
}

// The sub-window that holds `widget` (nullptr when none).
SubWindow* subWindowHolding(QMdiArea* area, const QWidget* widget) {
    if (area == nullptr || widget == nullptr) return nullptr;
    for (QMdiSubWindow* window : area->subWindowList())
        if (window->widget() == widget) return qobject_cast<SubWindow*>(window);
    return nullptr;
}

// The sub-window whose "unit" property names the same unit as `unit`; the
// console is created as -3 but is also addressed as -2 and -4.
SubWindow* subWindowNaming(QMdiArea* area, int unit) {
    if (area == nullptr) return nullptr;
    for (QMdiSubWindow* window : area->subWindowList()) {
        const QVariant property = window->property("unit");
        if (property.isValid() && WindowController::unitKey(property.toInt()) == WindowController::unitKey(unit))
            return qobject_cast<SubWindow*>(window);
    }
    return nullptr;
}

QWidget* widgetOf(UIK_ContentController* content) { return dynamic_cast<QWidget*>(content); }

// Appends `text` at the end of the document and leaves the cursor there.
void append(UIK_TextEdit* window, const QString& text) {
    QTextCursor cursor = window->textCursor();
    cursor.movePosition(QTextCursor::End);
    if (!text.isEmpty()) cursor.insertText(text);
    window->setTextCursor(cursor);
}

}  // namespace

void WindowController::createWindowForUnit(int unit, QString windowName, QString accessString) {
    // A unit has one text window; opening it again brings that one forward.
    if (textWindows.contains(unitKey(unit))) {
        activateWindowForUnit(unit);
        return;
    }

    QSize size = defaultUnitWindowSize(windowedMode);
    QString windowType = QStringLiteral("Window");
    const QStringList parts = accessString.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (!parts.isEmpty()) windowType = parts.at(0).toLower().trimmed();
    bool ok = false;
    if (parts.size() > 1) {
        const int width = parts.at(1).trimmed().toInt(&ok, 10);
        if (ok && width > 0) size.setWidth(width);
    }
    if (parts.size() > 2) {
        const int height = parts.at(2).trimmed().toInt(&ok, 10);
        if (ok && height > 0) size.setHeight(height);
    }

    // A spreadsheet is opened through unit I/O like a text window, with the
    // window type "spreadsheet"; it gets a table instead, of the size the
    // access string gives (restored to that size when shown maximized).
    QString kind = windowType;
    if (kind.startsWith(QLatin1String("access="))) kind = kind.mid(7).trimmed();
    if (kind == QLatin1String("spreadsheet")) {
        createSpreadsheetForUnit(unit, windowName);
        if (parts.size() > 1) {
            if (SubWindow* sub = subWindowForUnit(unit)) {
                const bool maximized = sub->isMaximized();
                if (maximized) sub->showNormal();
                sub->resize(size);
                if (maximized) sub->showMaximized();
            } else if (QWidget* sheet = widgetOf(contentForUnit(unit))) {
                sheet->window()->resize(size);
            }
        }
        return;
    }

    auto* window = new UIK_TextEdit(unit, windowName, windowType);
    connect(window, &UIK_TextEdit::endRead, this, &WindowController::endReadText);
    contents.insert(unitKey(unit), window);

    if (windowedMode) {
        SubWindow* sub = createSubWindow(window, window, windowName, size.width(), size.height());
        sub->setProperty("unit", unit);
        mainWindow->setCurrentContent(window);
    } else {
        window->setWindowTitle(windowName);
        window->resize(size);
        window->show();
    }
}

SubWindow* WindowController::createSubWindow(QWidget* widget, UIK_ContentController* content, const QString& title,
                                             int width, int height) {
    if (mdiArea == nullptr) {
        mdiArea = new QMdiArea;
        mdiArea->setObjectName(QStringLiteral("mdiArea"));
        // Windows that do not fit are scrolled to: tiling and cascading never
        // grow the main window (without scroll bars the area would resize it).
        mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        connect(mdiArea, &QMdiArea::subWindowActivated, this, &WindowController::subWindowActivated);
    }

    auto* sub = new SubWindow;
    sub->content = content;
    sub->setWidget(widget);
    if (content != nullptr) sub->setProperty("unit", content->unitNumber);
    connect(sub, &SubWindow::willDestroy, this, &WindowController::willDestroy);
    mdiArea->addSubWindow(sub);
    sub->setWindowTitle(title);

    if (mainWindow != nullptr) {
        const QMdiSubWindow* active = mdiArea->currentSubWindow();
        const QPoint origin = (active != nullptr && active != sub) ? active->pos() : mainWindow->pos();
        sub->move(origin + QPoint(Placement_Offset, Placement_Offset));
    } else {
        mainWindow = new MainWindow(this, mdiArea);
        mainWindow->setWindowTitle(title);
        if (UIK_Pref_Maximized()) {
            mainWindow->showMaximized();
        } else {
            mainWindow->resize(UIK_Pref_Window_Width(), UIK_Pref_Window_Height());
            mainWindow->show();
        }
    }

    sub->resize(width, height);
    if (UIK_Pref_Maximized())
        sub->showMaximized();
    else
        sub->show();
    return sub;
}

UIK_TextEdit* WindowController::textWindowForWriting(int unit) {
    UIK_TextEdit* window = textWindows.value(unitKey(unit));
    if (window != nullptr || unitKey(unit) != Console_Key || !UIK_Pref_Show_Console()) return window;
    // Once the main window has closed, the program is ending: nothing reopens.
    if (windowedMode && (mainWindow == nullptr || !mainWindow->isVisible())) return nullptr;
    createWindowForUnit(Console_Unit, consoleTitle, QString());
    window = textWindows.value(Console_Key);
    if (window == nullptr || !consolePlace.isValid()) return window;
    if (SubWindow* sub = subWindowHolding(mdiArea, window)) {
        if (consoleMaximized) {
            sub->showMaximized();
        } else {
            sub->showNormal();
            sub->setGeometry(consolePlace);
        }
    } else if (!windowedMode) {
        window->window()->setGeometry(consolePlace);
    }
    return window;
}

int WindowController::writeTextToUnit(int unit, QString text) {
    UIK_TextEdit* window = textWindowForWriting(unit);
    if (window == nullptr) return -1;

    // Control characters act instead of being shown: a backspace removes the
    // character before it, a bell beeps.
    int from = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != Backspace && c != Bell) continue;
        append(window, text.mid(from, i - from));
        if (c == Backspace) {
            QTextCursor cursor = window->textCursor();
            cursor.deletePreviousChar();
            window->setTextCursor(cursor);
        } else {
            QApplication::beep();
        }
        from = i + 1;
    }
    append(window, text.mid(from));
    return 1;
}

int WindowController::startReadingInput(int unit) {
    UIK_TextEdit* window = textWindowForWriting(unit);
    if (window == nullptr) {
        // Nothing can ever answer this read: give it up, so the design
        // program gets -1 instead of waiting for good.
        if (glue_ != nullptr) glue_->cancelRead(unit);
        return -1;
    }

    readingWindow = window;
    window->beginRead();
    activateWindowForUnit(unit);
    window->setFocus();
    if (mainWindow != nullptr) mainWindow->pasteAction()->setEnabled(true);
    return 1;
}

void WindowController::endReadText() {
    UIK_TextEdit* window = qobject_cast<UIK_TextEdit*>(sender());
    if (window == nullptr) window = readingWindow;
    QString line;
    if (window != nullptr) {
        line = window->inputLine;
        window->inputLine.clear();
    }
    if (mainWindow != nullptr) mainWindow->pasteAction()->setEnabled(false);
    readingWindow = nullptr;
    if (glue_ != nullptr) glue_->answerRead(line);
}

int WindowController::closeWindowForUnit(int unit) {
    UIK_ContentController* content = contentForUnit(unit);
    if (content == nullptr) return 0;
    QWidget* widget = widgetOf(content);

    if (windowedMode) {
        SubWindow* sub = subWindowHolding(mdiArea, widget);
        if (sub != nullptr) {
            mdiArea->removeSubWindow(sub);
            sub->close();  // gives up a pending read and forgets the unit
            willDestroy(content);
            if (mainWindow != nullptr) mainWindow->setCurrentContent(nullptr);
            delete sub;
            // Whatever the area shows as current now is the content the menus act on.
            if (mdiArea->currentSubWindow() != nullptr) subWindowActivated(mdiArea->currentSubWindow());
            return 1;
        }
    } else if (widget != nullptr) {
        widget->window()->close();
    }
    willDestroy(content);
    return 1;
}

void WindowController::hideWindowForUnit(int unit) {
    if (windowedMode) {
        closeWindowForUnit(unit);
        return;
    }
    if (QWidget* widget = widgetOf(contentForUnit(unit))) widget->window()->hide();
}

void WindowController::moveWindowForUnit(int unit, int x, int y) {
    if (windowedMode) {
        if (SubWindow* sub = subWindowNaming(mdiArea, unit)) sub->move(x, y);
        return;
    }
    if (QWidget* widget = widgetOf(contentForUnit(unit))) widget->window()->move(x, y);
}

void WindowController::activateWindowForUnit(int unit) {
    if (windowedMode) {
        SubWindow* sub = subWindowNaming(mdiArea, unit);
        if (sub == nullptr) return;
        mdiArea->setActiveSubWindow(sub);
        // An inactive main window does not activate sub-windows: make the
        // content current directly.
        subWindowActivated(sub);
        return;
    }
    if (QWidget* widget = widgetOf(contentForUnit(unit))) {
        widget->window()->show();
        widget->window()->raise();
        widget->window()->activateWindow();
    }
}

void WindowController::cascadeWindows() {
    if (mdiArea != nullptr) mdiArea->cascadeSubWindows();
}

void WindowController::tileWindows() {
    if (mdiArea != nullptr) mdiArea->tileSubWindows();
}

void WindowController::subWindowActivated(QMdiSubWindow* window) {
    if (mainWindow == nullptr) return;
    UIK_ContentController* content = nullptr;
    if (window != nullptr && !window->isMinimized())
        if (auto* sub = qobject_cast<SubWindow*>(window)) content = sub->content;
    mainWindow->setCurrentContent(content);
}

void WindowController::willDestroy(UIK_ContentController* content) {
    if (content == nullptr) return;
    if (textWindows.value(Console_Key) != nullptr && contents.value(Console_Key) == content) {
        // Where the console was, for opening it again there.
        QWidget* widget = widgetOf(content);
        if (SubWindow* sub = subWindowHolding(mdiArea, widget)) {
            consoleMaximized = sub->isMaximized();
            consolePlace = sub->isMaximized() ? sub->normalGeometry() : sub->geometry();
        } else if (widget != nullptr) {
            consoleMaximized = false;
            consolePlace = widget->window()->geometry();
        }
    }
    for (auto it = contents.begin(); it != contents.end();) it = it.value() == content ? contents.erase(it) : ++it;
    if (readingWindow != nullptr && static_cast<UIK_ContentController*>(readingWindow) == content) {
        readingWindow = nullptr;
        if (mainWindow != nullptr) mainWindow->pasteAction()->setEnabled(false);
    }
    if (mainWindow != nullptr && mainWindow->currentContent() == content) mainWindow->setCurrentContent(nullptr);
}
