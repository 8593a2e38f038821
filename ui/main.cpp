// corvanta: start-up creates and shows the main window and nothing else.
// The program ends when its last window closes; the notes and website
// windows outlive the main window. SIGTERM, SIGINT and SIGHUP quit it as
// closing would, so that a model check in progress stops its engines and
// removes its files (SIGKILL leaves that to the engines' parent-death
// signal, and the folder to the next check's sweep of orphans). SIGPIPE is
// ignored: a write to a process that has gone is an error like any other,
// told where it happens, not the end of the program and its unsaved work.

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <memory>
#include <cstring>
#include <iostream>
#include <optional>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "ui/assets.h"
#include "ui/error_reporter.h"
#include "ui/file_dialog.h"
#include "ui/launcher.h"
#include "ui/main_window.h"
#include "ui/model_memory.h"
#include "ui/model_window.h"
#include "ui/notes_window.h"
#include "ui/print_dialog.h"
#include "ui/record_binding.h"
#include "ui/secondary_window.h"
#include "ui/website_window.h"

namespace {

// The regional decimal separator, when it is one plain character.
corvanta::NumberFormat RegionalNumberFormat() {
    const QString point = QLocale::system().decimalPoint();
    corvanta::NumberFormat format;
    if (point.size() == 1 && point.at(0).unicode() < 0x80 && !point.at(0).isDigit()) {
        format.decimalSeparator = static_cast<char>(point.at(0).unicode());
    }
    return format;
}

// A signal handler may only write to a descriptor: the event loop reads
// the other end and quits.
int signalPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

void QuitOnSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

// --help and --version are answered before Qt starts: they need no
// display, and a script asking for them gets an answer, not a window.
constexpr const char* kUsage =
    "Usage: corvanta [--help] [--version]\n"
    "A prism loop antenna calculator for radio amateurs: the window program.\n"
    "Without options it opens the main window; corvanta-cli does the same\n"
    "work from the command line (corvanta-cli --help).\n"
    "  --help     print this and exit\n"
    "  --version  print the version and exit\n";

// The exit status when an option was answered here; none: start the window.
std::optional<int> AnsweredWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return std::cout.flush() ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "corvanta " << CORVANTA_VERSION << '\n';
            return std::cout.flush() ? 0 : 1;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN);
    if (const std::optional<int> status = AnsweredWithoutWindow(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvanta"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION));
    // Ties the window to its desktop entry, whose icon theme has every size.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zorvex.Corvanta"));
    // The sizes a title bar, a task bar and a window switcher use; the menu's
    // larger ones come from the installed icon theme.
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(corvanta::ui::PngAsset(QStringLiteral(":/assets/icon-%1.png").arg(size)));
    }
    QApplication::setWindowIcon(icon);
    QuitOnSignals(app);

    corvanta::ui::MessageBoxReporter reporter;
    corvanta::ui::DesktopLauncher launcher;
    corvanta::ui::StandardPrintDialog printDialog;
    corvanta::ui::SecondaryWindow notes(corvanta::ui::BuildNotesWindow);
    corvanta::ui::SecondaryWindow website([&] { return corvanta::ui::BuildWebsiteWindow(launcher, reporter); });
    corvanta::ui::StandardFileDialog files;
    // The model window's set-up outlives the window, and its feed the run.
    corvanta::ui::ModelMemory modelMemory(
        std::make_unique<QSettings>(QStringLiteral("corvanta"), QStringLiteral("corvanta")));
    corvanta::ui::SecondaryWindow model([&] {
        auto* window = new corvanta::ui::ModelWindow(files);
        window->setPrintDialog(&printDialog);
        window->setMemory(&modelMemory);
        new corvanta::ui::RecordBinding(*window, files);
        return window;
    });

    auto* form1 = new corvanta::ui::MainWindow(reporter, notes, website, model, printDialog, RegionalNumberFormat());
    // The printed sheet carries the model window's figures when its last
    // check is of the design being printed.
    form1->SetModelFiguresSource(corvanta::ui::SheetFiguresFrom(model, *form1));
    // The model window checks the main window's design: it goes with it,
    // and its engines stop.
    QObject::connect(form1, &QObject::destroyed, [&model] {
        if (QWidget* window = model.Window()) window->close();
    });
    // A build record with changes not saved is asked about first.
    corvanta::ui::AskBeforeClosing(form1, model);
    // Closing the main window discards it and its design sheet.
    form1->setAttribute(Qt::WA_DeleteOnClose);
    form1->show();
    return QApplication::exec();
}
