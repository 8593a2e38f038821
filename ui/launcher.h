#pragma once

#include <QString>
#include <optional>

namespace corvanta::ui {

struct LaunchFailure {
    int number;
    QString description;
};

// Starts a program from a command line ("program argument...") and returns
// at once; the program is not waited for. Injected so that tests can record
// the commands instead of starting anything.
class Launcher {
public:
    // Show state of the started program's window; 0 is hidden.
    static constexpr int kHidden = 0;

    virtual ~Launcher() = default;
    virtual std::optional<LaunchFailure> Start(const QString& commandLine, int showState) = 0;
};

// Knows one program, "start.exe", which opens its argument with the
// desktop's default handler (for an address, the default browser). That is
// what the link's command has always meant; no desktop of ours has a
// start.exe to run.
class DesktopLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> Start(const QString& commandLine, int showState) override;
};

}  // namespace corvanta::ui
