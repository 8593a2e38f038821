// A file handed in is read only when it is a plain file within the limit:
// what never ends (/dev/zero), what may never be written (a FIFO), a
// folder and what is too large are refused before anything is read, with
// words that name them, and no more than the limit + 1 bytes are held.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stop_token>
#include <string>

#include "nec/outside_file.h"

namespace corvanta::nec {
namespace {

namespace fs = std::filesystem;

class OutsideFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("corvanta-outside-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A file of `size` bytes; sparse, so that a gigabyte costs nothing.
    std::string Sized(const std::string& name, std::uintmax_t size, const std::string& start = {}) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << start;
        fs::resize_file(path, size);
        return path.string();
    }

    fs::path folder_;
};

TEST_F(OutsideFile, WhatIsNoPlainFileOrTooLargeIsRefusedAtOnce) {
    const fs::path fifo = folder_ / "analyser.s1p";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder_ / "sweeps.s1p");
    const std::string oversized = Sized("huge.s1p", 1'000'000'000);
    const std::string overByOne = Sized("over.s1p", kOutsideFileLimit + 1);
    const std::string small = Sized("small.s1p", 4097);
    fs::create_symlink(fifo, folder_ / "link-to-fifo.s1p");
    const struct {
        std::string path;
        std::size_t limit;
        std::string why;
    } cases[] = {
        {"/dev/zero", kOutsideFileLimit, "it is a device, not a file"},
        {"/dev/null", kOutsideFileLimit, "it is a device, not a file"},
        // Opened without waiting for a writer, or this would hang.
        {fifo.string(), kOutsideFileLimit, "it is a pipe (FIFO), not a file"},
        {(folder_ / "link-to-fifo.s1p").string(), kOutsideFileLimit, "it is a pipe (FIFO), not a file"},
        {(folder_ / "sweeps.s1p").string(), kOutsideFileLimit, "it is a folder, not a file"},
        {oversized, kOutsideFileLimit,
         "it is 1,000,000,000 bytes, more than the 16,000,000 bytes (16 MB) that a measurement or a record may be"},
        {overByOne, kOutsideFileLimit, "it is 16,000,001 bytes, more than the 16,000,000 bytes (16 MB)"},
        {small, 4096, "it is 4,097 bytes, more than the 4,096 bytes"},
        // The system says 0 bytes; the limit holds while it is read.
        {"/proc/self/maps", 16, "it is more than the 16 bytes"},
        {(folder_ / "none.s1p").string(), kOutsideFileLimit, "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            ReadOutsideFile(c.path, c.limit);
            ADD_FAILURE() << "read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.Kind(), FailureKind::File);
            EXPECT_EQ(failure.Facts().text, c.path);
            EXPECT_EQ(failure.Facts().detail.rfind(c.why, 0), 0u) << failure.Facts().detail;
            EXPECT_EQ(std::string(failure.what()).rfind("cannot read " + c.path + ": ", 0), 0u) << failure.what();
        }
    }
}

TEST_F(OutsideFile, APlainFileWithinTheLimitIsReadWhole) {
    const std::string text("# MHz S RI R 50\r\n146 0 0\0tail", 29);
    const std::string exact = Sized("exact.s1p", kOutsideFileLimit, text);
    const std::string small = Sized("small.s1p", text.size(), text);
    fs::create_symlink(small, folder_ / "link.s1p");
    const struct {
        std::string path;
        std::size_t limit;
        std::size_t size;
    } cases[] = {
        {exact, kOutsideFileLimit, kOutsideFileLimit},  // at the limit
        {small, text.size(), text.size()},
        {(folder_ / "link.s1p").string(), kOutsideFileLimit, text.size()},  // a link is followed
        {Sized("empty.s1p", 0), kOutsideFileLimit, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string read = ReadOutsideFile(c.path, c.limit);
        EXPECT_EQ(read.size(), c.size);
        EXPECT_EQ(read.substr(0, text.size()), text.substr(0, c.size));
    }
}

TEST_F(OutsideFile, AStopIsSeenWhileReading) {
    const std::string large = Sized("large.s1p", 4'000'000);
    std::stop_source stop;
    stop.request_stop();
    try {
        ReadOutsideFile(large, kOutsideFileLimit, stop.get_token());
        ADD_FAILURE() << "read";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Kind(), FailureKind::Stopped);
    }
}

TEST(GroupedBytes, ThousandsAreGrouped) {
    const std::pair<std::size_t, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {16'000'000, "16,000,000"}, {1'000'000'000, "1,000,000,000"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(GroupedBytes(bytes), text);
}

}  // namespace
}  // namespace corvanta::nec
