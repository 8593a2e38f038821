#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "core/run_time_error.h"

class QWidget;

namespace corvanta::ui {

struct LaunchFailure;

// What went wrong in an action or in the launcher, as the user is told.
struct Failure {
    int number = 0;
    QString message;
    std::optional<Field> field;  // the field that could not be read
};

// The failure of a window's action, its fields named by their captions:
// "Error 13: Type mismatch: the MM field "abc" is not a number".
Failure FailureOf(const RunTimeError& error, std::string_view action);

// "Error 53: File not found: start.exe".
Failure FailureOf(const LaunchFailure& failure);

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
