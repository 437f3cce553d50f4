// SPDX-License-Identifier: GPL-3.0-or-later
// Unit windows: sub-windows of the main window's document area (windowed
// mode) or windows of their own, and the requests that move, activate, hide
// and close them.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "MainWindow.h"
#include "Program_Stop.h"
#include "SubWindow.h"
#include "Text_Windows.h"
#include "UIK_Preferences.h"
#include "WindowController.h"

namespace {

constexpr int Placement_Offset = 20;  // a new sub-window sits this far right and down of the active one

QWidget* widgetOf(UIK_ContentController* content) { return dynamic_cast<QWidget*>(content); }

// The sub-window that holds `content` (nullptr outside windowed mode).
SubWindow* subWindowOf(UIK_ContentController* content) {
    QWidget* widget = widgetOf(content);
    return widget != nullptr ? qobject_cast<SubWindow*>(widget->parentWidget()) : nullptr;
}

}  // namespace

SubWindow* WindowController::subWindowForUnit(int unit) const {
    if (mdiArea == nullptr) return nullptr;
    for (QMdiSubWindow* window : mdiArea->subWindowList()) {
        const QVariant property = window->property("unit");
        if (property.isValid() && unitKey(property.toInt()) == unitKey(unit)) return qobject_cast<SubWindow*>(window);
    }
    return nullptr;
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
        mainWindow = new MainWindow(mdiArea);
        connect(mainWindow, &MainWindow::stopRequested, this, [] { KALTAP_Request_Design_Stop(); });
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

int WindowController::closeWindowForUnit(int unit) {
    UIK_ContentController* content = contentForUnit(unit);
    if (content == nullptr) return 0;
    QWidget* widget = widgetOf(content);

    if (windowedMode) {
        if (SubWindow* sub = subWindowOf(content)) {
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

void WindowController::moveWindowForUnit(int unit, int x, int y) {
    if (windowedMode) {
        if (SubWindow* sub = subWindowForUnit(unit)) sub->move(x, y);
        return;
    }
    if (QWidget* widget = widgetOf(contentForUnit(unit))) widget->window()->move(x, y);
}

void WindowController::activateWindowForUnit(int unit) {
    if (windowedMode) {
        SubWindow* sub = subWindowForUnit(unit);
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

void WindowController::subWindowActivated(QMdiSubWindow* window) {
    if (mainWindow == nullptr) return;
    UIK_ContentController* content = nullptr;
    if (window != nullptr && !window->isMinimized())
        if (auto* sub = qobject_cast<SubWindow*>(window)) content = sub->content;
    mainWindow->setCurrentContent(content);
}

void WindowController::willDestroy(UIK_ContentController* content) {
    if (content == nullptr) return;
    texts->forget(content);
    for (auto it = contents.begin(); it != contents.end();) it = it.value() == content ? contents.erase(it) : ++it;
    if (mainWindow != nullptr && mainWindow->currentContent() == content) mainWindow->setCurrentContent(nullptr);
}
