// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlueManager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QPair>
#include <QVariantMap>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <variant>

#include "Dialog_Memory.h"
#include "Program_Stop.h"
#include "UIK_Preferences.h"
#include "Unit_IO.h"
#include "BarChart.h"
#include "ContourPlot.h"
#include "PieChart.h"
#include "PolarPlot.h"
#include "Program_Dialogs.h"
#include "Program_Menus.h"
#include "Text_Windows.h"
#include "UIK_FormDialog.h"
#include "UIK_Spreadsheet.h"
#include "WindowController.h"
#include "XYPlot.h"

std::atomic<GlueManager*> UIK_Glue{nullptr};
std::atomic<bool> UIK_Stop_Requested{false};
std::atomic<bool> UIK_Idle{false};

namespace {

std::atomic<QThread*> worker_thread{nullptr};

// The one lock of the hand-off and the condition every wait of the design
// program's thread waits on (see GlueManager.h).
std::mutex hand_mutex;
std::condition_variable hand_cv;
// GUI thread: the local event loop of a wait without a worker.
QEventLoop* gui_wait = nullptr;

bool stopping() { return UIK_Stop_Requested.load(std::memory_order_acquire); }

// What a waiting request gets back; guarded by hand_mutex.
struct Reply {
    bool answered = false;
    bool abandoned = false;  // the waiting thread went on without it
    std::vector<std::string> values;
};

void give(const std::shared_ptr<Reply>& reply, std::vector<std::string> values) {
    {
        std::lock_guard<std::mutex> lock(hand_mutex);
        if (reply->answered || reply->abandoned) return;
        reply->values = std::move(values);
        reply->answered = true;
    }
    hand_cv.notify_all();
    if (gui_wait != nullptr) gui_wait->quit();
}

// Waits until `reply` is answered or a stop comes; true when answered.
bool wait_for(Reply& reply) {
    if (!UIK_On_Worker_Thread() && !reply.answered) {
        QEventLoop loop;
        QEventLoop* outer = std::exchange(gui_wait, &loop);
        while (!reply.answered && !reply.abandoned && !stopping()) loop.exec();
        gui_wait = outer;
    }
    std::unique_lock<std::mutex> lock(hand_mutex);
    hand_cv.wait(lock, [&] { return reply.answered || reply.abandoned || stopping(); });
    if (!reply.answered) reply.abandoned = true;
    return reply.answered;
}

// Runs `work` on the controller's thread: queued behind the requests raised
// before it from the design program's thread, at once otherwise.
void hand_over(WindowController* controller, std::function<void()> work) {
    if (UIK_On_Worker_Thread())
        QMetaObject::invokeMethod(controller, std::move(work), Qt::QueuedConnection);
    else
        work();
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

QVariant value_of(const UIK_Request& r, const char* key) {
    const UIK_Value* v = UIK_Find(r.properties, key);
    return v ? to_variant(*v) : QVariant();
}

// Menu and item names are read as UTF-8, which gives the same text as
// Latin-1 for the plain ASCII names and lets a name such as "Export
// Weights…" carry its ellipsis.
QString menu_text_of(const UIK_Request& r, const char* key) {
    const UIK_Value* v = UIK_Find(r.properties, key);
    const auto* s = v != nullptr ? std::get_if<std::string>(v) : nullptr;
    return s != nullptr ? QString::fromUtf8(s->data(), static_cast<int>(s->size())) : QString();
}

std::vector<std::string> latin1_list(const QStringList& list) {
    std::vector<std::string> values;
    for (const QString& s : list) values.push_back(s.toLatin1().toStdString());
    return values;
}

// The window layer behind the call interface.
class Glue_Window_Layer : public UIK_Window_Layer {
public:
    std::vector<std::string> Carry_Out(const UIK_Request& r) override {
        GlueManager* g = UIK_Glue.load(std::memory_order_acquire);
        return g != nullptr ? g->carryOut(r) : std::vector<std::string>();
    }
};

Glue_Window_Layer glue_window_layer;

}  // namespace

struct GlueManager::Text_Batch {
    QList<QPair<int, QString>> lines;  // consecutive lines of one unit joined
    bool taken = false;
};

GlueManager::GlueManager(WindowController* owner) : controller(owner) {}

void GlueManager::post(std::function<void()> call) {
    // Text written from here on goes after this request.
    if (UIK_On_Worker_Thread()) batch_.reset();
    hand_over(controller, std::move(call));
}

bool GlueManager::ask(std::function<void(UIK_Answer)> work, std::vector<std::string>* values) {
    auto reply = std::make_shared<Reply>();
    post([reply, work = std::move(work)] {
        // A request given up (after a stop) is not carried out: its data
        // may be gone.
        {
            std::lock_guard<std::mutex> lock(hand_mutex);
            if (reply->abandoned) return;
        }
        work([reply](std::vector<std::string> answer) { give(reply, std::move(answer)); });
    });
    if (!wait_for(*reply)) return false;
    if (values != nullptr) *values = std::move(reply->values);
    return true;
}

void GlueManager::writeText(int unit, const QString& text) {
    if (!UIK_On_Worker_Thread()) {
        controller->texts->write(unit, text);
        QCoreApplication::processEvents();
        return;
    }
    bool open = false;
    {
        std::lock_guard<std::mutex> lock(hand_mutex);
        if (batch_ == nullptr || batch_->taken) {
            batch_ = std::make_shared<Text_Batch>();
            open = true;
        }
        if (!batch_->lines.isEmpty() && batch_->lines.last().first == unit)
            batch_->lines.last().second += text;
        else
            batch_->lines.append({unit, text});
    }
    if (!open) return;
    hand_over(controller, [c = controller, batch = batch_] {
        QList<QPair<int, QString>> lines;
        {
            std::lock_guard<std::mutex> lock(hand_mutex);
            batch->taken = true;
            lines.swap(batch->lines);
        }
        for (const auto& line : lines) c->texts->write(line.first, line.second);
    });
}

std::vector<std::string> GlueManager::carryOut(const UIK_Request& r) {
    if (r.op == UIK_Op::writeText) {
        writeText(r.unit, value_of(r, "text").toString());
        return {};
    }
    WindowController* c = controller;
    const int u = r.unit;
    const int id = r.labelId;
    const QVariantMap map = to_map(r.properties);
    const QString type = QString::fromStdString(r.dataType);
    const int rows = r.nrows;
    const int cols = r.ncols;
    void* data = const_cast<void*>(r.data);
    // For requests that wait: the design program holds `data` still until answered.
    const auto wait = [this](std::function<void()> call) {
        ask([call = std::move(call)](const UIK_Answer& answer) {
            call();
            answer({});
        });
        return std::vector<std::string>();
    };
    // A control for a unit without a form dialog is ignored.
    const auto on_form = [=](std::function<void(UIK_FormDialog*)> act) {
        post([=] {
            if (UIK_FormDialog* form = c->dialogs->form(u)) act(form);
        });
    };
    static const char* const Sheet = "Spreadsheet";
    const auto on_sheet = [=](std::function<void(UIK_Spreadsheet*)> act) {
        post([=] { c->onContent<UIK_Spreadsheet>(u, Sheet, act); });
    };
    std::vector<std::string> values;
    switch (r.op) {
        case UIK_Op::createWindow:
            post([=] { c->texts->open(u, map["windowName"].toString(), map["access"].toString()); });
            break;
        case UIK_Op::closeWindow: post([=] { c->closeWindowForUnit(u); }); break;
        case UIK_Op::moveWindow: post([=] { c->moveWindowForUnit(u, map["x"].toInt(), map["y"].toInt()); }); break;
        case UIK_Op::activateUIKWindow: post([=] { c->activateWindowForUnit(u); }); break;
        case UIK_Op::alertBox:
            return wait([=] { c->dialogs->showAlert(map["title"].toString(), map["text"].toString()); });
        case UIK_Op::createDialogWindow: post([=] { c->dialogs->create(u, map); }); break;
        case UIK_Op::addLabelToDialog:
            on_form([=](UIK_FormDialog* f) { f->addLabel(id, map["text"].toString()); });
            break;
        case UIK_Op::addComboBoxToDialog: on_form([=](UIK_FormDialog* f) { f->addComboBox(id, map); }); break;
        case UIK_Op::addCheckBoxToDialog:
            on_form([=](UIK_FormDialog* f) { f->addCheckBox(id, map["title"].toString(), map["checked"].toBool()); });
            break;
        case UIK_Op::addLineEditToDialog:
            on_form([=](UIK_FormDialog* f) {
                f->addLineEdit(id, map["title"].toString(), map["placeholder"].toString(), map["text"].toString());
            });
            break;
        case UIK_Op::addFileDialogToDialog: on_form([=](UIK_FormDialog* f) { f->addFileField(id, map); }); break;
        case UIK_Op::addRadioButtonsToDialog: on_form([=](UIK_FormDialog* f) { f->addRadioButtons(id, map); }); break;
        case UIK_Op::showDialogWindow:
            ask([=](const UIK_Answer& answer) { answer(latin1_list(c->dialogs->show(u))); }, &values);
            return values;
        case UIK_Op::createXYPlot: post([=] { c->create<XYPlot>(u, map); }); break;
        case UIK_Op::writeXYPlot:
            // Answered once the block has been read, before the curve is drawn.
            ask([=](const UIK_Answer& answer) {
                c->writeXYPlot(u, data, type, rows, cols, map, [answer] { answer({}); });
            });
            break;
        case UIK_Op::clearXYPlot: post([=] { c->clearXYPlot(u); }); break;
        case UIK_Op::saveWindowContents:
            // Written: no answer; not written: the reason.
            ask(
                [=](const UIK_Answer& answer) {
                    QString failure;
                    if (c->saveWindowContentsForUnit(u, map, &failure))
                        answer({});
                    else
                        answer({failure.toStdString()});
                },
                &values);
            return values;
        case UIK_Op::getSaveFileName:
            ask(
                [=](const UIK_Answer& answer) {
                    const auto chosen = c->dialogs->askSaveFileName(
                        map["caption"].toString(), map["fileTypes"].toStringList(), map["selected"].toInt());
                    // The path as the file system spells it.
                    answer({QFile::encodeName(chosen.first).toStdString(), std::to_string(chosen.second)});
                },
                &values);
            return values;
        case UIK_Op::addMenu: {
            const QString menu = menu_text_of(r, "menu");
            const QString item = menu_text_of(r, "item");
            const UIK_Callback callback = r.callback;
            post([=] { c->menus->addMenuItem(u, menu, item, callback, map["shortcut"].toString()); });
            break;
        }
        case UIK_Op::enableItem: {
            const QString menu = menu_text_of(r, "menu");
            const QString item = menu_text_of(r, "item");
            post([=] { c->menus->enableMenuItem(u, menu, item, map["state"].toBool()); });
            break;
        }
        case UIK_Op::createTimerWindow: {
            const UIK_Callback callback = r.callback;
            post([=] { c->menus->createTimer(u, map, callback); });
            break;
        }
        case UIK_Op::destroyTimerWindow: post([=] { c->menus->destroyTimer(u); }); break;
        case UIK_Op::writeSpreadsheet: {
            // The write does not wait: the window layer gets a copy of the block.
            QByteArray copy(static_cast<const char*>(r.data), static_cast<int>(r.data ? r.dataBytes : 0));
            on_sheet([=](UIK_Spreadsheet* sheet) { sheet->writeBlock(copy.constData(), type, rows, cols); });
            break;
        }
        case UIK_Op::readSpreadsheet:
            // A read without a block touches no window.
            return wait([=, out = r.dataOut] {
                if (out != nullptr)
                    c->onContent<UIK_Spreadsheet>(
                        u, Sheet, [&](UIK_Spreadsheet* sheet) { sheet->readBlock(out, type, rows, cols); });
            });
        case UIK_Op::setHorizontalLabels:
            on_sheet([=](UIK_Spreadsheet* sheet) { sheet->setColumnLabels(map["labels"].toStringList()); });
            break;
        case UIK_Op::setVerticalLabels:
            on_sheet([=](UIK_Spreadsheet* sheet) { sheet->setRowLabels(map["labels"].toStringList()); });
            break;
        case UIK_Op::createBarchart: post([=] { c->create<BarChart>(u, map); }); break;
        case UIK_Op::writeBarchart: return wait([=] { c->writeBarchartForUnit(u, data, type, rows, cols); });
        case UIK_Op::createPieChart: post([=] { c->create<PieChart>(u, map); }); break;
        case UIK_Op::writePieChart: return wait([=] { c->writePieChartForUnit(u, data, type, rows, cols); });
        case UIK_Op::createPolarPlot: post([=] { c->create<PolarPlot>(u, map); }); break;
        case UIK_Op::writePolarPlot: return wait([=] { c->writePolarPlotForUnit(u, data, type, rows, cols, map); });
        case UIK_Op::clearPolarPlot: post([=] { c->clearPolarPlotForUnit(u); }); break;
        case UIK_Op::createContourPlot: post([=] { c->create<ContourPlot>(u, map); }); break;
        case UIK_Op::writeContourPlot: {
            const UIK_Contour_Callback callback = r.contourCallback;
            return wait([=] { c->writeContourPlotForUnit(u, map, callback); });
        }
        case UIK_Op::clearContourPlot: post([=] { c->clearContourPlotForUnit(u); }); break;
        case UIK_Op::createCanvas: post([=] { c->createCanvasForUnit(u, map); }); break;
        case UIK_Op::clearCanvas: post([=] { c->clearCanvasForUnit(u, map); }); break;
        case UIK_Op::createObjectOnCanvas: post([=] { c->createObjectOnCanvasForUnit(id, u, map); }); break;
        case UIK_Op::rememberDialogEntry:
            post([=] {
                Dialog_Memory::store(map["windowTitle"].toString(), map["field"].toString(), map["entry"].toString());
            });
            break;
        case UIK_Op::writeText:
        case UIK_Op::Count: break;
    }
    return {};
}

bool UIK_On_Worker_Thread() {
    QThread* worker = worker_thread.load(std::memory_order_acquire);
    return worker != nullptr && QThread::currentThread() == worker;
}

namespace {

// The glue for one request of the unit I/O hooks, or nullptr when there is
// none. On the design program's thread, a request made while the window
// layer is closing ends the design program there (nothing would answer it).
GlueManager* glue_for_request() {
    if (UIK_On_Worker_Thread()) KALTAP_Check_Stop();
    return UIK_Glue.load(std::memory_order_acquire);
}

// Copies `text` into buffer (length bytes at most); the bytes copied.
int copy_out(const std::string& text, char* buffer, int length) {
    const int n = std::min(length, static_cast<int>(text.size()));
    std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    return n;
}

}  // namespace

int hookReadLine(char* buffer, int length, int unit) {
    GlueManager* g = glue_for_request();
    if (g == nullptr || buffer == nullptr || length <= 0) return -1;
    std::vector<std::string> line;
    const bool answered = g->ask([g, unit](UIK_Answer answer) { g->controller->texts->read(unit, std::move(answer)); },
                                 &line);
    if (!answered) return 0;
    if (line.empty()) return -1;
    if (static_cast<int>(line[0].size()) > length) return -3;
    return copy_out(line[0] + "\r\n", buffer, length);
}

int hookFileName(char* buffer, int length, int /*unit: one dialog serves every unit*/, bool newFile) {
    GlueManager* g = glue_for_request();
    if (g == nullptr) return 0;
    if (buffer == nullptr || length <= 0) return -1;
    std::vector<std::string> name;
    const bool answered = g->ask(
        [g, newFile](const UIK_Answer& answer) {
            answer({g->controller->dialogs->askFileName(newFile).toLatin1().toStdString()});
        },
        &name);
    return answered && !name.empty() ? copy_out(name[0], buffer, length) : 0;
}

namespace {

// Routines the GUI thread hands to the parked design-program thread (program
// menu items and timers), run there in the order handed; guarded by hand_mutex.
struct Handed_Routine {
    UIK_Callback routine;
    std::function<void()> done;  // posted to the GUI thread once it returns
};
std::deque<Handed_Routine> handed_routines;

// The next handed routine, waiting for it; false on a stop.
bool take_handed_routine(Handed_Routine& next) {
    std::unique_lock<std::mutex> lock(hand_mutex);
    hand_cv.wait(lock, [] { return !handed_routines.empty() || stopping(); });
    if (stopping()) {
        handed_routines.clear();
        return false;
    }
    next = handed_routines.front();
    handed_routines.pop_front();
    return true;
}

}  // namespace

bool UIK_Hand_To_Program_Thread(UIK_Callback routine, std::function<void()> done) {
    if (routine == nullptr || !UIK_Idle.load(std::memory_order_acquire) ||
        worker_thread.load(std::memory_order_acquire) == nullptr || stopping())
        return false;
    {
        std::lock_guard<std::mutex> lock(hand_mutex);
        handed_routines.push_back(Handed_Routine{routine, std::move(done)});
    }
    hand_cv.notify_all();
    return true;
}

void hookStop() {
    if (UIK_Idle.load(std::memory_order_acquire)) return;
    GlueManager* g = UIK_Glue.load(std::memory_order_acquire);
    if (UIK_Pref_Quit_On_Stop()) {
        // The windows close and the application ends; the thread with them.
        if (g != nullptr)
            g->ask([g](const UIK_Answer& answer) {
                answer({});
                g->controller->closeOnProgramStop();
            });
        return;
    }
    UIK_Idle.store(true, std::memory_order_release);
    if (g != nullptr) g->post([c = g->controller] { c->menus->runIdle(); });
    // Park: the windows and menus live on and the thread runs the routines
    // the GUI thread hands it, until teardown. A stop inside a routine ends
    // only that routine.
    Handed_Routine next{nullptr, nullptr};
    while (take_handed_routine(next)) {
        KALTAP_Run_Program([&next] { next.routine(); });
        if (GlueManager* after = UIK_Glue.load(std::memory_order_acquire)) after->post(std::move(next.done));
    }
}

void UIK_Register_Hooks() {
    UNIT_Hooks hooks;
    hooks.write_text = [](const std::string& text, int unit) {
        GlueManager* g = glue_for_request();
        if (g == nullptr) return -1;
        g->writeText(unit, latin1(text) + QLatin1Char('\n'));
        return static_cast<int>(text.size());
    };
    hooks.read_line = [](char* buffer, int length, int unit) { return hookReadLine(buffer, length, unit); };
    hooks.open_window = [](int& unit, const std::string& name, const std::string& access) {
        if (GlueManager* g = glue_for_request()) {
            if (unit == UNIT_Automatic) unit = UIK_Next_Unit_Number();
            g->post([c = g->controller, unit, name = latin1(name), access = latin1(access)] {
                c->texts->open(unit, name, access);
            });
        }
        return 0;
    };
    hooks.close_window = [](int unit) {
        if (GlueManager* g = glue_for_request()) g->post([c = g->controller, unit] { c->closeWindowForUnit(unit); });
        return 0;
    };
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
    {
        std::lock_guard<std::mutex> lock(hand_mutex);
        UIK_Stop_Requested.store(true, std::memory_order_release);
    }
    // The glue object itself stays allocated: the worker may still be inside
    // one of its requests.
    UIK_Glue.store(nullptr, std::memory_order_release);
    hand_cv.notify_all();
    if (gui_wait != nullptr) gui_wait->quit();
}

ProgramThread::ProgramThread(std::function<void()> program, QObject* parent)
    : QThread(parent), program_(std::move(program)) {}

void ProgramThread::run() {
    worker_thread.store(this, std::memory_order_release);
    UIK_Register_Hooks();
    // A teardown before the design program got going: nothing to run.
    if (program_ && !stopping()) KALTAP_Run_Program(program_);
    ended.store(true, std::memory_order_release);
}
