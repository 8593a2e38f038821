#include "core/whole_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <variant>

namespace corvanta {

namespace {

// As the kernel's own limit on links in one path.
constexpr int kMostLinks = 40;

std::string SystemWords(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of links ends at (the path itself when it is none),
// whether that file exists or not; none when the chain loops or a link
// cannot be read.
std::optional<std::string> FollowLinks(std::string path, int& error) {
    for (int links = 0; links <= kMostLinks; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::string target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            error = errno;
            return std::nullopt;
        }
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    error = ELOOP;
    return std::nullopt;
}

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a file";
    return "it is not a regular file";
}

// The new file, its descriptor and its name, removed unless it took the
// target's name.
class NewFile {
public:
    NewFile(FileCalls& calls, std::string name) : calls_(calls), name_(std::move(name)) {
        fd_ = ::mkostemp(name_.data(), O_CLOEXEC);
    }
    ~NewFile() {
        if (fd_ >= 0) calls_.Close(fd_);
        if (fd_ != kNone && !renamed_) ::unlink(name_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool Made() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const std::string& Name() const { return name_; }
    // Closed, checked: the last chance for a delayed write error to show.
    bool Close() {
        const int fd = fd_;
        fd_ = kClosed;
        return calls_.Close(fd) == 0;
    }
    void Renamed() { renamed_ = true; }

private:
    static constexpr int kNone = -1;
    static constexpr int kClosed = -2;
    FileCalls& calls_;
    std::string name_;
    int fd_ = kNone;
    bool renamed_ = false;
};

}  // namespace

ssize_t FileCalls::Write(int fd, const char* bytes, std::size_t size) { return ::write(fd, bytes, size); }
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }

FileCalls& SystemFileCalls() {
    static FileCalls system;
    return system;
}

namespace {

// Where the bytes go, and the file there now; or why it may not be replaced.
struct Target {
    std::string path;
    bool exists = false;
    struct stat old {};
};

std::variant<Target, std::string> TargetOf(const std::string& path) {
    int error = 0;
    const std::optional<std::string> followed = FollowLinks(path, error);
    if (!followed) return SystemWords(error);
    Target target;
    target.path = *followed;
    target.exists = ::stat(target.path.c_str(), &target.old) == 0;
    if (!target.exists && errno != ENOENT) return SystemWords(errno);
    if (target.exists) {
        if (!S_ISREG(target.old.st_mode)) return KindOf(target.old.st_mode);
        // The mode first: the system's administrator passes access() on any
        // file, and the file's own word should hold for them too.
        if ((target.old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.path.c_str(), W_OK) != 0) {
            return "it is read-only";
        }
    }
    return target;
}

}  // namespace

std::optional<std::string> WriteWholeFile(const std::string& path, std::string_view bytes,
                                          const WholeFileOptions& options) {
    FileCalls& calls = options.calls ? *options.calls : SystemFileCalls();
    auto found = TargetOf(path);
    if (auto* problem = std::get_if<std::string>(&found)) return *problem;
    const Target& target = std::get<Target>(found);
    const bool exists = target.exists;
    const struct stat& old = target.old;

    NewFile file(calls, target.path + ".XXXXXX");
    if (!file.Made()) return SystemWords(errno);
    const auto failed = [](int why) { return SystemWords(why != 0 ? why : EIO); };

    std::size_t written = 0;
    const std::size_t chunk = options.chunkBytes > 0 ? options.chunkBytes : bytes.size();
    while (written < bytes.size()) {
        if (options.stop.stop_requested()) return "stopped before the file was whole";
        errno = 0;
        const std::size_t size = std::min(chunk, bytes.size() - written);
        const ssize_t n = calls.Write(file.Fd(), bytes.data() + written, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failed(n == 0 ? EIO : errno);
        written += static_cast<std::size_t>(n);
    }
    if (options.stop.stop_requested()) return "stopped before the file was whole";

    // mkstemp makes the file for its owner alone: the old file's mode and
    // ownership, else an ordinary file's.
    if (exists) {
        if (::fchown(file.Fd(), old.st_uid, old.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(file.Fd(), static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fchmod(file.Fd(), old.st_mode & 07777) != 0) return failed(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(file.Fd(), 0666 & ~mask) != 0) return failed(errno);
    }
    errno = 0;
    if (calls.Sync(file.Fd()) != 0) return failed(errno);
    errno = 0;
    if (!file.Close()) return failed(errno);
    if (std::rename(file.Name().c_str(), target.path.c_str()) != 0) return failed(errno);
    file.Renamed();
    // The new name itself on the disk too; the file is whole either way.
    const int folder = ::open(FolderOf(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

}  // namespace corvanta
