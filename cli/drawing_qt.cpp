#include "cli/drawing_qt.h"

#include <QByteArray>

namespace corvanta::cli {

namespace {

QtMessageHandler qtMessages = nullptr;

// Qt warns at start, as root without XDG_RUNTIME_DIR (CI, containers), of a
// directory that drawing never uses; everything else it says goes through.
void QuietStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    qtMessages(type, context, message);
}

}  // namespace

DrawingQt::DrawingQt() : application_((Prepare(), argc_), argv_) {}

int DrawingQt::Prepare() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(QuietStart);
    return 0;
}

}  // namespace corvanta::cli
