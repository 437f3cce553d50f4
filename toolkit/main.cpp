// The kaltap program: the Qt application, the window controller with its
// console and main window, and the design program on its own thread.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

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
}  // namespace

int main(int argc, char** argv) {
    if (!display_available()) {
        std::fprintf(stderr, "kaltap: no display found (DISPLAY is not set); kaltap needs a desktop session.\n");
        return 1;
    }
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication application(argc, argv);
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/kaltap.png")));
    WindowController controller(&application, KALTAP_Run_Design_Program);
    return application.exec();
}
