#include "cli/files.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <filesystem>

#include "nec/outside_file.h"

namespace corvanta::cli {

std::optional<std::string> FolderProblem(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    std::error_code error;
    if (!std::filesystem::is_directory(where, error)) {
        return "cannot write " + path + ": there is no folder " + where.string();
    }
    if (::access(where.c_str(), W_OK) != 0) {
        return "cannot write " + path + ": the folder " + where.string() + " is not writable";
    }
    return std::nullopt;
}

std::string ReadFile(const std::string& path) { return nec::ReadOutsideFile(path); }

std::optional<std::string> WriteWhole(const std::string& path, const std::string& text) {
    const auto failed = [&](const std::string& temporary) {
        const std::string why = std::strerror(errno);
        if (!temporary.empty()) ::unlink(temporary.c_str());
        return "cannot write " + path + ": " + why;
    };
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return failed("");
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return failed(temporary);
        }
        written += static_cast<std::size_t>(n);
    }
    // mkstemp makes it for its owner alone; a record is an ordinary file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return failed(temporary);
    }
    if (::close(fd) != 0) return failed(temporary);
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return failed(temporary);
    return std::nullopt;
}

}  // namespace corvanta::cli
