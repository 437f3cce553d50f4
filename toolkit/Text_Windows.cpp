// SPDX-License-Identifier: GPL-3.0-or-later
#include "Text_Windows.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"
#include "UIK_TextEdit.h"
#include "WindowController.h"

namespace {
constexpr int Console_Unit = -3;  // the unit the console is created as
constexpr int Console_Key = -2;   // the key of the console units -2, -3 and -4
}  // namespace

Text_Windows::Text_Windows(WindowController& windows)
    : QObject(&windows),
      consoleTitle(QFileInfo(QCoreApplication::applicationFilePath()).fileName()),
      windows_(windows) {}

void Text_Windows::openConsole() {
    open(Console_Unit, consoleTitle, QString());
    UIK_TextEdit* console = windows_.textWindows.value(Console_Key);
    if (UIK_Pref_Show_Console() || console == nullptr) return;
    if (auto* sub = qobject_cast<SubWindow*>(console->parentWidget()))
        sub->close();
    else
        console->window()->hide();
}

void Text_Windows::open(int unit, const QString& windowName, const QString& access) {
    if (windows_.textWindows.contains(WindowController::unitKey(unit))) {
        windows_.activateWindowForUnit(unit);
        return;
    }
    // Unit windows open at the default window size, in windowed mode at three
    // quarters of it (fractions dropped), unless the access string says.
    QSize size(UIK_Pref_Window_Width(), UIK_Pref_Window_Height());
    if (windows_.windowedMode) size = QSize(size.width() * 3 / 4, size.height() * 3 / 4);
    const QStringList parts = access.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QString type = parts.isEmpty() ? QStringLiteral("Window") : parts.at(0).toLower().trimmed();
    const QString kind = QString(type).remove(QRegularExpression(QStringLiteral("^access="))).trimmed();
    const int width = parts.value(1).trimmed().toInt();
    const int height = parts.value(2).trimmed().toInt();
    if (width > 0) size.setWidth(width);
    if (height > 0) size.setHeight(height);

    if (kind == QLatin1String("spreadsheet")) {
        windows_.createSpreadsheetForUnit(unit, windowName, parts.size() > 1 ? size : QSize());
        return;
    }
    auto* window = new UIK_TextEdit(unit, windowName, type);
    connect(window, &UIK_TextEdit::endRead, this, &Text_Windows::endRead);
    windows_.contents.insert(WindowController::unitKey(unit), window);
    if (windows_.windowedMode) {
        windows_.createSubWindow(window, window, windowName, size.width(), size.height());
        windows_.mainWindow->setCurrentContent(window);
    } else {
        window->setWindowTitle(windowName);
        window->resize(size);
        window->show();
    }
}

UIK_TextEdit* Text_Windows::forWriting(int unit) {
    UIK_TextEdit* window = windows_.textWindows.value(WindowController::unitKey(unit));
    if (window != nullptr || WindowController::unitKey(unit) != Console_Key || !UIK_Pref_Show_Console()) return window;
    // Once the main window has closed, the program is ending: nothing reopens.
    if (windows_.windowedMode && (windows_.mainWindow == nullptr || !windows_.mainWindow->isVisible())) return nullptr;
    open(Console_Unit, consoleTitle, QString());
    window = windows_.textWindows.value(Console_Key);
    if (window == nullptr || !consolePlace_.isValid()) return window;
    if (auto* sub = qobject_cast<SubWindow*>(window->parentWidget())) {
        if (consoleMaximized_) {
            sub->showMaximized();
        } else {
            sub->showNormal();
            sub->setGeometry(consolePlace_);
        }
    } else if (!windows_.windowedMode) {
        window->window()->setGeometry(consolePlace_);
    }
    return window;
}

int Text_Windows::write(int unit, const QString& text) {
    UIK_TextEdit* window = forWriting(unit);
    if (window == nullptr) return -1;
    window->write(text);
    return 1;
}

int Text_Windows::read(int unit, UIK_Answer answer) {
    answer_ = std::move(answer);
    UIK_TextEdit* window = forWriting(unit);
    if (window == nullptr) {
        // Nothing can ever answer this read: give it up, so the design
        // program gets -1 instead of waiting for good.
        finishRead({});
        return -1;
    }
    readingWindow = window;
    window->beginRead();
    windows_.activateWindowForUnit(unit);
    window->setFocus();
    if (windows_.mainWindow != nullptr) windows_.mainWindow->pasteAction()->setEnabled(true);
    return 1;
}

void Text_Windows::endRead() {
    auto* window = qobject_cast<UIK_TextEdit*>(sender());
    const QString line = std::exchange(window->inputLine, QString());
    if (windows_.mainWindow != nullptr) windows_.mainWindow->pasteAction()->setEnabled(false);
    readingWindow = nullptr;
    finishRead({line.toLatin1().toStdString()});
}

void Text_Windows::finishRead(std::vector<std::string> answer) {
    if (UIK_Answer give = std::exchange(answer_, nullptr)) give(std::move(answer));
}

void Text_Windows::forget(UIK_ContentController* content) {
    auto* widget = dynamic_cast<QWidget*>(content);
    if (widget != nullptr && widget == windows_.textWindows.value(Console_Key)) {
        // Where the console was, for opening it again there.
        if (auto* sub = qobject_cast<SubWindow*>(widget->parentWidget())) {
            consoleMaximized_ = sub->isMaximized();
            consolePlace_ = consoleMaximized_ ? sub->normalGeometry() : sub->geometry();
        } else {
            consoleMaximized_ = false;
            consolePlace_ = widget->window()->geometry();
        }
    }
    if (readingWindow != nullptr && widget == readingWindow) {
        readingWindow = nullptr;
        if (windows_.mainWindow != nullptr) windows_.mainWindow->pasteAction()->setEnabled(false);
        finishRead({});
    }
}
