// What signals leave behind: a time-out racing an engine that exits at once
// (SIGPIPE), a record's write stopped by Ctrl+C, SIGTERM or SIGHUP, the run
// folder of a check killed outright; and the one writer's refusals as the
// command line says them.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "nec/subprocess.h"
#include "tests/cli/run_cli.h"

namespace corvanta::cli {
namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of the test's own: a TMPDIR, and a PATH whose nec2c is `engine`.
class Sandbox {
public:
    explicit Sandbox(const std::string& name, const std::string& engine = "/bin/false")
        : root_(fs::path(::testing::TempDir()) / (name + "-" + std::to_string(getpid()))) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "tmp");
        fs::create_directories(root_ / "out");
        fs::create_symlink(engine, root_ / "bin" / "nec2c");
        variables_ = {"TMPDIR=" + Tmp().string(), "CORVANTA_SANDBOX=" + root_.string()};
        for (char** v = environ; *v; ++v) {
            const std::string variable = *v;
            if (variable.starts_with("PATH="))
                variables_.push_back("PATH=" + (root_ / "bin").string() + ":" + variable.substr(5));
            else if (!variable.starts_with("TMPDIR=")) variables_.push_back(variable);
        }
        for (std::string& variable : variables_) environment_.push_back(variable.data());
        environment_.push_back(nullptr);
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    char* const* Environment() const { return environment_.data(); }
    fs::path Tmp() const { return root_ / "tmp"; }
    fs::path Out() const { return root_ / "out"; }
    std::vector<std::string> Names(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path root_;
    std::vector<std::string> variables_;
    std::vector<char*> environment_;
};

// ---- SIGPIPE: the keeper has gone when it is told to stop.

// A time-out so short that it races an engine that fails at once: whichever
// comes first, the check ends with 1 and says why, and leaves no folder.
TEST(CliSignals, ATimeOutRacingAnEngineThatExitsAtOnceEndsWithAMessage) {
    const Sandbox sandbox("corvanta-sigpipe");
    for (int run = 0; run < 60; ++run) {
        SCOPED_TRACE(run);
        const Outcome check =
            RunCli({"check", "--freq", "146", "--sides", "3", "--timeout", "0.001"}, sandbox.Environment());
        ASSERT_EQ(check.status, 1) << check.err;
        // Out of time, or the engine's failure: whichever came first, said.
        ASSERT_TRUE(check.err.starts_with("corvanta-cli: nec2c ") ||
                    check.err.starts_with("corvanta-cli: the check did not finish within its time budget"))
            << check.err;
        ASSERT_EQ(sandbox.Names(sandbox.Tmp()), std::vector<std::string>{});
    }
}

// A reader of standard output that has gone, or a full disk under it:
// said, and an exit status, not a silent death or a silent success.
TEST(CliSignals, AStandardOutputThatCannotBeWrittenIsAnError) {
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "/dev/full" : "a closed pipe");
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        close(out[0]);
        if (full) {
            close(out[1]);
            out[1] = open("/dev/full", O_WRONLY);
            ASSERT_GE(out[1], 0);
        }
        std::vector<std::string> words = {CORVANTA_CLI_PATH, "table", "--from", "1", "--to", "9000", "--step", "1"};
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int err[2];
        ASSERT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        const std::string said = ReadAll(err[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_NE(said.find("cannot write the standard output"), std::string::npos) << said;
    }
}

// ---- A check killed outright: the next check removes its folder, and only its.

bool Running(const std::string& mark) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        if (Text(entry.path() / "cmdline") == std::string("sleep\0987\0", 10) &&
            Text(entry.path() / "environ").find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

template <typename Test>
bool WaitFor(Test test) {
    // A bound against a hang, not a measure of speed.
    for (int tries = 0; tries < 3000; ++tries) {
        if (test()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(CliSignals, TheFolderOfACheckKilledOutrightGoesWithTheNextCheck) {
    const Sandbox hanging("corvanta-orphan", CORVANTA_STAND_IN_ENGINE);
    std::vector<std::string> variables = {"CORVANTA_STAND_IN=hang"};
    for (char* const* v = hanging.Environment(); *v; ++v) variables.emplace_back(*v);
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    const std::string mark = "CORVANTA_SANDBOX=" + hanging.Tmp().parent_path().string();

    std::vector<std::string> words = {CORVANTA_CLI_PATH, "check",     "--freq",    "146", "--sides", "3",
                                      "--sweep",         "146:146:1", "--timeout", "60"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environment.data()), 0);
    ASSERT_TRUE(WaitFor([&] { return Running(mark); }));
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    // The engine goes with its keeper; its folder stays, owned by no one.
    EXPECT_TRUE(WaitFor([&] { return !Running(mark); }));
    const std::vector<std::string> left = hanging.Names(hanging.Tmp());
    ASSERT_EQ(left.size(), 1U);
    EXPECT_TRUE(left[0].starts_with("corvanta-nec-" + std::to_string(pid) + "-")) << left[0];

    // Beside it: a folder of a living owner (this test's), and folders of
    // other names, which the next check leaves.
    ::setenv("TMPDIR", hanging.Tmp().c_str(), 1);
    {
        const nec::TemporaryDirectory living("corvanta-nec");
        ::unsetenv("TMPDIR");
        for (const char* other : {"corvanta-nec-abc", "corvanta-nec-12-34", "something-else"}) {
            fs::create_directory(hanging.Tmp() / other);
        }
        const Outcome next =
            RunCli({"check", "--freq", "146", "--sides", "3", "--timeout", "5"}, hanging.Environment());
        EXPECT_NE(next.status, -1) << next.err;
        std::vector<std::string> expected = {"corvanta-nec-12-34", "corvanta-nec-abc",
                                             living.Path().filename().string(), "something-else"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(hanging.Names(hanging.Tmp()), expected);
    }
}

// ---- A record's write stopped: the old record, and no part of the new.

TEST(CliSignals, ARecordStoppedWhileWrittenLeavesNoTemporaryFile) {
    const Sandbox sandbox("corvanta-record-signal");
    // A long measurement, so that the record takes a while to write.
    const fs::path measured = sandbox.Out() / "long.s1p";
    {
        std::ofstream file(measured);
        file << "# MHz S RI R 50\n" << std::fixed << std::setprecision(4);
        for (int i = 0; i < 100000; ++i) file << 140 + i * 0.0001 << " 0.123456789 -0.987654321\n";
    }
    const fs::path record = sandbox.Out() / "loop.corvanta";
    std::ofstream(record) << "the old record\n";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        bool caughtWriting = false;
        for (int attempt = 0; attempt < 10 && !caughtWriting; ++attempt) {
            std::vector<std::string> words = {
                CORVANTA_CLI_PATH, "record",          "--freq",   "146",          "--sides", "3",
                "--measured",      measured.string(), "--output", record.string()};
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            pid_t pid = 0;
            ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), sandbox.Environment()), 0);
            // The moment its temporary file is there, the signal.
            int status = 0;
            while (waitpid(pid, &status, WNOHANG) == 0) {
                if (sandbox.Names(sandbox.Out()).size() > 2) {
                    kill(pid, signal);
                    caughtWriting = true;
                    ASSERT_EQ(waitpid(pid, &status, 0), pid);
                    break;
                }
            }
            EXPECT_EQ(sandbox.Names(sandbox.Out()), (std::vector<std::string>{"long.s1p", "loop.corvanta"}));
            // Ended by the signal itself only when it came after the write,
            // as the program was about to end.
            if (!WIFEXITED(status) || WEXITSTATUS(status) == 0) {
                // Written before the signal came: whole.
                EXPECT_TRUE(Text(record).ends_with("}\n"));
                std::ofstream(record) << "the old record\n";
            } else {
                EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
                EXPECT_EQ(Text(record), "the old record\n");
            }
        }
        EXPECT_TRUE(caughtWriting);
    }
}

// ---- The writer's refusals, as the command line says them.

TEST(CliFiles, ARecordIsWrittenThroughALinkAndKeepsItsMode) {
    const Sandbox sandbox("corvanta-record-files");
    const fs::path real = sandbox.Out() / "real.corvanta", link = sandbox.Out() / "link.corvanta";
    std::ofstream(real) << "old\n";
    ::chmod(real.c_str(), 0600);
    fs::create_symlink("real.corvanta", link);
    const std::vector<std::string> record = {"record", "--freq", "146", "--sides", "3", "--output"};
    auto to = [&](const fs::path& path) {
        std::vector<std::string> words = record;
        words.push_back(path.string());
        return RunCli(words, sandbox.Environment());
    };
    const Outcome written = to(link);
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(Text(real).ends_with("}\n"));
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const struct {
        fs::path path;
        std::string said;
    } refused[] = {
        {sandbox.Out() / "read-only.corvanta", "read-only.corvanta: it is read-only"},
        {sandbox.Out() / "full.corvanta", "full.corvanta: it is a device, not a file"},
    };
    std::ofstream(refused[0].path) << "kept\n";
    ::chmod(refused[0].path.c_str(), 0444);
    fs::create_symlink("/dev/full", refused[1].path);
    for (const auto& c : refused) {
        const Outcome failed = to(c.path);
        EXPECT_EQ(failed.status, 1);
        EXPECT_TRUE(failed.err.starts_with("corvanta-cli: cannot write ")) << failed.err;
        EXPECT_NE(failed.err.find(c.said), std::string::npos) << failed.err;
    }
    EXPECT_EQ(Text(refused[0].path), "kept\n");
}

}  // namespace
}  // namespace corvanta::cli
