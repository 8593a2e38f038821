#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "ui/error_reporter.h"
#include "ui/launcher.h"

namespace corvanta::ui::testing {

// Records failures instead of opening a modal box that would block a test.
class RecordingReporter final : public ErrorReporter {
public:
    void Report(QWidget* over, const Failure& failure) override {
        failures.append(failure);
        windows.append(over);
    }
    QList<Failure> failures;
    QList<QWidget*> windows;
};

// Records the command lines instead of starting anything.
class RecordingLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> Start(const QString& commandLine, int showState) override {
        commands.append(commandLine);
        showStates.append(showState);
        return failure;
    }
    QStringList commands;
    QList<int> showStates;
    std::optional<LaunchFailure> failure;
};

}  // namespace corvanta::ui::testing
