// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubWindow.h"

#include <QCloseEvent>

#include "UIK_ContentController.h"

SubWindow::SubWindow(QWidget* parent) : QMdiSubWindow(parent) {
    setObjectName(QStringLiteral("subWindow"));
    // Closed unit windows are gone for good; their unit may be opened anew.
    setAttribute(Qt::WA_DeleteOnClose);
    // Only the main window decides when the application has no window left.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void SubWindow::closeEvent(QCloseEvent* event) {
    if (content != nullptr && !content->okToClose()) {
        event->ignore();
        return;
    }
    if (content != nullptr) {
        UIK_ContentController* closing = content;
        content = nullptr;
        emit willDestroy(closing);
    }
    QMdiSubWindow::closeEvent(event);
}
