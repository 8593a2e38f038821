#include "tests/cli/run_cli.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <utility>

namespace corvanta::cli {

std::string ReadAll(int fd) {
    std::string text;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

Outcome RunProgram(std::vector<std::string> words, char* const* environment) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environment);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    Outcome outcome;
    outcome.out = ReadAll(out[0]);
    outcome.err = ReadAll(err[0]);
    int status = 0;
    rusage usage{};
    if (spawned == 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
        outcome.peakKb = usage.ru_maxrss;
    }
    return outcome;
}

Outcome RunCli(const std::vector<std::string>& arguments, char* const* environment) {
    std::vector<std::string> words = {CORVANTA_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return RunProgram(std::move(words), environment);
}

}  // namespace corvanta::cli
