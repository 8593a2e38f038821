#include "ui/error_reporter.h"

#include <QMessageBox>
#include <QWidget>

namespace corvanta::ui {

Failure Failure::FromRunTimeError(const RunTimeError& error) {
    Failure failure;
    failure.number = static_cast<int>(error.Number());
    failure.description = QString::fromUtf8(Description(error.Number()));
    failure.field = error.FailedField();
    if (failure.field) {
        failure.fieldLabel = QString::fromUtf8(FieldLabel(*failure.field));
        failure.fieldText = QString::fromStdString(error.FieldText());
    }
    return failure;
}

QString FailureMessage(const Failure& failure) {
    QString message = QStringLiteral("Error %1: %2").arg(failure.number).arg(failure.description);
    if (failure.field) {
        // A megabyte pasted into a field would make an unreadable box.
        constexpr qsizetype kShownCharacters = 60;
        QString shown = failure.fieldText.left(kShownCharacters);
        if (failure.fieldText.size() > kShownCharacters) shown += QStringLiteral("\u2026");
        message += QStringLiteral("\n\nThe %1 field could not be read: \u201c%2\u201d")
                       .arg(failure.fieldLabel, shown);
    }
    return message;
}

QString NoSidesMessage() {
    return QStringLiteral("Choose THREE SIDED or FOUR SIDED for the design first.");
}

void MessageBoxReporter::Report(QWidget* over, const Failure& failure) {
    QMessageBox box(QMessageBox::Critical, over ? over->windowTitle() : QString(),
                    FailureMessage(failure), QMessageBox::Ok, over);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

}  // namespace corvanta::ui
