// Canvas windows: create one, put shapes on it, clear it. Requests for a unit
// that has no canvas are ignored; none of them has an answer the design
// program waits for.
#include "WindowController.h"

#include <QMdiArea>
#include <QSize>

#include "Canvas.h"
#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"

namespace {
// The largest window a canvas opens in: its own maximum where given, else
// three quarters of the default window size, like every plot window.
QSize windowLimit(const Canvas* canvas) {
    const QSize given = canvas->maxWindowSize();
    return QSize(given.width() > 0 ? given.width() : UIK_Pref_Window_Width() * 3 / 4,
                 given.height() > 0 ? given.height() : UIK_Pref_Window_Height() * 3 / 4);
}
}  // namespace

void WindowController::createCanvasForUnit(int unit, QVariantMap properties) {
    auto* canvas = new Canvas(unit, properties, mainWindow);
    canvases.insert(unitKey(unit), canvas);
    const QString title = canvas->UIK_ContentController::title;
    const QSize limit = windowLimit(canvas);
    // Big enough for the whole canvas, but no larger than the limit; the
    // canvas scrolls inside a smaller window.
    const QSize size = canvas->sizeHint().boundedTo(limit);

    if (!windowedMode) {
        canvas->setWindowFlags(Qt::Window);
        canvas->setWindowTitle(title);
        canvas->resize(size);
        if (UIK_Pref_Maximized())
            canvas->showMaximized();
        else
            canvas->show();
        return;
    }

    SubWindow* window = createSubWindow(canvas, canvas, title, size.width(), size.height());
    if (window == nullptr) return;
    window->setProperty("unit", unit);
    // The sub-window's frame and title bar come on top of the canvas.
    if (!window->isMaximized()) window->resize(window->sizeHint().boundedTo(limit));
    if (mdiArea != nullptr) mdiArea->setActiveSubWindow(window);
    // The new canvas is what File > Save and Print act on.
    if (mainWindow != nullptr) mainWindow->setCurrentContent(canvas);
}

void WindowController::clearCanvasForUnit(int unit, QVariantMap) {
    if (Canvas* canvas = canvases.value(unitKey(unit))) canvas->clear();
}

void WindowController::createObjectOnCanvasForUnit(int objectId, int canvasUnit, QVariantMap properties) {
    if (Canvas* canvas = canvases.value(unitKey(canvasUnit))) canvas->addObject(objectId, properties);
}
