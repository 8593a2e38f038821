#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

// Starting a helper program so that it never outlives its use: it runs in a
// process group of its own (stopping it stops everything it started), gets
// SIGKILL when the thread that started it ends, and is stopped at a deadline
// or when the caller asks.

namespace corvanta::nec {

struct ProcessOutcome {
    enum class End { Exited, Signalled, TimedOut, Stopped, NotFound, NotStarted };
    End end = End::NotStarted;
    int status = 0;  // the exit status, or the signal's number
    int error = 0;   // errno, when it could not be started
};

struct ProcessLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::stop_token stop;  // a stop request kills the process at once
};

// The program's full path: `name` itself when it holds a slash, else the
// first executable of that name on PATH.
std::optional<std::filesystem::path> FindProgram(const std::string& name);

// Runs arguments[0] with its arguments, standard input from /dev/null and
// standard output and error into `log`, and waits for it within `limits`.
ProcessOutcome RunProcess(const std::vector<std::string>& arguments,
                          const std::filesystem::path& log, const ProcessLimits& limits);

// A fresh directory under TMPDIR (or /tmp), removed with everything in it
// when this goes.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& prefix);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace corvanta::nec
