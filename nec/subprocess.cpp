#include "nec/subprocess.h"

#include <fcntl.h>
#include <sys/file.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace corvanta::nec {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);
// How long what is stopped gets to end on SIGTERM before SIGKILL.
constexpr long kGraceMs = 300;
// How long after SIGKILL the keeper waits for its last children. SIGKILL
// ends them at once; this only bounds the wait where the children cannot be
// listed (a kernel without /proc/<pid>/task/<tid>/children).
constexpr long kGiveUpMs = 2000;
// The signals a caller may handle or ignore: the keeper ignores them, the
// program gets their defaults back.
constexpr int kResetSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGUSR1, SIGUSR2};
// Output chunks read between looks at the clock and the stop, so that a
// flood cannot keep the reader past the deadline.
constexpr int kReadsBetweenLooks = 16;

// What the keeper tells when everything it held is gone.
struct KeeperReport {
    enum class How { Ended, Stopped, NotStarted };
    How how = How::NotStarted;
    int value = 0;  // Ended: the program's wait status; NotStarted: errno
};

// ---- The keeper. It is a fork of a threaded process that never execs, so
// ---- everything from here to the end of Keep is async-signal-safe: system
// ---- calls and arithmetic, no allocation, no locks.

struct KeeperStart {
    const char* executable;
    char* const* argv;
    const char* directory;
    int input, output, control, report;
};

long NowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

void SleepMs(long ms) {
    timespec pause{0, ms * 1000000};
    ::nanosleep(&pause, nullptr);
}

// Sends `signal` to every child of the keeper and to the process group each
// leads: the program's leftovers that the keeper adopted, setsid or not.
// (A group id is never a process id in use by another, so a child that
// leads no group only makes kill fail.)
void SignalChildren(int signal) {
    const int list = ::open("/proc/thread-self/children", O_RDONLY | O_CLOEXEC);
    if (list < 0) return;
    static char buffer[16384];
    pid_t pid = 0;
    bool digits = false;
    for (ssize_t n; (n = ::read(list, buffer, sizeof buffer)) > 0;) {
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] >= '0' && buffer[i] <= '9') {
                pid = pid * 10 + (buffer[i] - '0');
                digits = true;
            } else if (digits) {
                ::kill(pid, signal);
                ::kill(-pid, signal);
                pid = 0;
                digits = false;
            }
        }
    }
    if (digits) {
        ::kill(pid, signal);
        ::kill(-pid, signal);
    }
    ::close(list);
}

// Stops the program's group and everything the keeper adopted, SIGTERM
// first and SIGKILL after the grace, and reaps all of it; gives the
// program's wait status. Every living descendant of the keeper has a living
// ancestor among its children (an orphan comes to the nearest subreaper),
// so once it has no child left, nothing the program started runs.
int StopEverything(pid_t program) {
    const long killAt = NowMs() + kGraceMs;
    const long giveUpAt = killAt + kGiveUpMs;
    bool terminated = false;
    bool programReaped = false;
    int programStatus = 0;
    while (true) {
        const bool late = NowMs() >= killAt;
        if (!terminated || late) {
            const int signal = late ? SIGKILL : SIGTERM;
            // Its group only while the program is unreaped: until then the
            // group's number cannot be another's.
            if (!programReaped) ::kill(-program, signal);
            SignalChildren(signal);
            terminated = true;
        }
        int status = 0;
        pid_t reaped = 0;
        while ((reaped = ::waitpid(-1, &status, WNOHANG)) > 0) {
            if (reaped == program) {
                programReaped = true;
                programStatus = status;
            }
        }
        if ((reaped < 0 && errno == ECHILD) || NowMs() >= giveUpAt) return programStatus;
        SleepMs(late ? 1 : 5);
    }
}

// Keeps only the descriptors it needs, at places nothing else holds: a
// descriptor of another run left open here would hide that run's end.
bool KeepOnly(const KeeperStart& start, int& control, int& report) {
    control = ::fcntl(start.control, F_DUPFD_CLOEXEC, 3);
    report = ::fcntl(start.report, F_DUPFD_CLOEXEC, 3);
    const int input = ::fcntl(start.input, F_DUPFD, 3);
    const int output = ::fcntl(start.output, F_DUPFD, 3);
    if (control < 0 || report < 0 || input < 0 || output < 0) return false;
    if (::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) return false;
    const int low = control < report ? control : report;
    const int high = control < report ? report : control;
    if (low > 3) ::close_range(3, static_cast<unsigned>(low - 1), 0);
    if (high > low + 1) ::close_range(static_cast<unsigned>(low + 1), static_cast<unsigned>(high - 1), 0);
    ::close_range(static_cast<unsigned>(high + 1), ~0U, 0);
    return true;
}

[[noreturn]] void StartProgram(const KeeperStart& start, pid_t keeper) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != keeper) ::_exit(127);  // the keeper went before prctl
    // The program starts with the signals as a shell would give them.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int signal : kResetSignals) ::sigaction(signal, &standard, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::chdir(start.directory) != 0) ::_exit(127);
    ::execve(start.executable, start.argv, environ);
    ::_exit(127);
}

void Tell(int report, KeeperReport what) {
    while (::write(report, &what, sizeof what) < 0 && errno == EINTR) {}
}

[[noreturn]] void Keep(const KeeperStart& start) {
    // Orphans of the program come here instead of to init, where they can
    // be stopped; the keeper's own group keeps a terminal's Ctrl+C, which
    // the caller handles, from ending it before it has stopped them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    ::setpgid(0, 0);
    // The caller's handlers must not run here (they would write to its
    // descriptors, whose numbers may be the keeper's own now), and no
    // signal may end the keeper before it has stopped what it holds: it
    // ends when told, or when the caller goes.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    for (int signal : kResetSignals) ::sigaction(signal, &ignore, nullptr);
    int control = -1, report = -1;
    if (!KeepOnly(start, control, report)) {
        if (report >= 0) Tell(report, {KeeperReport::How::NotStarted, errno});
        ::_exit(1);
    }
    const pid_t keeper = ::getpid();
    const pid_t program = ::_Fork();
    if (program == 0) StartProgram(start, keeper);
    if (program < 0) {
        Tell(report, {KeeperReport::How::NotStarted, errno});
        ::_exit(1);
    }
    ::setpgid(program, program);  // from this side too, before any signal goes to the group
    ::close(0);
    ::close(1);
    ::close(2);

    // Wait for the program's end or the caller's word; the caller going
    // away (its end of the control pipe closing) is a word too.
    const int endFd = static_cast<int>(::syscall(SYS_pidfd_open, program, 0));
    bool ended = false;
    while (!ended) {
        // Seen, not reaped: the program's number, and so its group's, stays
        // its own until everything is stopped.
        siginfo_t info{};
        ended = ::waitid(P_PID, static_cast<id_t>(program), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                info.si_pid == program;
        if (ended) break;
        pollfd watched[2] = {{control, POLLIN, 0}, {endFd, POLLIN, 0}};
        if (::poll(watched, endFd >= 0 ? 2 : 1, endFd >= 0 ? -1 : 5) > 0 && watched[0].revents != 0) break;
    }
    const int status = StopEverything(program);
    Tell(report, ended ? KeeperReport{KeeperReport::How::Ended, status} : KeeperReport{KeeperReport::How::Stopped, 0});
    ::_exit(0);
}

// ---- The caller's side.

// A pipe whose ends close with it.
struct Pipe {
    int read = -1, write = -1;
    bool Open() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return false;
        read = ends[0];
        write = ends[1];
        return true;
    }
    void CloseRead() { Close(read); }
    void CloseWrite() { Close(write); }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    static void Close(int& end) {
        if (end >= 0) ::close(end);
        end = -1;
    }
};

// The end of what the program wrote, however much that is.
class OutputTail {
public:
    enum class Read { More, Empty, Closed };

    // Reads what the pipe holds, a bounded amount at a time.
    Read Drain(int pipe) {
        for (int i = 0; i < kReadsBetweenLooks; ++i) {
            const ssize_t n = ::read(pipe, buffer_.data(), buffer_.size());
            if (n == 0) return Read::Closed;
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno == EAGAIN ? Read::Empty : Read::Closed;
            }
            text_.append(buffer_.data(), static_cast<std::size_t>(n));
            if (text_.size() > 2 * kKeptOutputBytes) text_.erase(0, text_.size() - kKeptOutputBytes);
        }
        return Read::More;
    }

    std::string Text() const {
        return text_.size() > kKeptOutputBytes ? text_.substr(text_.size() - kKeptOutputBytes) : text_;
    }

private:
    std::array<char, 65536> buffer_{};
    std::string text_;
};

}  // namespace

bool WriteWithoutSigpipe(int fd, const void* bytes, std::size_t size) {
    sigset_t pipe, before;
    ::sigemptyset(&pipe);
    ::sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &before);
    ssize_t n = 0;
    while ((n = ::write(fd, bytes, size)) < 0 && errno == EINTR) {}
    const int error = errno;
    // The SIGPIPE this write raised waits on this thread: taken off before
    // the mask is restored, unless it was blocked anyway.
    if (n < 0 && error == EPIPE && !::sigismember(&before, SIGPIPE)) {
        const timespec now{};
        while (::sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {}
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return n == static_cast<ssize_t>(size);
}

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
        const std::filesystem::path candidate = std::filesystem::path(directory.empty() ? "." : directory) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

ProcessOutcome RunProcess(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                          const ProcessLimits& limits) {
    ProcessOutcome outcome;
    if (arguments.empty()) return outcome;
    const auto program = FindProgram(arguments.front());
    if (!program) {
        outcome.end = ProcessOutcome::End::NotFound;
        return outcome;
    }
    // Everything the keeper and the program need is made before fork:
    // between fork and exec a threaded program may only make
    // async-signal-safe calls. The path is absolute because the program
    // starts in `directory`.
    std::error_code ignored;
    const std::string executable = std::filesystem::absolute(*program, ignored).string();
    const std::string where = directory.string();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    Pipe output, control, report;
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0 || !output.Open() || !control.Open() || !report.Open()) {
        outcome.error = errno;
        if (input >= 0) ::close(input);
        return outcome;
    }
    const pid_t keeper = ::fork();
    if (keeper == 0) {
        Keep({executable.c_str(), argv.data(), where.c_str(), input, output.write, control.read, report.write});
    }
    const int forkError = errno;
    ::close(input);
    output.CloseWrite();
    control.CloseRead();
    report.CloseWrite();
    if (keeper < 0) {
        outcome.error = forkError;
        return outcome;
    }
    ::fcntl(output.read, F_SETFL, O_NONBLOCK);

    OutputTail tail;
    std::optional<KeeperReport> said;
    std::optional<ProcessOutcome::End> stopped;  // why the keeper was told to stop
    bool reportClosed = false;
    while (!said && !reportClosed) {
        if (!stopped) {
            if (limits.stop.stop_requested()) {
                stopped = ProcessOutcome::End::Stopped;
            } else if (std::chrono::steady_clock::now() >= limits.deadline) {
                stopped = ProcessOutcome::End::TimedOut;
            }
            if (stopped) {
                // The keeper may have gone already (the program ended at the
                // same moment): the report pipe tells how it went either way.
                const char stop = 's';
                WriteWithoutSigpipe(control.write, &stop, 1);
            }
        }
        pollfd watched[2] = {{output.read, POLLIN, 0}, {report.read, POLLIN, 0}};
        if (::poll(watched, 2, static_cast<int>(kPollInterval.count())) < 0 && errno != EINTR) break;
        if (watched[0].revents != 0 && tail.Drain(output.read) == OutputTail::Read::Closed) output.CloseRead();
        if (watched[1].revents != 0) {
            KeeperReport got{};
            const ssize_t n = ::read(report.read, &got, sizeof got);
            if (n == static_cast<ssize_t>(sizeof got)) said = got;
            else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) reportClosed = true;
        }
    }
    // The program and everything it started are gone: the rest of its
    // words are in the pipe.
    while (output.read >= 0 && tail.Drain(output.read) == OutputTail::Read::More) {}
    int status = 0;
    while (::waitpid(keeper, &status, 0) < 0 && errno == EINTR) {}
    outcome.output = tail.Text();
    if (said && said->how == KeeperReport::How::Ended) {
        if (WIFEXITED(said->value)) {
            outcome.end = ProcessOutcome::End::Exited;
            outcome.status = WEXITSTATUS(said->value);
        } else {
            outcome.end = ProcessOutcome::End::Signalled;
            outcome.status = WTERMSIG(said->value);
        }
    } else if (stopped) {
        outcome.end = *stopped;
    } else {
        outcome.error = said && said->how == KeeperReport::How::NotStarted ? said->value : EIO;
    }
    return outcome;
}

namespace {

std::filesystem::path TemporaryBase() {
    const char* base = std::getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

// When the process `pid` started, in clock ticks since the machine started;
// none when there is no such process. With the number, it names a process
// for good: a number used again has a later start.
std::optional<unsigned long long> StartOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return std::nullopt;
    // The name in parentheses may hold spaces; the fields after it do not.
    const auto close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // The state is the third field and the start the twenty-second.
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) return std::nullopt;
    }
    try {
        return std::stoull(field);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The owner a folder's name gives: "corvanta-nec-4711-123456-Ab3dEf".
struct Owner {
    pid_t pid = 0;
    unsigned long long start = 0;
};

std::optional<Owner> OwnerOf(const std::string& name, const std::string& prefix) {
    const std::string lead = prefix + "-";
    if (name.rfind(lead, 0) != 0) return std::nullopt;
    const std::string rest = name.substr(lead.size());
    const auto first = rest.find('-');
    const auto second = first == std::string::npos ? first : rest.find('-', first + 1);
    if (second == std::string::npos || rest.size() - second - 1 != 6) return std::nullopt;
    const std::string pid = rest.substr(0, first);
    const std::string start = rest.substr(first + 1, second - first - 1);
    const auto digits = [](const std::string& text) {
        return !text.empty() && text.size() < 20 &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(pid) || !digits(start)) return std::nullopt;
    const unsigned long long number = std::stoull(pid);
    if (number == 0 || number > static_cast<unsigned long long>(std::numeric_limits<pid_t>::max())) {
        return std::nullopt;
    }
    return Owner{static_cast<pid_t>(number), std::stoull(start)};
}

// Whether the folder's owner holds its lock: a lock is let go when its
// holder ends, however it ends.
bool LockHeld(const std::filesystem::path& folder) {
    const int fd = ::open((folder / kOwnerLock).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace

void RemoveOrphanedDirectories(const std::string& prefix) {
    std::error_code error;
    std::filesystem::directory_iterator entries(TemporaryBase(), error);
    if (error) return;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        const std::optional<Owner> owner = OwnerOf(name, prefix);
        if (!owner || !entry.is_directory(error) || entry.is_symlink(error)) continue;
        if (LockHeld(entry.path())) continue;
        // Not locked: gone, or between making its folder and locking it.
        const auto start = StartOf(owner->pid);
        if (start && *start == owner->start) continue;
        std::filesystem::remove_all(entry.path(), error);
    }
}

TemporaryDirectory::TemporaryDirectory(const std::string& prefix) {
    static const unsigned long long started = StartOf(::getpid()).value_or(0);
    std::string pattern =
        (TemporaryBase() / (prefix + "-" + std::to_string(::getpid()) + "-" + std::to_string(started) + "-XXXXXX"))
            .string();
    if (!::mkdtemp(pattern.data())) {
        throw std::system_error(errno, std::generic_category(), "cannot make a temporary directory " + pattern);
    }
    path_ = pattern;
    // Held while this lives, and let go by the system however the process
    // ends: a later check tells by it that the folder has no owner.
    lock_ = ::open((path_ / kOwnerLock).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (lock_ < 0 || ::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        if (lock_ >= 0) ::close(lock_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        throw std::system_error(why, std::generic_category(), "cannot make a temporary directory " + pattern);
    }
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    ::close(lock_);
}

}  // namespace corvanta::nec
