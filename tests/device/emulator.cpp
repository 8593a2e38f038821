#include "tests/device/emulator.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace corvanta::test {

Emulator::Emulator(const std::vector<std::string>& options) {
    int out[2];
    if (::pipe(out) != 0) return;
    std::vector<std::string> words{CORVANTA_EMULATOR_PATH};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(out[0]);
        return;
    }
    // Its first line, within ten seconds however loaded the machine.
    std::string line;
    pollfd wait{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && ::poll(&wait, 1, 10000) > 0) {
        char bytes[256];
        const ssize_t n = ::read(out[0], bytes, sizeof bytes);
        if (n <= 0) break;
        line.append(bytes, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (const std::size_t end = line.find('\n'); end != std::string::npos) path_ = line.substr(0, end);
}

Emulator::~Emulator() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
}

std::complex<double> EmulatedReflection(double hz, double resonanceMHz) {
    const double r = 60, q = 20, f0 = resonanceMHz * 1e6;
    const std::complex<double> z(r, q * r * (hz / f0 - f0 / hz));
    return (z - 50.0) / (z + 50.0);
}

}  // namespace corvanta::test
