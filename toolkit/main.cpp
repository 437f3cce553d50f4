// The kaltap program: the Qt application, the window controller with its
// console and main window, and the design program on its own thread.
#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "KALTAP_Main.h"
#include "WindowController.h"

namespace {
// Without a display server there is nothing to show the windows on; say so
// instead of letting the platform plugin abort.
bool display_available() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}
// Ctrl+C (SIGINT) and SIGTERM quit the program the way File > Quit does. The
// handler only writes the signal's number into a socket pair; the GUI thread
// reads it there and closes the windows.
int quit_signal_pair[2] = {-1, -1};

void on_quit_signal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    const ssize_t written = ::write(quit_signal_pair[1], &byte, 1);
    static_cast<void>(written);  // nothing more can be done inside a handler
}

// Exit status of a quit by signal: 130 after Ctrl+C, as shells report an
// interrupted program; 0 after SIGTERM, a requested end.
constexpr int Interrupted_Status = 130;

void handle_quit_signals(QApplication& application, int& quit_status) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, quit_signal_pair) != 0) return;
    auto* notifier = new QSocketNotifier(quit_signal_pair[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [&application, &quit_status] {
        unsigned char byte = 0;
        if (::read(quit_signal_pair[0], &byte, 1) != 1) return;
        if (quit_status < 0) quit_status = byte == SIGINT ? Interrupted_Status : 0;
        application.closeAllWindows();
        // Closing the last window ends the event loop; this ends it as well
        // when no window was left to close.
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
    });
    struct sigaction action = {};
    action.sa_handler = on_quit_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
    if (!display_available()) {
        std::fprintf(stderr, "kaltap: no display found (DISPLAY is not set); kaltap needs a desktop session.\n");
        return 1;
    }
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication application(argc, argv);
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/kaltap.png")));
    int quit_status = -1;
    handle_quit_signals(application, quit_status);
    WindowController controller(&application, KALTAP_Run_Design_Program);
    const int status = application.exec();
    return quit_status >= 0 ? quit_status : status;
}
