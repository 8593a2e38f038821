#include "ui/error_reporter.h"

#include <QMessageBox>
#include <QWidget>

#include "ui/launcher.h"

namespace corvanta::ui {

Failure FailureOf(const RunTimeError& error, std::string_view action) {
    const auto byCaption = [](Field field) { return "the " + std::string(FieldLabel(field)) + " field"; };
    return {static_cast<int>(error.Number()), QString::fromStdString(FailureText(error, byCaption, action)),
            error.FailedField()};
}

Failure FailureOf(const LaunchFailure& failure) {
    return {failure.number, QString::fromStdString(ErrorLine(failure.number, failure.description.toStdString())),
            std::nullopt};
}

QString NoSidesMessage() {
    return QStringLiteral("No side count is chosen: choose THREE SIDED or FOUR SIDED in the main window.");
}

void MessageBoxReporter::Report(QWidget* over, const Failure& failure) {
    QMessageBox box(QMessageBox::Critical, over ? over->windowTitle() : QString(), failure.message, QMessageBox::Ok,
                    over);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

}  // namespace corvanta::ui
