#include "WindowController.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QVariant>
#include <csignal>
#include <cstdlib>

#include "GlueManager.h"
#include "Program_Stop.h"
#include "MainWindow.h"
#include "SubWindow.h"
#include "UIK_FormDialog.h"
#include "UIK_Preferences.h"
#include "UIK_TextEdit.h"
#include "UIK_Timer.h"
#include "XYPlot.h"
#include "UIK_Spreadsheet.h"
#include "BarChart.h"
#include "PieChart.h"
#include "PolarPlot.h"
#include "ContourPlot.h"
#include "Canvas.h"

namespace {
constexpr int Console_Unit = -3;
}  // namespace

WindowController::WindowController(QApplication* application, std::function<void()> program) : QObject(nullptr) {
    UIK_Stop_Requested.store(false, std::memory_order_release);
    KALTAP_Clear_Stop_Request();
    UIK_Idle.store(false, std::memory_order_release);
    windowedMode = UIK_Pref_Use_MDI();
    // a. The console window, named after the executable; it creates the main window.
    consoleTitle = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    createWindowForUnit(Console_Unit, consoleTitle, QString());
    // b.
    if (!UIK_Pref_Show_Console()) {
        if (windowedMode) {
            if (SubWindow* console = subWindowForUnit(Console_Unit)) console->close();
        } else if (UIK_TextEdit* console = textWindows.value(unitKey(Console_Unit))) {
            console->window()->hide();
        }
    }
    // c. The glue, reachable by the design program's thread.
    glue_ = new GlueManager(this);
    connectGlue(glue_);
    UIK_Glue.store(glue_, std::memory_order_release);
    // d. Answers go back to the glue.
    connect(this, &WindowController::finishRead, glue_, &GlueManager::finishRead);
    connect(this, &WindowController::endModalDialog, glue_, &GlueManager::endModalDialog);
    connect(this, &WindowController::endAlertDialog, glue_, &GlueManager::endAlertDialog);
    connect(this, &WindowController::endWindowSyncOperation, glue_, &GlueManager::endWindowSyncOperation);
    connect(this, &WindowController::windowContentsSaved, glue_, &GlueManager::windowContentsSaved);
    connect(this, &WindowController::finishReadSpreadsheet, glue_, &GlueManager::finishReadSpreadsheet);
    connect(this, &WindowController::gotFileName, glue_, &GlueManager::gotFileName);
    // e.
    if (application != nullptr)
        connect(application, &QGuiApplication::lastWindowClosed, this, &WindowController::destroyProgramThread);
    // f.
    if (program) {
        programThread = new ProgramThread(std::move(program));
        programThread->setStackSize(static_cast<uint>(UIK_Pref_Stack_Size()));
        programThread->start(QThread::InheritPriority);
    }
}

WindowController::~WindowController() {
    destroyProgramThread();
    if (UIK_Glue.load(std::memory_order_acquire) == glue_) UIK_Glue.store(nullptr, std::memory_order_release);
    // The thread is gone, so nothing can be inside a request of the glue any more.
    delete glue_;
    qDeleteAll(dialogs);
    dialogs.clear();
    qDeleteAll(timers);
    timers.clear();
    delete mainWindow;
}

void WindowController::connectGlue(GlueManager* glue) {
    connect(glue, &GlueManager::createWindow, this, &WindowController::createWindowForUnit);
    connect(glue, &GlueManager::writeText, this, &WindowController::writeTextToUnit);
    connect(glue, &GlueManager::textPending, this, &WindowController::writePendingText);
    connect(glue, &GlueManager::startRead, this, &WindowController::startReadingInput);
    connect(glue, &GlueManager::closeWindow, this, &WindowController::closeWindowForUnit);
    connect(glue, &GlueManager::moveWindow, this, &WindowController::moveWindowForUnit);
    connect(glue, &GlueManager::activateUIKWindow, this, &WindowController::activateWindowForUnit);
    connect(glue, &GlueManager::tileUIKWindows, this, &WindowController::tileWindows);
    connect(glue, &GlueManager::cascadeUIKWindows, this, &WindowController::cascadeWindows);
    connect(glue, &GlueManager::getFileNameFromWindow, this, &WindowController::getFileName);
    connect(glue, &GlueManager::alertBox, this, &WindowController::showAlertBox);
    connect(glue, &GlueManager::createDialogWindow, this, &WindowController::createDialog);
    connect(glue, &GlueManager::addLabelToDialog, this, &WindowController::addLabelToDialog);
    connect(glue, &GlueManager::addComboBoxToDialog, this, &WindowController::addComboBoxToDialog);
    connect(glue, &GlueManager::addCheckBoxToDialog, this, &WindowController::addCheckBoxToDialog);
    connect(glue, &GlueManager::addLineEditToDialog, this, &WindowController::addLineEditToDialog);
    connect(glue, &GlueManager::addFileDialogToDialog, this, &WindowController::addFileDialogToDialog);
    connect(glue, &GlueManager::addRadioButtonsToDialog, this, &WindowController::addRadioButtonsToDialog);
    connect(glue, &GlueManager::showDialogWindow, this, &WindowController::showDialogForUnit);
    connect(glue, &GlueManager::createXYPlot, this, &WindowController::createXYPlotForUnit);
    connect(glue, &GlueManager::writeXYPlot, this, &WindowController::writeXYPlot);
    connect(glue, &GlueManager::clearXYPlot, this, &WindowController::clearXYPlot);
    connect(glue, &GlueManager::saveWindowContents, this, &WindowController::saveWindowContentsForUnit);
    connect(glue, &GlueManager::addMenu, this,
            qOverload<int, QString, QString, UIK_Callback, QString>(&WindowController::addMenuItem));
    connect(glue, &GlueManager::enableItem, this, &WindowController::enableMenuItem);
    connect(glue, &GlueManager::checkmarkItem, this, &WindowController::setMenuItemCheckable);
    connect(glue, &GlueManager::checkItem, this, &WindowController::setMenuItemChecked);
    connect(glue, &GlueManager::createTimerWindow, this, &WindowController::createTimer);
    connect(glue, &GlueManager::destroyTimerWindow, this, &WindowController::destroyTimerWithId);
    connect(glue, &GlueManager::createSpreadsheet, this, &WindowController::createSpreadsheetForUnit);
    connect(glue, &GlueManager::closeSpreadsheet, this, &WindowController::closeSpreadsheetForUnit);
    connect(glue, &GlueManager::writeSpreadsheet, this, &WindowController::writeSpreadsheetForUnit);
    connect(glue, &GlueManager::readSpreadsheet, this, &WindowController::readSpreadsheetForUnit);
    connect(glue, &GlueManager::setHorizontalLabels, this, &WindowController::setHorizontalLabelsForUnit);
    connect(glue, &GlueManager::setVerticalLabels, this, &WindowController::setVerticalLabelsForUnit);
    connect(glue, &GlueManager::createBarchart, this, &WindowController::createBarchartForUnit);
    connect(glue, &GlueManager::writeBarchart, this, &WindowController::writeBarchartForUnit);
    connect(glue, &GlueManager::createPieChart, this, &WindowController::createPieChartForUnit);
    connect(glue, &GlueManager::writePieChart, this, &WindowController::writePieChartForUnit);
    connect(glue, &GlueManager::createPolarPlot, this, &WindowController::createPolarPlotForUnit);
    connect(glue, &GlueManager::writePolarPlot, this, &WindowController::writePolarPlotForUnit);
    connect(glue, &GlueManager::clearPolarPlot, this, &WindowController::clearPolarPlotForUnit);
    connect(glue, &GlueManager::createContourPlot, this, &WindowController::createContourPlotForUnit);
    connect(glue, &GlueManager::writeContourPlot, this, &WindowController::writeContourPlotForUnit);
    connect(glue, &GlueManager::clearContourPlot, this, &WindowController::clearContourPlotForUnit);
    connect(glue, &GlueManager::createCanvas, this, &WindowController::createCanvasForUnit);
    connect(glue, &GlueManager::clearCanvas, this, &WindowController::clearCanvasForUnit);
    connect(glue, &GlueManager::createObjectOnCanvas, this, &WindowController::createObjectOnCanvasForUnit);
    connect(glue, &GlueManager::programRunIdle, this, &WindowController::runIdle);
    connect(glue, &GlueManager::closeOnProgramStop, this, &WindowController::closeOnProgramStop);
    connect(glue, &GlueManager::programRoutineDone, this, &WindowController::programRoutineDone);
}

void WindowController::destroyProgramThread() {
    if (programThread == nullptr) return;
    // The design program is told to stop: it notices at the head of its next
    // loop step or request and ends by the orderly stop. Dropping the glue
    // ends every wait for an answer, and the parked thread leaves its park.
    // The thread object goes only once the thread has ended by itself.
    KALTAP_Request_Stop();
    UIK_Interrupt_Handler(SIGINT);
    readingWindow = nullptr;
    programThread->wait();
    // Whatever the thread wrote is seen from here on (see ProgramThread::ended).
    static_cast<void>(programThread->ended.load(std::memory_order_acquire));
    delete programThread;
    programThread = nullptr;
}

void WindowController::closeOnProgramStop() {
    for (auto it = textWindows.begin(); it != textWindows.end();) {
        const int unit = it.key();
        ++it;
        if (unit != unitKey(Console_Unit)) closeWindowForUnit(unit);
    }
    QList<int> units = xyPlots.keys();
    units << spreadsheets.keys() << barCharts.keys() << polarPlots.keys() << contourPlots.keys() << pieCharts.keys()
          << canvases.keys();
    for (int unit : units) closeWindowForUnit(unit);
    if (mainWindow != nullptr) mainWindow->close();
    emit endWindowSyncOperation();
    std::exit(0);
}

UIK_ContentController* WindowController::contentForUnit(int unit) const {
    const int key = unitKey(unit);
    if (UIK_TextEdit* text = textWindows.value(key)) return text;
    if (XYPlot* plot = xyPlots.value(key)) return plot;
    if (UIK_Spreadsheet* sheet = spreadsheets.value(key)) return sheet;
    if (BarChart* chart = barCharts.value(key)) return chart;
    if (PolarPlot* plot = polarPlots.value(key)) return plot;
    if (ContourPlot* plot = contourPlots.value(key)) return plot;
    if (PieChart* chart = pieCharts.value(key)) return chart;
    if (Canvas* canvas = canvases.value(key)) return canvas;
    return nullptr;
}

SubWindow* WindowController::subWindowForUnit(int unit) const {
    if (mdiArea == nullptr) return nullptr;
    for (QMdiSubWindow* w : mdiArea->subWindowList())
        if (w->property("unit").toInt() == unit) return qobject_cast<SubWindow*>(w);
    return nullptr;
}

void WindowController::showErrorBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), text, QMessageBox::Ok, mainWindow);
    box.exec();
}
