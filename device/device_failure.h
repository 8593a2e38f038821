#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// Every way talking to an analyser fails, as data. The library says what
// happened and what usually causes it; the front ends add their own words.

namespace corvanta::device {

enum class FailureKind {
    NoDevice,          // nothing at `path`, or no analyser plugged in at all (`path` empty)
    PermissionDenied,  // `path` may only be opened by the group `group`
    PortBusy,          // another program holds `path`
    NoPrompt,          // no prompt within `seconds`; `command` what was waited for (empty: the first prompt)
    UnknownAnswer,     // `answer` to `command` is not an analyser's
    Unplugged,         // `path` went away after `done` of `total` points
    Stopped,           // the caller asked for the stop
    Refused,           // the sweep asked for cannot be made: `detail`
};

struct FailureFacts {
    FailureKind kind = FailureKind::NoDevice;
    std::string path{};
    std::string group{};    // PermissionDenied
    std::string command{};  // NoPrompt, UnknownAnswer
    std::string answer{};   // UnknownAnswer, shortened
    std::string detail{};   // Refused, UnknownAnswer: why
    double seconds = 0;     // NoPrompt
    std::size_t done = 0, total = 0;
};

class Failure : public std::runtime_error {
public:
    explicit Failure(FailureFacts facts);
    FailureKind Kind() const { return facts_.kind; }
    const FailureFacts& Facts() const { return facts_; }

private:
    FailureFacts facts_;
};

// The facts in a sentence:
//     NoDevice, "" -> no analyser is plugged in (none with USB id 0483:5740)
//     PermissionDenied, "/dev/ttyACM0", "dialout" -> /dev/ttyACM0: permission denied: only the group dialout may
//         open it; add yourself to it (sudo usermod -aG dialout $USER) and log in again
//     Unplugged, done 150, total 201 -> /dev/ttyACM0 went away during the sweep (after 150 of 201 points); nothing
//         was kept
std::string Describe(const FailureFacts& facts);

}  // namespace corvanta::device
