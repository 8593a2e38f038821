// The one way a file is saved: whole or not at all, whatever the system
// refuses on the way, through links, with the old file's mode and group.

#include "core/whole_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace corvanta {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "whole-file-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) names.insert(entry.path().filename().string());
        return names;
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Fails the nth call of one kind with `error`, as the system would.
class FailingCalls final : public FileCalls {
public:
    enum class Call { Write, Sync, Close };
    FailingCalls(Call call, int nth, int error) : call_(call), nth_(nth), error_(error) {}
    ssize_t Write(int fd, const char* bytes, std::size_t size) override {
        if (Fails(Call::Write)) return -1;
        return FileCalls::Write(fd, bytes, size);
    }
    int Sync(int fd) override { return Fails(Call::Sync) ? -1 : FileCalls::Sync(fd); }
    int Close(int fd) override {
        const int closed = FileCalls::Close(fd);  // the descriptor goes either way
        return Fails(Call::Close) ? -1 : closed;
    }

private:
    bool Fails(Call call) {
        if (call != call_ || ++seen_ != nth_) return false;
        errno = error_;
        return true;
    }
    Call call_;
    int nth_;
    int error_;
    int seen_ = 0;
};

const std::string kOld = "the record as it was\n";
const std::string kNew(10000, 'n');  // ten writes of 1000 bytes

// ---- A failure anywhere leaves the old file and no new one.

struct InjectedCase {
    const char* name;
    FailingCalls::Call call;
    int nth;
    int error;
    const char* reason;
};

class InjectedFailure : public ::testing::TestWithParam<InjectedCase> {};

TEST_P(InjectedFailure, LeavesTheOldFileAndNothingElse) {
    const InjectedCase& c = GetParam();
    Folder folder;
    const std::string path = folder / "design.corvanta";
    Put(path, kOld);
    FailingCalls calls(c.call, c.nth, c.error);
    const auto failed = WriteWholeFile(path, kNew, {&calls, {}, 1000});
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(*failed, c.reason);
    EXPECT_EQ(Contents(path), kOld);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"design.corvanta"});
}

INSTANTIATE_TEST_SUITE_P(
    WholeFile, InjectedFailure,
    ::testing::Values(InjectedCase{"FirstWrite", FailingCalls::Call::Write, 1, ENOSPC, "No space left on device"},
                      InjectedCase{"FifthWrite", FailingCalls::Call::Write, 5, ENOSPC, "No space left on device"},
                      InjectedCase{"LastWrite", FailingCalls::Call::Write, 10, EDQUOT, "Disk quota exceeded"},
                      InjectedCase{"WriteIo", FailingCalls::Call::Write, 3, EIO, "Input/output error"},
                      InjectedCase{"Sync", FailingCalls::Call::Sync, 1, EIO, "Input/output error"},
                      InjectedCase{"Close", FailingCalls::Call::Close, 1, ENOSPC, "No space left on device"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(WholeFile, AWriteThatIsInterruptedGoesOn) {
    Folder folder;
    const std::string path = folder / "report.txt";
    FailingCalls calls(FailingCalls::Call::Write, 2, EINTR);
    EXPECT_EQ(WriteWholeFile(path, kNew, {&calls, {}, 1000}), std::nullopt);
    EXPECT_EQ(Contents(path), kNew);
}

// A stop between writes (Ctrl+C during a long save).
class StoppingCalls final : public FileCalls {
public:
    StoppingCalls(std::stop_source& stop, int after) : stop_(stop), after_(after) {}
    ssize_t Write(int fd, const char* bytes, std::size_t size) override {
        if (++seen_ == after_) stop_.request_stop();
        return FileCalls::Write(fd, bytes, size);
    }

private:
    std::stop_source& stop_;
    int after_;
    int seen_ = 0;
};

TEST(WholeFile, AStopLeavesTheOldFileAndNothingElse) {
    for (int after : {1, 4, 10}) {
        Folder folder;
        const std::string path = folder / "big.corvanta";
        Put(path, kOld);
        std::stop_source stop;
        StoppingCalls calls(stop, after);
        EXPECT_TRUE(WriteWholeFile(path, kNew, {&calls, stop.get_token(), 1000}).has_value()) << after;
        EXPECT_EQ(Contents(path), kOld) << after;
        EXPECT_EQ(folder.Names(), std::set<std::string>{"big.corvanta"}) << after;
    }
}

// ---- A real full disk: a small tmpfs, where the system allows mounting one.

TEST(WholeFile, AFullDiskKeepsTheOldFile) {
    Folder folder;
    const fs::path disk = folder.Path() / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    }
    const std::string path = (disk / "design.corvanta").string();
    Put(path, kOld);
    const auto failed = WriteWholeFile(path, std::string(200000, 'x'));
    const std::string old = Contents(path);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk)) names.insert(entry.path().filename().string());
    ::umount(disk.c_str());
    EXPECT_EQ(failed, std::optional<std::string>("No space left on device"));
    EXPECT_EQ(old, kOld);
    EXPECT_EQ(names, std::set<std::string>{"design.corvanta"});
}

// ---- What the path names.

TEST(WholeFile, ALinkIsFollowedAndStaysALink) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link name, what it points at
    };
    const Case cases[] = {
        {"absolute", {{"link", "<folder>/real"}}},
        {"relative", {{"link", "real"}}},
        {"chain", {{"link", "middle"}, {"middle", "sub/../real"}}},
    };
    for (const Case& c : cases) {
        Folder folder;
        fs::create_directory(folder.Path() / "sub");
        Put(folder / "real", kOld);
        for (auto [name, target] : c.links) {
            if (target.rfind("<folder>", 0) == 0) target = folder.Path().string() + target.substr(8);
            fs::create_symlink(target, folder / name);
        }
        EXPECT_EQ(WriteWholeFile(folder / "link", kNew), std::nullopt) << c.name;
        EXPECT_TRUE(fs::is_symlink(folder / "link")) << c.name;
        EXPECT_EQ(Contents(folder / "real"), kNew) << c.name;
        std::set<std::string> expected{"real", "link", "sub"};
        if (c.links.size() > 1) expected.insert("middle");
        EXPECT_EQ(folder.Names(), expected) << c.name;
    }
}

TEST(WholeFile, ALinkToANewFileMakesIt) {
    Folder folder;
    fs::create_symlink("later.corvanta", folder / "link");
    EXPECT_EQ(WriteWholeFile(folder / "link", kNew), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(folder / "link"));
    EXPECT_EQ(Contents(folder / "later.corvanta"), kNew);
}

TEST(WholeFile, WhatIsNoFileIsRefused) {
    Folder folder;
    fs::create_directory(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/full", folder / "full");
    fs::create_symlink("loop", folder / "loop");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {folder / "folder", "it is a folder, not a file"},
        {folder / "fifo", "it is a FIFO, not a file"},
        {folder / "full", "it is a device, not a file"},
        {"/dev/null", "it is a device, not a file"},
        {folder / "loop", "Too many levels of symbolic links"},
        {folder / "missing/x.corvanta", "No such file or directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WriteWholeFile(c.path, kNew), std::optional<std::string>(c.reason)) << c.path;
    }
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"folder", "fifo", "full", "loop"}));
}

TEST(WholeFile, AReadOnlyFileIsRefused) {
    for (const fs::perms mode : {fs::perms::owner_read, fs::perms::owner_read | fs::perms::group_read}) {
        Folder folder;
        const std::string path = folder / "kept.corvanta";
        Put(path, kOld);
        fs::permissions(path, mode);
        EXPECT_EQ(WriteWholeFile(path, kNew), std::optional<std::string>("it is read-only"));
        EXPECT_EQ(Contents(path), kOld);
        EXPECT_EQ(fs::status(path).permissions(), mode);
        EXPECT_EQ(folder.Names(), std::set<std::string>{"kept.corvanta"});
    }
}

TEST(WholeFile, ModeAndGroupAreKept) {
    struct Case {
        mode_t mode;
        bool otherGroup;
    };
    const Case cases[] = {{0600, false}, {0640, true}, {0664, false}, {0604, true}};
    for (const Case& c : cases) {
        Folder folder;
        const std::string path = folder / "record.corvanta";
        Put(path, kOld);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        // Another group where this process may give one (as root), else its own.
        const gid_t group = c.otherGroup && ::geteuid() == 0 ? 4242 : ::getegid();
        ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), group), 0);
        ASSERT_EQ(WriteWholeFile(path, kNew), std::nullopt);
        struct stat written {};
        ASSERT_EQ(::stat(path.c_str(), &written), 0);
        EXPECT_EQ(written.st_mode & 07777, c.mode) << std::oct << c.mode;
        EXPECT_EQ(written.st_gid, group) << std::oct << c.mode;
        EXPECT_EQ(Contents(path), kNew);
    }
}

TEST(WholeFile, ANewFileGetsAnOrdinaryFilesMode) {
    Folder folder;
    const mode_t mask = ::umask(022);
    const auto failed = WriteWholeFile(folder / "new.svg", kNew);
    ::umask(mask);
    ASSERT_EQ(failed, std::nullopt);
    struct stat written {};
    ASSERT_EQ(::stat((folder / "new.svg").c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 07777, 0644U);
    EXPECT_EQ(Contents(folder / "new.svg"), kNew);
}

TEST(WholeFile, EmptyAndBinaryBytesAreWrittenAsGiven) {
    Folder folder;
    const std::string binary("\0\x01\xff\n\r\n", 6);
    for (const std::string& bytes : {std::string(), binary}) {
        ASSERT_EQ(WriteWholeFile(folder / "f", bytes), std::nullopt);
        EXPECT_EQ(Contents(folder / "f"), bytes);
    }
}

}  // namespace
}  // namespace corvanta
