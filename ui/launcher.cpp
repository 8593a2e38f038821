#include "ui/launcher.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvanta::ui {

namespace {

constexpr int kFileNotFound = 53;

}  // namespace

std::optional<LaunchFailure> DesktopLauncher::Start(const QString& commandLine, int /*showState*/) {
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    const QString program = blank < 0 ? commandLine : commandLine.left(blank);
    const QString argument = blank < 0 ? QString() : commandLine.mid(blank + 1);
    if (program.compare(QLatin1String("start.exe"), Qt::CaseInsensitive) != 0) {
        return LaunchFailure{kFileNotFound, QStringLiteral("File not found: %1").arg(program)};
    }
    const QUrl url(argument, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || !QDesktopServices::openUrl(url)) {
        return LaunchFailure{kFileNotFound, QStringLiteral("No default browser could open %1").arg(argument)};
    }
    return std::nullopt;
}

}  // namespace corvanta::ui
