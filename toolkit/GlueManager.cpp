#include "GlueManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <variant>

#include "Program_Stop.h"
#include "UIK_Preferences.h"
#include "Unit_IO.h"
#include "WindowController.h"

std::atomic<GlueManager*> UIK_Glue{nullptr};
std::atomic<bool> UIK_Stop_Requested{false};
std::atomic<bool> UIK_Idle{false};

namespace {

std::atomic<QThread*> worker_thread{nullptr};

constexpr auto Worker_Poll = std::chrono::milliseconds(100);
constexpr auto Gui_Poll = std::chrono::milliseconds(1);

GlueManager* glue() { return UIK_Glue.load(std::memory_order_acquire); }

bool is_set(const std::atomic<bool> GlueManager::*flag) {
    GlueManager* g = glue();
    return g != nullptr && (g->*flag).load(std::memory_order_acquire);
}

// Waits until `flag` of the glue is cleared, or the glue is gone. On the GUI
// thread only the reads wait (keeping the event loop running); every other
// request has already been carried out directly when its signal returned.
void wait_for(const std::atomic<bool> GlueManager::*flag, bool serve_events_on_gui_thread) {
    if (!UIK_On_Worker_Thread()) {
        if (!serve_events_on_gui_thread) return;
        while (is_set(flag)) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(Gui_Poll);
        }
        return;
    }
    while (is_set(flag)) {
        std::this_thread::sleep_for(Worker_Poll);
        QThread::yieldCurrentThread();
    }
}

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

// The call interface's property map as a Qt map.
QVariant to_variant(const UIK_Value& value) {
    if (const auto* i = std::get_if<int>(&value)) return *i;
    if (const auto* u = std::get_if<unsigned>(&value)) return *u;
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* b = std::get_if<bool>(&value)) return *b;
    if (const auto* s = std::get_if<std::string>(&value)) return latin1(*s);
    QStringList list;
    for (const auto& item : std::get<std::vector<std::string>>(value)) list << latin1(item);
    return list;
}

QVariantMap to_map(const UIK_Property_Map& map) {
    QVariantMap qmap;
    for (const auto& entry : map) qmap.insert(QString::fromStdString(entry.first), to_variant(entry.second));
    return qmap;
}

QString text_of(const UIK_Request& r, const char* key) {
    const UIK_Value* v = UIK_Find(r.properties, key);
    return v ? to_variant(*v).toString() : QString();
}

// Menu and item names are read as UTF-8, which gives the same text as
// Latin-1 for the plain ASCII names and lets a name such as "Export
// Weights…" carry its ellipsis.
QString menu_text_of(const UIK_Request& r, const char* key) {
    const UIK_Value* v = UIK_Find(r.properties, key);
    const auto* s = v != nullptr ? std::get_if<std::string>(v) : nullptr;
    return s != nullptr ? QString::fromUtf8(s->data(), static_cast<int>(s->size())) : QString();
}

int int_of(const UIK_Request& r, const char* key) {
    const UIK_Value* v = UIK_Find(r.properties, key);
    return v ? to_variant(*v).toInt() : 0;
}

// The window layer behind the call interface: each request becomes one signal
// of the glue; requests that wait set their flag first and wait after.
class Glue_Window_Layer : public UIK_Window_Layer {
public:
    std::vector<std::string> Carry_Out(const UIK_Request& r) override {
        GlueManager* g = glue();
        if (g == nullptr) return {};
        g->countRequest();
        const QString& s = QString::fromStdString(r.signal);
        if (s == "createWindow") {
            emit g->createWindow(r.unit, text_of(r, "windowName"), text_of(r, "access"));
        } else if (s == "writeText") {
            emit g->writeText(r.unit, text_of(r, "text"));
        } else if (s == "closeWindow") {
            emit g->closeWindow(r.unit);
        } else if (s == "moveWindow") {
            emit g->moveWindow(r.unit, int_of(r, "x"), int_of(r, "y"));
        } else if (s == "activateUIKWindow") {
            emit g->activateUIKWindow(r.unit);
        } else if (s == "alertBox") {
            g->alertPending.store(true, std::memory_order_release);
            emit g->alertBox(text_of(r, "title"), text_of(r, "text"));
            wait_for(&GlueManager::alertPending, false);
        } else if (s == "createDialogWindow") {
            emit g->createDialogWindow(r.unit, to_map(r.properties));
        } else if (s == "addLabelToDialog") {
            emit g->addLabelToDialog(r.unit, r.labelId, text_of(r, "text"));
        } else if (s == "addComboBoxToDialog") {
            emit g->addComboBoxToDialog(r.unit, r.labelId, to_map(r.properties));
        } else if (s == "addCheckBoxToDialog") {
            emit g->addCheckBoxToDialog(r.unit, r.labelId, text_of(r, "title"), int_of(r, "checked") != 0);
        } else if (s == "addLineEditToDialog") {
            emit g->addLineEditToDialog(r.unit, r.labelId, text_of(r, "title"), text_of(r, "placeholder"),
                                        text_of(r, "text"));
        } else if (s == "addFileDialogToDialog") {
            emit g->addFileDialogToDialog(r.unit, r.labelId, to_map(r.properties));
        } else if (s == "addRadioButtonsToDialog") {
            emit g->addRadioButtonsToDialog(r.unit, r.labelId, to_map(r.properties));
        } else if (s == "showDialogWindow") {
            g->dialogPending.store(true, std::memory_order_release);
            emit g->showDialogWindow(r.unit);
            wait_for(&GlueManager::dialogPending, false);
            GlueManager* after = glue();
            if (after == nullptr) return {};
            std::vector<std::string> answers;
            for (const QString& a : after->dialogAnswer) answers.push_back(a.toLatin1().toStdString());
            return answers;
        } else if (s == "createXYPlot") {
            emit g->createXYPlot(r.unit, to_map(r.properties));
        } else if (s == "writeXYPlot") {
            g->windowSyncPending.store(true, std::memory_order_release);
            emit g->writeXYPlot(r.unit, const_cast<void*>(r.data), QString::fromStdString(r.dataType), r.nrows,
                                r.ncols, to_map(r.properties));
            wait_for(&GlueManager::windowSyncPending, false);
        } else if (s == "clearXYPlot") {
            emit g->clearXYPlot(r.unit);
        } else if (s == "saveWindowContents") {
            g->contentsSaved = false;
            g->saveFailure.clear();
            g->windowSyncPending.store(true, std::memory_order_release);
            emit g->saveWindowContents(r.unit, to_map(r.properties));
            wait_for(&GlueManager::windowSyncPending, false);
            GlueManager* after = glue();
            // Written: no answer; not written: the reason.
            if (after == nullptr || after->contentsSaved) return {};
            return {after->saveFailure.toStdString()};
        } else if (s == "getSaveFileName") {
            const UIK_Value* types = UIK_Find(r.properties, "fileTypes");
            g->fileType = 0;
            g->fileNamePending.store(true, std::memory_order_release);
            emit g->getSaveFileName(text_of(r, "caption"), types ? to_variant(*types).toStringList() : QStringList(),
                                    int_of(r, "selected"));
            wait_for(&GlueManager::fileNamePending, true);
            GlueManager* after = glue();
            if (after == nullptr) return {};
            // The path as the file system spells it.
            return {QFile::encodeName(after->fileName).toStdString(), std::to_string(after->fileType)};
        } else if (s == "enableItem") {
            emit g->enableItem(r.unit, menu_text_of(r, "menu"), menu_text_of(r, "item"), int_of(r, "state") != 0);
        } else if (s == "addMenu") {
            emit g->addMenu(r.unit, menu_text_of(r, "menu"), menu_text_of(r, "item"), r.callback, text_of(r, "shortcut"));
        } else if (s == "createTimerWindow") {
            emit g->createTimerWindow(r.unit, to_map(r.properties), r.callback);
        } else if (s == "destroyTimerWindow") {
            emit g->destroyTimerWindow(r.unit);
        } else if (s == "writeSpreadsheet") {
            // The write does not wait: hand over a copy of the block.
            QList<QByteArray>& copies = g->spreadsheetBuffers[r.unit];
            copies.append(QByteArray(static_cast<const char*>(r.data), static_cast<int>(r.data ? r.dataBytes : 0)));
            emit g->writeSpreadsheet(r.unit, copies.last().data(), QString::fromStdString(r.dataType), r.nrows,
                                     r.ncols);
        } else if (s == "readSpreadsheet") {
            g->readPending.store(true, std::memory_order_release);
            emit g->readSpreadsheet(r.unit, r.dataOut, QString::fromStdString(r.dataType), r.nrows, r.ncols);
            wait_for(&GlueManager::readPending, true);
            // Requests are carried out in order: the unit's earlier writes are done.
            if (GlueManager* after = glue()) after->spreadsheetBuffers.remove(r.unit);
        } else if (s == "setHorizontalLabels" || s == "setVerticalLabels") {
            const UIK_Value* labels = UIK_Find(r.properties, "labels");
            const QStringList list = labels ? to_variant(*labels).toStringList() : QStringList();
            if (s == "setHorizontalLabels")
                emit g->setHorizontalLabels(r.unit, list);
            else
                emit g->setVerticalLabels(r.unit, list);
        } else if (s == "createBarchart") {
            emit g->createBarchart(r.unit, to_map(r.properties));
        } else if (s == "createPieChart") {
            emit g->createPieChart(r.unit, to_map(r.properties));
        } else if (s == "createPolarPlot") {
            emit g->createPolarPlot(r.unit, to_map(r.properties));
        } else if (s == "createContourPlot") {
            emit g->createContourPlot(r.unit, to_map(r.properties));
        } else if (s == "createCanvas") {
            emit g->createCanvas(r.unit, to_map(r.properties));
        } else if (s == "clearPolarPlot") {
            emit g->clearPolarPlot(r.unit);
        } else if (s == "clearContourPlot") {
            emit g->clearContourPlot(r.unit);
        } else if (s == "clearCanvas") {
            emit g->clearCanvas(r.unit, to_map(r.properties));
        } else if (s == "createObjectOnCanvas") {
            emit g->createObjectOnCanvas(r.labelId, r.unit, to_map(r.properties));
        } else if (s == "writeBarchart" || s == "writePieChart" || s == "writePolarPlot" ||
                   s == "writeContourPlot") {
            // The window layer reads the design program's block while the worker waits.
            g->windowSyncPending.store(true, std::memory_order_release);
            void* data = const_cast<void*>(r.data);
            const QString type = QString::fromStdString(r.dataType);
            if (s == "writeBarchart")
                emit g->writeBarchart(r.unit, data, type, r.nrows, r.ncols);
            else if (s == "writePieChart")
                emit g->writePieChart(r.unit, data, type, r.nrows, r.ncols);
            else if (s == "writePolarPlot")
                emit g->writePolarPlot(r.unit, data, type, r.nrows, r.ncols, to_map(r.properties));
            else
                emit g->writeContourPlot(r.unit, to_map(r.properties), r.contourCallback);
            wait_for(&GlueManager::windowSyncPending, false);
        }
        return {};
    }
};

Glue_Window_Layer glue_window_layer;

}  // namespace

GlueManager::GlueManager(WindowController* owner) : QObject(nullptr), controller(owner) {
    qRegisterMetaType<UIK_Callback>("UIK_Callback");
    qRegisterMetaType<UIK_Contour_Callback>("UIK_Contour_Callback");
    // The save-file dialog with file types; its request and answer are
    // connected here, the older requests by the controller.
    if (owner != nullptr) {
        connect(this, &GlueManager::getSaveFileName, owner, &WindowController::getSaveFileName);
        connect(owner, &WindowController::gotSaveFileName, this, &GlueManager::gotSaveFileName);
    }
}

void GlueManager::finishRead(QString text) {
    readText = text;
    readCancelled.store(false, std::memory_order_release);
    readUnit.store(0, std::memory_order_release);
    readPending.store(false, std::memory_order_release);
}

void GlueManager::finishReadSpreadsheet(void* data) {
    spreadsheetAnswer = data;
    readPending.store(false, std::memory_order_release);
}

void GlueManager::gotFileName(QString text) {
    fileName = text;
    fileNamePending.store(false, std::memory_order_release);
}

void GlueManager::gotSaveFileName(QString text, int type) {
    fileName = text;
    fileType = type;
    fileNamePending.store(false, std::memory_order_release);
}

void GlueManager::endModalDialog(QStringList data) {
    dialogAnswer = data;
    dialogPending.store(false, std::memory_order_release);
}

void GlueManager::endAlertDialog() { alertPending.store(false, std::memory_order_release); }

void GlueManager::queueText(int unit, const QString& text) {
    const qulonglong before = requests_.load(std::memory_order_relaxed);
    bool raise = false;
    {
        std::lock_guard<std::mutex> lock(textMutex_);
        if (!pendingText_.isEmpty() && pendingText_.last().requestsBefore == before && pendingText_.last().unit == unit)
            pendingText_.last().text += text;
        else
            pendingText_.append(Pending_Text{before, unit, text});
        // A raised textPending takes this line only if it was raised after
        // the same requests.
        if (!raised_ || raisedFor_ != before) {
            raised_ = true;
            raisedFor_ = before;
            raise = true;
        }
    }
    if (raise) emit textPending(before);
}

QList<GlueManager::Pending_Text> GlueManager::takeText(qulonglong requestsBefore) {
    std::lock_guard<std::mutex> lock(textMutex_);
    QList<Pending_Text> taken;
    while (!pendingText_.isEmpty() && pendingText_.first().requestsBefore <= requestsBefore)
        taken.append(pendingText_.takeFirst());
    if (raised_ && raisedFor_ <= requestsBefore) raised_ = false;
    return taken;
}

void GlueManager::endWindowSyncOperation() { windowSyncPending.store(false, std::memory_order_release); }

void GlueManager::windowContentsSaved(bool saved, QString failure) {
    contentsSaved = saved;
    saveFailure = failure;
}

bool UIK_On_Worker_Thread() {
    QThread* worker = worker_thread.load(std::memory_order_acquire);
    return worker != nullptr && QThread::currentThread() == worker;
}

// On the design program's thread, a request made while the window layer is
// closing ends the design program there (nothing would answer it).
void stop_if_closing() {
    if (UIK_On_Worker_Thread()) KALTAP_Check_Stop();
}

int hookWriteText(const char* text, int length, int unit) {
    stop_if_closing();
    GlueManager* g = glue();
    if (g == nullptr || text == nullptr || length < 0) return -1;
    const QString line = QString::fromLatin1(text, length) + QLatin1Char('\n');
    if (UIK_On_Worker_Thread()) {
        g->queueText(unit, line);
    } else {
        emit g->writeText(unit, line);
        QCoreApplication::processEvents();
    }
    return length;
}

int hookReadLine(char* buffer, int length, int unit) {
    stop_if_closing();
    GlueManager* g = glue();
    if (g == nullptr || buffer == nullptr || length <= 0) return -1;
    g->countRequest();
    g->readCancelled.store(false, std::memory_order_release);
    g->readUnit.store(unit, std::memory_order_release);
    g->readPending.store(true, std::memory_order_release);
    emit g->startRead(unit);
    wait_for(&GlueManager::readPending, true);
    g = glue();
    if (g == nullptr) return 0;
    if (g->readCancelled.load(std::memory_order_acquire)) return -1;
    const QByteArray line = (g->readText + QStringLiteral("\r\n")).toLatin1();
    if (g->readText.size() > length) return -3;
    const int n = std::min(length, static_cast<int>(line.size()));
    std::memcpy(buffer, line.constData(), static_cast<std::size_t>(n));
    return n;
}

int hookOpenWindow(int& unit, const std::string& name, const std::string& access) {
    stop_if_closing();
    GlueManager* g = glue();
    if (g == nullptr) return 0;
    if (unit == UNIT_Automatic) unit = UIK_Next_Unit_Number();
    g->countRequest();
    emit g->createWindow(unit, latin1(name), latin1(access));
    return 0;
}

int hookCloseWindow(int unit) {
    stop_if_closing();
    GlueManager* g = glue();
    if (g != nullptr) {
        g->countRequest();
        emit g->closeWindow(unit);
    }
    return 0;
}

int hookFileName(char* buffer, int length, int unit, bool newFile) {
    stop_if_closing();
    GlueManager* g = glue();
    if (g == nullptr) return 0;
    if (buffer == nullptr || length <= 0) return -1;
    g->countRequest();
    g->fileNamePending.store(true, std::memory_order_release);
    emit g->getFileNameFromWindow(unit, newFile);
    wait_for(&GlueManager::fileNamePending, true);
    g = glue();
    if (g == nullptr) return 0;
    const QByteArray name = g->fileName.toLatin1();
    const int n = std::min(length, static_cast<int>(name.size()));
    std::memcpy(buffer, name.constData(), static_cast<std::size_t>(n));
    return n;
}

namespace {

// Routines the GUI thread hands to the parked design-program thread (program
// menu items and timers), run there in the order handed.
struct Handed_Routine {
    UIK_Callback routine;
    int kind;
    int id;
};
std::mutex handed_mutex;
std::condition_variable handed_ready;
std::deque<Handed_Routine> handed_routines;

// The next handed routine, waiting up to one poll interval for it.
bool take_handed_routine(Handed_Routine& next) {
    std::unique_lock<std::mutex> lock(handed_mutex);
    handed_ready.wait_for(lock, Worker_Poll, [] {
        return !handed_routines.empty() || UIK_Stop_Requested.load(std::memory_order_acquire);
    });
    if (handed_routines.empty()) return false;
    next = handed_routines.front();
    handed_routines.pop_front();
    return true;
}

}  // namespace

bool UIK_Hand_To_Program_Thread(UIK_Callback routine, int kind, int id) {
    if (routine == nullptr || !UIK_Idle.load(std::memory_order_acquire) ||
        worker_thread.load(std::memory_order_acquire) == nullptr ||
        UIK_Stop_Requested.load(std::memory_order_acquire))
        return false;
    {
        std::lock_guard<std::mutex> lock(handed_mutex);
        handed_routines.push_back(Handed_Routine{routine, kind, id});
    }
    handed_ready.notify_one();
    return true;
}

void hookStop() {
    if (UIK_Idle.load(std::memory_order_acquire)) return;
    GlueManager* g = glue();
    if (g != nullptr) g->countRequest();
    if (UIK_Pref_Quit_On_Stop()) {
        if (g != nullptr) {
            g->windowSyncPending.store(true, std::memory_order_release);
            emit g->closeOnProgramStop();
            wait_for(&GlueManager::windowSyncPending, false);
        }
        std::exit(0);
    }
    UIK_Idle.store(true, std::memory_order_release);
    if (g != nullptr) emit g->programRunIdle();
    // Park: the windows and menus live on and the thread runs the routines
    // the GUI thread hands it, until teardown. A stop inside a routine ends
    // only that routine.
    while (!UIK_Stop_Requested.load(std::memory_order_acquire)) {
        Handed_Routine next{nullptr, 0, 0};
        if (!take_handed_routine(next)) continue;
        KALTAP_Run_Program([&next] { next.routine(); });
        if (GlueManager* after = glue()) {
            after->countRequest();
            emit after->programRoutineDone(next.kind, next.id);
        }
    }
    std::lock_guard<std::mutex> lock(handed_mutex);
    handed_routines.clear();
}

void UIK_Register_Hooks() {
    UNIT_Hooks hooks;
    hooks.write_text = [](const std::string& text, int unit) {
        return hookWriteText(text.data(), static_cast<int>(text.size()), unit);
    };
    hooks.read_line = [](char* buffer, int length, int unit) { return hookReadLine(buffer, length, unit); };
    hooks.open_window = [](int& unit, const std::string& name, const std::string& access) {
        return hookOpenWindow(unit, name, access);
    };
    hooks.close_window = [](int unit) { return hookCloseWindow(unit); };
    hooks.file_name = [](int unit, bool new_file, std::string& name) {
        char buffer[1024];
        const int n = hookFileName(buffer, static_cast<int>(sizeof buffer), unit, new_file);
        name.assign(buffer, static_cast<std::size_t>(n > 0 ? n : 0));
        return n;
    };
    hooks.stop = [] { hookStop(); };
    UNIT_Register_Hooks(hooks);
    UIK_Set_Window_Layer(&glue_window_layer);
}

void UIK_Interrupt_Handler(int) {
    UIK_Stop_Requested.store(true, std::memory_order_release);
    // The glue object itself stays allocated: the worker may still be inside
    // one of its requests. Dropping the pointer ends every wait.
    UIK_Glue.store(nullptr, std::memory_order_release);
}

ProgramThread::ProgramThread(std::function<void()> program, QObject* parent)
    : QThread(parent), program_(std::move(program)) {}

void ProgramThread::run() {
    worker_thread.store(this, std::memory_order_release);
    UIK_Register_Hooks();
    // A teardown before the design program got going: nothing to run.
    if (program_ && !UIK_Stop_Requested.load(std::memory_order_acquire)) KALTAP_Run_Program(program_);
    ended.store(true, std::memory_order_release);
}
