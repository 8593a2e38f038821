// The engines' folders left by a process killed outright go at the next
// check; those of a living owner, and every other folder, stay. A keeper
// that has gone when it is told to stop is an error, not SIGPIPE.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nec/subprocess.h"

namespace corvanta::nec {
namespace {

namespace fs = std::filesystem;

// This process's start, field 22 of /proc/self/stat, read apart from the
// program's own reading.
std::string OwnStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) fields >> field;
    return field;
}

// A process number that no process has now: a child, ended and reaped.
pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OrphanFolders, OnlyThoseWhoseOwnerIsGoneAreRemoved) {
    const fs::path base = fs::path(::testing::TempDir()) / ("corvanta-orphans-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    ::setenv("TMPDIR", base.c_str(), 1);
    const std::string me = std::to_string(::getpid());
    const std::string dead = std::to_string(DeadPid());
    const struct {
        std::string name;
        bool stays;
        const char* why;
    } cases[] = {
        {"corvanta-nec-" + dead + "-" + OwnStart() + "-aB3dEf", false, "its owner has ended"},
        {"corvanta-nec-" + me + "-1-aB3dEf", false, "its number is another's now (an earlier start)"},
        {"corvanta-nec-" + me + "-" + OwnStart() + "-aB3dEf", true, "its owner lives, between folder and lock"},
        {"corvanta-nec-" + dead + "-" + OwnStart() + "-aB3d", true, "not of this naming (short)"},
        {"corvanta-nec-x" + dead + "-1-aB3dEf", true, "not of this naming (no number)"},
        {"corvanta-nec-aB3dEf", true, "of the older naming, which holds no owner"},
        {"corvanta-other-" + dead + "-1-aB3dEf", true, "another prefix"},
    };
    for (const auto& c : cases) {
        fs::create_directories(base / c.name / "inner");
        std::ofstream(base / c.name / "run0.nec") << "CM a deck\n";
    }
    // A living owner holding its lock, whose process number is also this one.
    const TemporaryDirectory living("corvanta-nec");
    EXPECT_TRUE(living.Path().filename().string().starts_with("corvanta-nec-" + me + "-" + OwnStart() + "-"))
        << living.Path();
    // Its lock taken by a process that has ended is free again: a folder
    // copied with its lock file, under a dead owner's name, goes.
    const std::string lockedButDead = "corvanta-nec-" + dead + "-" + OwnStart() + "-zZ9zZ9";
    fs::create_directory(base / lockedButDead);
    fs::copy_file(living.Path() / kOwnerLock, base / lockedButDead / kOwnerLock);

    RemoveOrphanedDirectories("corvanta-nec");
    ::unsetenv("TMPDIR");

    std::vector<std::string> expected = {living.Path().filename().string()};
    for (const auto& c : cases) {
        EXPECT_EQ(fs::exists(base / c.name), c.stays) << c.name << ": " << c.why;
        if (c.stays) expected.push_back(c.name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(base), expected);
    fs::remove_all(base);
}

// With SIGPIPE at its default, which ends the process: a write to a pipe
// whose reader has gone fails with EPIPE and leaves no signal waiting.
TEST(KeeperPipe, AWriteToAReaderThatHasGoneIsAnError) {
    struct sigaction standard {
    }, before{};
    standard.sa_handler = SIG_DFL;
    ::sigemptyset(&standard.sa_mask);
    ASSERT_EQ(::sigaction(SIGPIPE, &standard, &before), 0);
    const struct {
        const char* name;
        bool readerGone;
        bool written;
    } cases[] = {{"reader there", false, true}, {"reader gone", true, false}};
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        if (c.readerGone) ::close(ends[0]);
        const char stop = 's';
        errno = 0;
        EXPECT_EQ(WriteWithoutSigpipe(ends[1], &stop, 1), c.written) << c.name;
        if (c.readerGone) {
            EXPECT_EQ(errno, EPIPE) << c.name;
        }
        sigset_t pending;
        ::sigpending(&pending);
        EXPECT_FALSE(::sigismember(&pending, SIGPIPE)) << c.name;
        if (!c.readerGone) {
            char got = 0;
            EXPECT_EQ(::read(ends[0], &got, 1), 1);
            EXPECT_EQ(got, 's');
            ::close(ends[0]);
        }
        ::close(ends[1]);
    }
    ::sigaction(SIGPIPE, &before, nullptr);
}

}  // namespace
}  // namespace corvanta::nec
