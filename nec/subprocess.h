#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

// Starting a helper program so that neither it nor anything it starts
// outlives its use. A small keeper process (a fork of this one) starts it in
// a process group of its own, with SIGKILL should the keeper go, and adopts
// whatever it leaves behind (the keeper is a child subreaper, so even a
// child that left the group with setsid comes back to it). When the program
// ends, at the deadline, when the caller asks or when this process dies, the
// keeper stops everything it holds (SIGTERM, then SIGKILL after a short
// grace) and reaps it. What the program writes to standard output and error
// passes through a pipe of which only the end is kept, so a flood costs no
// memory and no disk.

namespace corvanta::nec {

struct ProcessOutcome {
    enum class End { Exited, Signalled, TimedOut, Stopped, NotFound, NotStarted };
    End end = End::NotStarted;
    int status = 0;  // the exit status, or the signal's number
    int error = 0;   // errno, when it could not be started
    // The end of what it wrote to standard output and error, at most
    // kKeptOutputBytes.
    std::string output;
};

inline constexpr std::size_t kKeptOutputBytes = 4096;

struct ProcessLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::stop_token stop;  // a stop request kills the process at once
};

// Writes to a pipe whose reader may have gone: that write fails with EPIPE
// (errno says so) instead of raising SIGPIPE, whose default would end the
// whole process. True when all of it was written.
bool WriteWithoutSigpipe(int fd, const void* bytes, std::size_t size);

// The program's full path: `name` itself when it holds a slash, else the
// first executable of that name on PATH.
std::optional<std::filesystem::path> FindProgram(const std::string& name);

// Runs arguments[0] with its arguments in `directory`, standard input from
// /dev/null, and waits for it within `limits`; then stops and reaps
// everything it left running, whatever the outcome.
ProcessOutcome RunProcess(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                          const ProcessLimits& limits);

// A fresh directory under TMPDIR (or /tmp), removed with everything in it
// when this goes. Its name holds the owner's process number and start
// ("corvanta-nec-4711-123456-Ab3dEf"), and the owner holds a lock on the
// file kOwnerLock inside it while it lives, so that the folder of a process
// killed outright can be told from one in use.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& prefix);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    int lock_ = -1;
};

inline constexpr const char* kOwnerLock = ".owner";

// Removes the folders TemporaryDirectory made with `prefix` under TMPDIR
// whose owner is gone (killed with SIGKILL, or the machine stopped): their
// lock is free and their owner's process is not running, or a later one
// has its number. Folders of another naming, and of a living owner, stay.
void RemoveOrphanedDirectories(const std::string& prefix);

}  // namespace corvanta::nec
