#pragma once

#include <QString>
#include <optional>

#include "core/run_time_error.h"

class QWidget;

namespace corvanta::ui {

// What went wrong in an action or in the launcher, as the user is told.
struct Failure {
    int number = 0;
    QString description;
    // The field that could not be read, by what labels it, and its text.
    std::optional<Field> field;
    QString fieldLabel;
    QString fieldText;

    static Failure FromRunTimeError(const RunTimeError& error);
};

// "Error 13: Type mismatch" and, for a field, which one and what it held.
QString FailureMessage(const Failure& failure);

// What a window that works on the design the main window would compute now
// says when no side count is chosen.
QString NoSidesMessage();

// Tells the user of a failure. The program keeps running afterwards.
// Injected so that tests can record failures instead of opening a modal box.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void Report(QWidget* over, const Failure& failure) = 0;
};

// A modal message box over the given window.
class MessageBoxReporter final : public ErrorReporter {
public:
    void Report(QWidget* over, const Failure& failure) override;
};

}  // namespace corvanta::ui
