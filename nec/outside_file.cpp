#include "nec/outside_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

// A stop is seen between chunks of this size: some milliseconds of reading.
constexpr std::size_t kChunk = 1 << 20;

[[noreturn]] void Refuse(const std::string& path, std::string why) {
    FailureFacts facts;
    facts.kind = FailureKind::File;
    facts.text = path;
    facts.detail = std::move(why);
    throw Failure(std::move(facts));
}

// `size` is none where the file has grown past the limit while it was read.
std::string TooLarge(std::optional<std::size_t> size, std::size_t limit) {
    return "it is " + (size ? GroupedBytes(*size) + " bytes, " : std::string()) + "more than the " +
           GroupedBytes(limit) + " bytes (" + Trimmed(static_cast<double>(limit) / 1e6, 1) +
           " MB) that a measurement or a record may be";
}

// What a file that is not a plain file is, in a user's words.
std::string NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a pipe (FIFO), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a plain file";
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string GroupedBytes(std::size_t bytes) {
    std::string digits = std::to_string(bytes);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string ReadOutsideFile(const std::string& path, std::size_t limit, std::stop_token stop) {
    // Without O_NONBLOCK opening a pipe waits for a writer, for ever; the
    // type is judged on what was opened, so nothing can swap the file
    // between the look and the read.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) Refuse(path, std::strerror(errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) Refuse(path, std::strerror(errno));
    if (!S_ISREG(status.st_mode)) Refuse(path, NotAFile(status.st_mode));
    const auto size = static_cast<std::size_t>(std::max<off_t>(0, status.st_size));
    if (size > limit) Refuse(path, TooLarge(size, limit));
    // A file that grows while it is read, or one whose size the system
    // does not know (those under /proc say 0), stops at limit + 1 bytes.
    std::string text;
    text.reserve(std::min(size, limit) + 1);
    char chunk[64 * 1024];
    std::size_t sinceStopLook = 0;
    while (text.size() <= limit) {
        if (sinceStopLook >= kChunk) {
            if (stop.stop_requested()) throw StoppedFailure();
            sinceStopLook = 0;
        }
        const std::size_t want = std::min(sizeof chunk, limit + 1 - text.size());
        const ssize_t n = ::read(file.get(), chunk, want);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Refuse(path, std::strerror(errno));
        if (n == 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
        sinceStopLook += static_cast<std::size_t>(n);
    }
    if (text.size() > limit) Refuse(path, TooLarge(std::nullopt, limit));
    if (stop.stop_requested()) throw StoppedFailure();
    return text;
}

}  // namespace corvanta::nec
