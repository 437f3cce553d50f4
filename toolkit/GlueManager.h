// The hand-off between the design program's thread and the GUI thread.
//
// The design program runs on `ProgramThread`. Every request it makes (through
// the call interface or through unit I/O on a window unit) becomes one
// `GlueManager` signal, queued to `WindowController` on the GUI thread and
// carried out there in the order raised. A request that returns something
// sets its pending flag before the signal and waits until the GUI thread has
// stored the answer and cleared the flag: on the worker by polling every
// 100 ms. The design program's menu and timer routines run on the worker too,
// handed over once the design program has stopped and its thread parked; only
// without a worker (the window layer's own tests) does one run on the GUI
// thread, where signals are delivered directly and only line and file-name
// reads wait, keeping the event loop running until they are answered.
//
// The flags are atomics written with release and read with acquire, so the
// answer stored before a flag is cleared is visible to the worker that sees
// the flag cleared. Nothing else is shared between the threads.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <atomic>
#include <functional>
#include <mutex>

#include "UIK_Call_Interface.h"

class WindowController;

Q_DECLARE_METATYPE(UIK_Callback)
Q_DECLARE_METATYPE(UIK_Contour_Callback)

class GlueManager : public QObject {
    Q_OBJECT
public:
    explicit GlueManager(WindowController* controller);

    std::atomic<bool> readPending{false};
    std::atomic<bool> readCancelled{false};
    std::atomic<int> readUnit{0};
    std::atomic<bool> fileNamePending{false};
    QString readText;
    void* spreadsheetAnswer = nullptr;
    QString fileName;
    // The 1-based file type chosen in the save-file dialog, handed over with
    // the name by `gotSaveFileName` (0 when cancelled).
    int fileType = 0;
    WindowController* controller = nullptr;
    // Copies of the blocks written to spreadsheets, by unit: the write does
    // not wait, so the window layer must not read the design program's own
    // block. A unit's copies are kept until a read of that unit has been
    // answered, by which time every earlier write has been carried out.
    QHash<int, QList<QByteArray>> spreadsheetBuffers;
    std::atomic<bool> dialogPending{false};
    QStringList dialogAnswer;
    std::atomic<bool> alertPending{false};
    std::atomic<bool> windowSyncPending{false};
    // The outcome of the last saveWindowContents, handed over by
    // `windowContentsSaved` before its wait ends: whether the file was
    // written and, when it was not, why.
    bool contentsSaved = true;
    QString saveFailure;

    // Lines the design program's thread writes to text windows are gathered
    // here and taken by the GUI thread in one go, so a long report costs one
    // hand-over and one insertion per batch, not per line. Each line carries
    // the number of requests of other kinds raised before it; the GUI thread
    // takes only the lines raised before the request it is about to carry
    // out, so text and other requests keep the order they were raised in.
    struct Pending_Text {
        qulonglong requestsBefore;
        int unit;
        QString text;
    };
    // Design program's thread: gathers `text` for `unit`; raises textPending
    // unless a raised one will take it.
    void queueText(int unit, const QString& text);
    // Design program's thread: counts a request of another kind, before its
    // signal is raised.
    void countRequest() { requests_.fetch_add(1, std::memory_order_relaxed); }
    // GUI thread: the gathered lines raised before request number
    // `requestsBefore` + 1, in order, consecutive lines of one unit joined.
    QList<Pending_Text> takeText(qulonglong requestsBefore);

signals:
    // Text windows and windows in general.
    void createWindow(int unit, QString windowName, QString access);
    void writeText(int unit, QString text);
    // Gathered lines wait in the glue (queueText); the slot takes them with
    // takeText(requestsBefore).
    void textPending(qulonglong requestsBefore);
    void startRead(int unit);
    void closeWindow(int unit);
    void moveWindow(int unit, int x, int y);
    void activateUIKWindow(int unit);
    void tileUIKWindows();
    void cascadeUIKWindows();
    void getFileNameFromWindow(int unit, bool newFile);
    // Save-file dialog with a list of file types; answered by gotSaveFileName.
    void getSaveFileName(QString caption, QStringList fileTypes, int selectedType);
    void alertBox(QString title, QString text);
    // Form dialogs.
    void createDialogWindow(int unit, QVariantMap properties);
    void addLabelToDialog(int unit, int labelId, QString text);
    void addComboBoxToDialog(int unit, int labelId, QVariantMap properties);
    void addCheckBoxToDialog(int unit, int labelId, QString title, bool checked);
    void addLineEditToDialog(int unit, int labelId, QString title, QString placeholder, QString text);
    void addFileDialogToDialog(int unit, int labelId, QVariantMap properties);
    void addRadioButtonsToDialog(int unit, int labelId, QVariantMap properties);
    void showDialogWindow(int unit);
    // XY plots and saving.
    void createXYPlot(int unit, QVariantMap properties);
    void writeXYPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series);
    void clearXYPlot(int unit);
    void saveWindowContents(int unit, QVariantMap properties);
    // Spreadsheets.
    void createSpreadsheet(int unit, QString windowName);
    void closeSpreadsheet(int unit);
    void writeSpreadsheet(int unit, void* data, QString dataType, int nrows, int ncols);
    void readSpreadsheet(int unit, void* data, QString dataType, int nrows, int ncols);
    void setHorizontalLabels(int unit, QStringList labels);
    void setVerticalLabels(int unit, QStringList labels);
    // Bar and pie charts.
    void createBarchart(int unit, QVariantMap properties);
    void writeBarchart(int unit, void* data, QString dataType, int nrows, int ncols);
    void createPieChart(int unit, QVariantMap properties);
    void writePieChart(int unit, void* data, QString dataType, int nrows, int ncols);
    // Polar and contour plots.
    void createPolarPlot(int unit, QVariantMap properties);
    void writePolarPlot(int unit, void* data, QString dataType, int nrows, int ncols, QVariantMap series);
    void clearPolarPlot(int unit);
    void createContourPlot(int unit, QVariantMap properties);
    void writeContourPlot(int unit, QVariantMap properties, UIK_Contour_Callback callback);
    void clearContourPlot(int unit);
    // Canvases.
    void createCanvas(int unit, QVariantMap properties);
    void clearCanvas(int unit, QVariantMap properties);
    void createObjectOnCanvas(int objectId, int canvasUnit, QVariantMap properties);
    // Program menus and timers.
    void addMenu(int unit, QString menu, QString item, UIK_Callback callback, QString shortcut);
    void enableItem(int unit, QString menu, QString item, bool state);
    void checkmarkItem(int unit, QString menu, QString item, bool state);
    void checkItem(int unit, QString menu, QString item, bool state);
    void createTimerWindow(int timerId, QVariantMap properties, UIK_Callback callback);
    void destroyTimerWindow(int timerId);
    // End of the design program.
    void programRunIdle();
    // A routine handed over by UIK_Hand_To_Program_Thread has returned.
    void programRoutineDone(int kind, int id);
    void closeOnProgramStop();

public slots:
    void finishRead(QString text);
    void finishReadSpreadsheet(void* data);
    void gotFileName(QString text);
    void gotSaveFileName(QString text, int fileType);
    void endModalDialog(QStringList data);
    void endAlertDialog();
    void endWindowSyncOperation();
    void windowContentsSaved(bool saved, QString failure);

private:
    std::mutex textMutex_;
    QList<Pending_Text> pendingText_;
    qulonglong raisedFor_ = 0;  // requestsBefore of the textPending not yet taken
    bool raised_ = false;
    std::atomic<qulonglong> requests_{0};
};

// The process-wide pointer to the one GlueManager; null before start-up and
// after teardown, when every request returns at once.
extern std::atomic<GlueManager*> UIK_Glue;
// Set only by the interrupt handler: the parked worker may end.
extern std::atomic<bool> UIK_Stop_Requested;
// Set once when the design program has stopped and the toolkit went idle.
extern std::atomic<bool> UIK_Idle;

// True on the design program's thread (the ProgramThread that is running).
bool UIK_On_Worker_Thread();

// The unit I/O hooks of the window layer (results as the design program's
// unit I/O layer expects them).
int hookWriteText(const char* text, int length, int unit);
int hookReadLine(char* buffer, int length, int unit);
int hookOpenWindow(int& unit, const std::string& name, const std::string& access);
int hookCloseWindow(int unit);
int hookFileName(char* buffer, int length, int unit, bool newFile);
void hookStop();
// Registers the hooks above with the design program's unit I/O layer and
// connects the call interface to the glue.
void UIK_Register_Hooks();

// Teardown: request the stop and drop the glue, which ends every wait.
void UIK_Interrupt_Handler(int signal);
// Hands `routine` to the design program's thread, parked since the design
// program stopped, to run there as the first run did (the GUI thread stays
// free); `programRoutineDone(kind, id)` follows when it returns. False, and
// nothing handed, when there is no parked design-program thread (then the
// caller runs the routine itself) or the program is ending.
bool UIK_Hand_To_Program_Thread(UIK_Callback routine, int kind, int id);

// The design program's thread: registers the hooks and runs `program`.
class ProgramThread : public QThread {
    Q_OBJECT
public:
    explicit ProgramThread(std::function<void()> program, QObject* parent = nullptr);

    // Set with release as run() returns. QThread::wait() orders the thread's
    // work before what follows it through futexes that the thread sanitizer
    // does not see; an acquire load of this flag after the wait states that
    // order in a form it does see.
    std::atomic<bool> ended{false};

protected:
    void run() override;

private:
    std::function<void()> program_;
};
