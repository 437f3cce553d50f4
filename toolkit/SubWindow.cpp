#include "SubWindow.h"

#include <QCloseEvent>
#include <atomic>

#include "GlueManager.h"
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
        // The design program may be waiting for a line from this window: give
        // the read up (it returns -1) instead of leaving the program waiting
        // on a window that no longer exists.
        if (GlueManager* glue = UIK_Glue.load(std::memory_order_acquire)) glue->cancelRead(content->unitNumber);
        UIK_ContentController* closing = content;
        content = nullptr;
        emit willDestroy(closing);
    }
    QMdiSubWindow::closeEvent(event);
}
