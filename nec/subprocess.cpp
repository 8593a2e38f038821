#include "nec/subprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace corvanta::nec {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);

void KillGroup(pid_t pid) {
    ::kill(-pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::optional<std::filesystem::path> FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        if (::access(name.c_str(), X_OK) == 0) return std::filesystem::path(name);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    const std::string directories = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        std::size_t end = directories.find(':', start);
        if (end == std::string::npos) end = directories.size();
        const std::string directory = directories.substr(start, end - start);
        const std::filesystem::path candidate =
            std::filesystem::path(directory.empty() ? "." : directory) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

ProcessOutcome RunProcess(const std::vector<std::string>& arguments,
                          const std::filesystem::path& log, const ProcessLimits& limits) {
    ProcessOutcome outcome;
    if (arguments.empty()) return outcome;
    const auto program = FindProgram(arguments.front());
    if (!program) {
        outcome.end = ProcessOutcome::End::NotFound;
        return outcome;
    }
    // Everything the child needs is made before fork: between fork and exec
    // a threaded program may only make async-signal-safe calls.
    const std::string executable = program->string();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int output = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (output < 0) {
        outcome.error = errno;
        return outcome;
    }
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);  // the parent went before prctl
        const int input = ::open("/dev/null", O_RDONLY);
        if (input < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) {
            ::_exit(127);
        }
        ::execve(executable.c_str(), argv.data(), environ);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(output);
    if (pid < 0) {
        outcome.error = forkError;
        return outcome;
    }
    // Also from this side, so that a stop right after fork reaches the group.
    ::setpgid(pid, pid);

    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) {
                outcome.end = ProcessOutcome::End::Exited;
                outcome.status = WEXITSTATUS(status);
            } else {
                outcome.end = ProcessOutcome::End::Signalled;
                outcome.status = WTERMSIG(status);
            }
            return outcome;
        }
        if (done < 0 && errno != EINTR) {
            outcome.error = errno;
            KillGroup(pid);
            return outcome;
        }
        if (limits.stop.stop_requested()) {
            KillGroup(pid);
            outcome.end = ProcessOutcome::End::Stopped;
            return outcome;
        }
        if (std::chrono::steady_clock::now() >= limits.deadline) {
            KillGroup(pid);
            outcome.end = ProcessOutcome::End::TimedOut;
            return outcome;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

TemporaryDirectory::TemporaryDirectory(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot make a temporary directory " + pattern);
    }
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace corvanta::nec
