// Spreadsheet windows: created when the design program opens a unit window
// of type "spreadsheet", filled by writes, read back into the design
// program's block, labelled, and closed.
#include <QMdiArea>
#include <QSize>

#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_Preferences.h"
#include "UIK_Spreadsheet.h"
#include "WindowController.h"

namespace {
// Spreadsheets open at three quarters of the default window size, like plots.
QSize spreadsheetWindowSize() {
    return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4);
}

QString missingSpreadsheet(int unit) {
    return WindowController::tr("Spreadsheet for unit number %1 does not exist").arg(unit);
}
}  // namespace

void WindowController::createSpreadsheetForUnit(int unit, QString windowName) {
    // A unit has one spreadsheet; opening it again brings that one forward.
    if (spreadsheets.contains(unitKey(unit))) {
        activateWindowForUnit(unit);
        return;
    }

    auto* sheet = new UIK_Spreadsheet(unit, windowName, mainWindow);
    spreadsheets.insert(unitKey(unit), sheet);
    const QSize size = spreadsheetWindowSize();

    if (!windowedMode) {
        sheet->setWindowFlags(Qt::Window);
        sheet->setWindowTitle(windowName);
        sheet->resize(size);
        if (UIK_Pref_Maximized())
            sheet->showMaximized();
        else
            sheet->show();
        return;
    }

    SubWindow* window = createSubWindow(sheet, sheet, windowName, size.width(), size.height());
    if (window == nullptr) return;
    window->setProperty("unit", unit);
    if (mdiArea != nullptr) mdiArea->setActiveSubWindow(window);
    // The new spreadsheet is what File > Save and Print act on.
    if (mainWindow != nullptr) mainWindow->setCurrentContent(sheet);
}

void WindowController::closeSpreadsheetForUnit(int unit) {
    if (spreadsheets.contains(unitKey(unit))) closeWindowForUnit(unit);
}

void WindowController::writeSpreadsheetForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    if (UIK_Spreadsheet* sheet = spreadsheets.value(unitKey(unit)))
        sheet->writeBlock(data, dataType, nrows, ncols);
    else
        showErrorBox(missingSpreadsheet(unit));
}

void WindowController::readSpreadsheetForUnit(int unit, void* data, QString dataType, int nrows, int ncols) {
    // A read without a block only waits for the requests before it to be
    // carried out; it touches no window.
    if (data != nullptr) {
        if (UIK_Spreadsheet* sheet = spreadsheets.value(unitKey(unit)))
            sheet->readBlock(data, dataType, nrows, ncols);
        else
            showErrorBox(missingSpreadsheet(unit));
    }
    // The design program waits for its block, also after an error.
    emit finishReadSpreadsheet(data);
}

void WindowController::setHorizontalLabelsForUnit(int unit, QStringList labels) {
    if (UIK_Spreadsheet* sheet = spreadsheets.value(unitKey(unit)))
        sheet->setColumnLabels(labels);
    else
        showErrorBox(missingSpreadsheet(unit));
}

void WindowController::setVerticalLabelsForUnit(int unit, QStringList labels) {
    if (UIK_Spreadsheet* sheet = spreadsheets.value(unitKey(unit)))
        sheet->setRowLabels(labels);
    else
        showErrorBox(missingSpreadsheet(unit));
}
