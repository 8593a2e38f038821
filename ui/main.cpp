// corvanta: start-up creates and shows the main window and nothing else.
// The program ends when its last window closes; the notes and website
// windows outlive the main window.

#include <QApplication>
#include <QLocale>

#include "ui/error_reporter.h"
#include "ui/file_dialog.h"
#include "ui/launcher.h"
#include "ui/main_window.h"
#include "ui/model_window.h"
#include "ui/notes_window.h"
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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvanta"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION));
    QIcon icon;
    for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    corvanta::ui::MessageBoxReporter reporter;
    corvanta::ui::DesktopLauncher launcher;
    corvanta::ui::SecondaryWindow notes(corvanta::ui::BuildNotesWindow);
    corvanta::ui::SecondaryWindow website(
        [&] { return corvanta::ui::BuildWebsiteWindow(launcher, reporter); });
    corvanta::ui::StandardFileDialog files;
    corvanta::ui::SecondaryWindow model([&] { return new corvanta::ui::ModelWindow(files); });

    auto* form1 =
        new corvanta::ui::MainWindow(reporter, notes, website, model, RegionalNumberFormat());
    // Closing the main window discards it and its design sheet.
    form1->setAttribute(Qt::WA_DeleteOnClose);
    form1->show();
    return QApplication::exec();
}
