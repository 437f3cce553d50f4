// SPDX-License-Identifier: GPL-3.0-or-later
// The kaltap program: the Qt application, the window controller with its
// console and main window, and the design program on its own thread.
#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "KALTAP_Design_Record_Run.h"
#include "KALTAP_Main.h"
#include "KALTAP_Version.h"
#include "Program_Memory.h"
#include "Program_Session.h"
#include "WindowController.h"

namespace {
// Exit status of a command line the program does not understand, as for
// other command-line programs' usage errors.
constexpr int Usage_Status = 2;

// The command line. The program has only --help and --version of its own; it
// also accepts the options that Qt takes out of the arguments for itself (the
// QApplication constructor reads and removes them), so that "-platform
// offscreen", "-style Fusion" or "-display :1" work as for any Qt program.
// They are parsed here only so that they are not taken for unknown options,
// and are left hidden from --help (the manual page lists them).
struct Qt_Option {
    const char* name;
    bool takes_value;
};
constexpr Qt_Option Qt_Options[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true},
    {"qwindowicon", true},     {"geometry", true},
    {"title", true},           {"icon", true},
    {"display", true},         {"name", true},
    {"visual", true},          {"style", true},
    {"stylesheet", true},      {"session", true},
    {"qmljsdebugger", true},   {"reverse", false},
    {"widgetcount", false},    {"sync", false},
    {"nograb", false},         {"dograb", false},
    {"testability", false},
};

struct Command_Line {
    QCommandLineParser parser;
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and exit.")};
    QCommandLineOption design{
        QStringLiteral("design"),
        QStringLiteral("Make the design of the JSON design record <record> without windows: the report goes "
                       "to standard output, the files to the output folder. Exit status 0 when the design and "
                       "its files were written, 1 when the program refused an input of the record or the design "
                       "failed, 2 for a command line it does not take, 3 when the record, the output folder or "
                       "the export file cannot be used; the reason goes to standard error."),
        QStringLiteral("record")};
    QCommandLineOption output_dir{
        QStringLiteral("output-dir"),
        QStringLiteral("With --design: write the files into <dir> (default: the working folder)."),
        QStringLiteral("dir")};
    QCommandLineOption export_file{
        QStringLiteral("export"),
        QStringLiteral("With --design: also export the design's taps to <file>, in the format its extension names "
                       "(.h, .m, .py, .coe, .mem, .json; see \"Exporting the weights\" in the README)."),
        QStringLiteral("file")};
    QCommandLineOption platform{QStringLiteral("platform"), QString(), QStringLiteral("name")};
};

// Sets up the parser: one dash or two before a word option ("-platform" as Qt
// writes it, "--version" as GNU programs do).
void define_options(Command_Line& line) {
    line.parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    line.parser.setApplicationDescription(
        QStringLiteral("Designs linear-phase FIR filters with the Parks-McClellan (Remez exchange) method.\n"
                       "The program asks for everything it needs in dialogs (or takes it from a design\n"
                       "record: --design) and writes its result files and run logs to the working folder.\n"
                       "Qt's own options (-platform, -style, -display, ...) are accepted too; see kaltap(1)."));
    line.parser.addOption(line.help);
    line.parser.addOption(line.version);
    line.parser.addOption(line.design);
    line.parser.addOption(line.output_dir);
    line.parser.addOption(line.export_file);
    line.platform.setFlags(QCommandLineOption::HiddenFromHelp);
    line.parser.addOption(line.platform);
    for (const Qt_Option& option : Qt_Options) {
        const QString name = QString::fromLatin1(option.name);
        if (name == line.platform.names().constFirst()) continue;
        QCommandLineOption qt_option = option.takes_value ? QCommandLineOption(name, QString(), QStringLiteral("value"))
                                                          : QCommandLineOption(name, QString());
        qt_option.setFlags(QCommandLineOption::HiddenFromHelp);
        line.parser.addOption(qt_option);
    }
}

// Without a display server there is nothing to show the windows on; say so
// instead of letting the platform plugin abort. A platform named on the
// command line or in QT_QPA_PLATFORM (offscreen, vnc, ...) needs no display.
bool display_available(const QString& platform_option) {
    if (!platform_option.isEmpty()) return true;
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

// A design run's standard error holds its error alone: the notes of the
// offscreen platform and of Qt's setup ("This plugin does not support
// raise()") are dropped, critical and fatal messages kept.
void design_run_messages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "kaltap: %s\n", qPrintable(text));
    if (type == QtFatalMsg) std::abort();
}
}  // namespace

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setApplicationName(QStringLiteral("kaltap"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KALTAP_VERSION_STRING));

    // The command line is read before anything needs a display, so that
    // --help, --version and usage errors work on a plain terminal.
    Command_Line line;
    define_options(line);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = line.parser.parse(arguments);
    if (!parsed || !line.parser.positionalArguments().isEmpty()) {
        // The usage text needs an application object (for the program's
        // name); a core one will do, since the program ends here.
        QCoreApplication usage_application(argc, argv);
        const QString problem =
            !parsed ? line.parser.errorText()
                    : QStringLiteral("unexpected argument '%1'.").arg(line.parser.positionalArguments().constFirst());
        std::fprintf(stderr, "kaltap: %s\n%s", qPrintable(problem), qPrintable(line.parser.helpText()));
        return Usage_Status;
    }
    if (line.parser.isSet(line.help) || line.parser.isSet(line.version)) {
        QCoreApplication text_application(argc, argv);
        if (line.parser.isSet(line.help)) line.parser.showHelp(0);  // both end the process with status 0
        line.parser.showVersion();
    }

    const bool design_run = line.parser.isSet(line.design);
    if ((line.parser.isSet(line.output_dir) || line.parser.isSet(line.export_file)) && !design_run) {
        QCoreApplication usage_application(argc, argv);
        std::fprintf(stderr, "kaltap: --%s is used only with --design.\n%s",
                     line.parser.isSet(line.output_dir) ? "output-dir" : "export", qPrintable(line.parser.helpText()));
        return Usage_Status;
    }
    // A design run draws its plots offscreen unless a platform is named.
    if (design_run) {
        if (line.parser.value(line.platform).isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(design_run_messages);
    }
    if (!display_available(line.parser.value(line.platform))) {
        std::fprintf(stderr, "kaltap: no display found (DISPLAY is not set); kaltap needs a desktop session.\n");
        return 1;
    }
    Program_Memory_Return_Large_Blocks();
    QApplication application(argc, argv);
    // The constructor applied the user's locale to the C library; numbers go
    // back to the "C" notation (a decimal point) for everything that converts
    // them through it. Qt's own number texts follow QLocale and are left as
    // they are.
    std::setlocale(LC_NUMERIC, "C");
    // Ties the windows to the installed desktop entry (kaltap.desktop), so
    // that desktops show its name and icon for them.
    QGuiApplication::setDesktopFileName(QStringLiteral("kaltap"));
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/kaltap.png")));
    int quit_status = -1;
    handle_quit_signals(application, quit_status);
    if (design_run) {
        // The record's design on the program thread; the application ends
        // with its status once it has returned.
        std::string error;
        const std::string record = line.parser.value(line.design).toLocal8Bit().toStdString();
        const std::string folder = line.parser.value(line.output_dir).toLocal8Bit().toStdString();
        const std::string exported = line.parser.value(line.export_file).toLocal8Bit().toStdString();
        Program_Session controller(&application, [&application, &error, record, folder, exported] {
            const int run_status = KALTAP_Run_Design_Record(record, folder, error, exported);
            QMetaObject::invokeMethod(
                &application, [run_status] { QCoreApplication::exit(run_status); }, Qt::QueuedConnection);
        });
        const int status = application.exec();
        if (status != KALTAP_Record_Run_Done && !error.empty()) std::fprintf(stderr, "kaltap: %s\n", error.c_str());
        return quit_status >= 0 ? quit_status : status;
    }
    Program_Session controller(&application, KALTAP_Run_Design_Program);
    const int status = application.exec();
    return quit_status >= 0 ? quit_status : status;
}
