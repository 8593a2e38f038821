#include "device/device_failure.h"

#include <cmath>
#include <utility>

namespace corvanta::device {

namespace {

std::string Seconds(double seconds) {
    const double tenths = std::round(seconds * 10);
    std::string text = std::to_string(static_cast<long long>(tenths / 10));
    const long long fraction = static_cast<long long>(tenths) % 10;
    if (fraction != 0) text += "." + std::to_string(fraction);
    return text + " s";
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

Failure::Failure(FailureFacts facts) : std::runtime_error(Describe(facts)), facts_(std::move(facts)) {}

std::string Describe(const FailureFacts& facts) {
    switch (facts.kind) {
        case FailureKind::NoDevice:
            if (facts.path.empty()) return "no analyser is plugged in (none with USB id 0483:5740)";
            return "no analyser at " + facts.path + " (nothing is plugged in there)";
        case FailureKind::PermissionDenied:
            return facts.path + ": permission denied: only the group " + facts.group +
                   " may open it; add yourself to it (sudo usermod -aG " + facts.group + " $USER) and log in again";
        case FailureKind::PortBusy:
            return facts.path +
                   " is held by another program: usually the modem manager (ModemManager), which probes every new "
                   "serial device for a modem; stop it (sudo systemctl stop ModemManager) or close the program that "
                   "holds the port";
        case FailureKind::NoPrompt:
            if (facts.command.empty()) {
                return facts.path + " gave no prompt within " + Seconds(facts.seconds) +
                       ": is it an analyser, switched on and not busy?";
            }
            return facts.path + " stopped answering: no prompt within " + Seconds(facts.seconds) + " after " +
                   Quoted(facts.command) + "; nothing was kept";
        case FailureKind::UnknownAnswer:
            return facts.path + " answered " + Quoted(facts.answer) + " to " + Quoted(facts.command) + ", " +
                   (facts.detail.empty() ? std::string("which is no analyser's answer") : facts.detail) +
                   "; nothing was kept";
        case FailureKind::Unplugged:
            if (facts.total == 0) return facts.path + " went away while it was spoken to; nothing was kept";
            return facts.path + " went away during the sweep (after " + std::to_string(facts.done) + " of " +
                   std::to_string(facts.total) + " points); nothing was kept";
        case FailureKind::Stopped:
            return "the sweep was stopped; nothing was kept";
        case FailureKind::Refused:
            return facts.detail;
    }
    return "the analyser failed";
}

}  // namespace corvanta::device
