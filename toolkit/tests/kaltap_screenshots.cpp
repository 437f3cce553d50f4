// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the README's screenshots from the real program in a real window: run
// it under an X server (make screenshots uses Xvfb). The robot answers the
// dialogs of the classical three-band default design with 16-bit rounding;
// the screen is grabbed with the agreement dialog open, with the band dialog
// open, with the design's preview behind "Next action?", after the design
// with the console and the plots, with the main plot's passband zoomed in and
// read by the tracker and a point mark, with each window of the View menu,
// and while a long design from the menu shows its progress (then stopped).
//
//   kaltap_screenshots <output folder>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <functional>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>

#include "KALTAP_Analysis_Views.h"
#include "KALTAP_Main.h"
#include "MainWindow.h"
#include "Plot_Navigator.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "SubWindow.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Settle_ms = 600;
constexpr int Program_Timeout_ms = 120000;

void settle(int ms = Settle_ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool grab(const QString& path) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const bool ok = screen != nullptr && screen->grabWindow(0).save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// Zooms `plot` into the passband 0.2–0.35 of the three-band default, marks
// the designed filter's largest ripple there and rests the cursor beside
// it, so that the tracker shows.
bool zoomIntoPassband(XYPlot* plot) {
    if (plot == nullptr || plot->curves.isEmpty()) return false;
    const QwtPlotCurve* filter = plot->curves.first();
    const double from = 0.19, to = 0.36;
    double ripple = 0.0;
    QPointF peak;
    for (size_t i = 0; i < filter->dataSize(); ++i) {
        const QPointF p = filter->sample(int(i));
        if (p.x() >= 0.2 && p.x() <= 0.35 && std::fabs(p.y()) > ripple) {
            ripple = std::fabs(p.y());
            peak = p;
        }
    }
    if (ripple <= 0.0) return false;
    plot->navigator->zoomer->zoom(QRectF(QPointF(from, -2.0 * ripple), QPointF(to, 2.0 * ripple)));
    const QPoint at(qRound(plot->canvasMap(QwtPlot::xBottom).transform(peak.x())),
                    qRound(plot->canvasMap(QwtPlot::yLeft).transform(peak.y())));
    plot->navigator->markNearestPoint(at);
    QCursor::setPos(plot->canvas()->mapToGlobal(at + QPoint(60, 40)));
    return true;
}

// Waits, the event loop running, until `done` or the timeout.
bool waitFor(const std::function<bool()>& done, int timeout_ms = Program_Timeout_ms) {
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) wait.quit();
    });
    poll.start(50);
    QTimer::singleShot(timeout_ms, &wait, &QEventLoop::quit);
    if (!done()) wait.exec();
    return done();
}

QAction* programItem(Program_Session& controller, const QString& menu, const QString& item) {
    return controller.mainWindow->findChild<QAction*>(QStringLiteral("programAction_%1_%2").arg(menu, item));
}

// Each View item's window, maximized, as "<name>.png".
bool grabViews(Program_Session& controller, const QString& out) {
    const char* const names[] = {"impulse_response", "step_response", "phase_radians",
                                 "phase_degrees",    "group_delay",   "zeros"};
    bool ok = true;
    for (int k = 0; k < 6; ++k) {
        QAction* item = programItem(controller, KALTAP_View_Menu, KALTAP_Analysis_View_Items[k]);
        if (item == nullptr) return false;
        const int before = controller.mdiArea->subWindowList().size();
        item->trigger();
        ok &= waitFor([&] { return !controller.menus->callbackRunning; });
        const QList<QMdiSubWindow*> windows = controller.mdiArea->subWindowList();
        if (windows.size() != before + 1) return false;
        windows.last()->showMaximized();
        settle();
        ok &= grab(out + "/" + names[k] + ".png");
        windows.last()->close();
    }
    return ok;
}

// A low-pass of 8001 weights from the FIR Design menu: the status bar while
// its exchange runs, then Stop.
bool grabProgress(Program_Session& controller, Program_Robot& robot, const QString& out) {
    QAction* item = programItem(controller, "FIR Design", "New FIR Filter Design");
    auto* label = controller.mainWindow->findChild<QLabel*>(QStringLiteral("progressLabel"));
    if (item == nullptr || label == nullptr) return false;
    robot.lowPass("8001", "0.2005").cancel("Select Filter Type").dismiss("Normal Exit");
    item->trigger();
    // Past the first iterations, with a deviation to show (a fast poll may
    // miss any one iteration's text).
    const QRegularExpression iteration(QStringLiteral("exchange iteration (\\d+)"));
    bool ok = waitFor([&] {
        const QRegularExpressionMatch match = iteration.match(label->text());
        return match.hasMatch() && match.captured(1).toInt() >= 2;
    });
    ok &= grab(out + "/progress.png");
    controller.mainWindow->stopAction()->trigger();
    ok &= waitFor([&] { return robot.done() && !controller.menus->callbackRunning; });
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kaltap_screenshots <output folder>\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    // The program's files go to a scratch folder.
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/kaltap.png")));

    Program_Session controller(&application, KALTAP_Run_Design_Program);
    // A bare X server has no window manager to maximize the main window.
    if (controller.mainWindow != nullptr && QGuiApplication::primaryScreen() != nullptr)
        controller.mainWindow->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    Program_Robot robot(controller);
    bool ok = true;
    robot
        .act("User Agreement and Selection",
             [&](QWidget* dialog) {
                 settle();
                 ok &= grab(out + "/agreement_dialog.png");
                 for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                     if (box->text() == "Agree?") box->setChecked(true);
                 pressOk(dialog);
             })
        .accept("Select Filter Type", {{"Select filter design approach:", "3"}})
        .accept("Legacy FIR Filter Parameters")
        .act("Band Definitions",
             [&](QWidget* dialog) {
                 settle();
                 ok &= grab(out + "/band_dialog.png");
                 pressOk(dialog);
             })
        .act("Next action?",
             [&](QWidget* dialog) {
                 // The design's preview behind the question.
                 settle();
                 ok &= grab(out + "/preview.png");
                 pressOk(dialog);
             })
        .accept("Select Number of Bits for Rounding");

    if (!waitFor([&] { return controller.menus->idle; }) || !robot.errors.isEmpty()) {
        std::fprintf(stderr, "the program did not finish: %s\n", qPrintable(robot.errors.join("; ")));
        return 1;
    }
    settle();
    // The main decibel plot, maximized as the program leaves it.
    ok &= grab(out + "/frequency_response.png");
    // The console beside the main plot; the other plots minimized.
    if (controller.mdiArea != nullptr) {
        const QList<QMdiSubWindow*> windows = controller.mdiArea->subWindowList();
        QMdiSubWindow* console = windows.value(0);
        QMdiSubWindow* main_plot = windows.value(windows.size() - 1);
        controller.mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        for (QMdiSubWindow* w : windows) w->showNormal();
        for (QMdiSubWindow* w : windows)
            if (w != console && w != main_plot) w->showMinimized();
        controller.mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        controller.mdiArea->setActiveSubWindow(main_plot);
        const QRect area = controller.mdiArea->viewport()->rect();
        const int half = area.width() * 2 / 5;
        console->showNormal();
        console->setGeometry(0, 0, half, area.height() - 40);
        main_plot->showNormal();
        main_plot->setGeometry(half, 0, area.width() - half, area.height() - 40);
    }
    settle();
    ok &= grab(out + "/main_window.png");
    // The main plot alone again, its passband zoomed and read.
    if (controller.mdiArea != nullptr) {
        QMdiSubWindow* main_plot =
            controller.mdiArea->subWindowList().value(controller.mdiArea->subWindowList().size() - 1);
        if (main_plot != nullptr) {
            main_plot->showMaximized();
            settle();
            ok &= zoomIntoPassband(qobject_cast<XYPlot*>(main_plot->widget()));
            settle();
            ok &= grab(out + "/zoomed_passband.png");
            main_plot->showNormal();
        }
        ok &= grabViews(controller, out);
        ok &= grabProgress(controller, robot, out);
    }
    if (!robot.errors.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(robot.errors.join("; ")));
    return ok && robot.errors.isEmpty() ? 0 : 1;
}
