#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

// Every file the program saves is written here, whole or not at all: the
// bytes go to a file of their own beside the target, every write, the sync
// and the close checked, and only then does that file take the target's
// name. Whatever fails on the way (a full disk, a folder that refuses, a
// stop), the file already there stays as it was and nothing is left behind.
//
// A symbolic link is followed: the file it points at is replaced and the
// link stays a link. The replaced file keeps its mode, its owner and its
// group as far as the system lets this process keep them. A file without
// write permission is refused, not replaced behind its owner's back (the
// folder's permission would allow the rename). Only a regular file is
// replaced: a folder, a device or a FIFO is refused.

namespace corvanta {

// The system calls a write makes on the new file, apart so that a test can
// fail one of them as a full disk or a failing device would (return -1 and
// set errno).
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual ssize_t Write(int fd, const char* bytes, std::size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
};

// The system's own calls.
FileCalls& SystemFileCalls();

struct WholeFileOptions {
    FileCalls* calls = nullptr;  // null: the system's
    // Asked between writes: a stop leaves the old file and removes the new.
    std::stop_token stop;
    // The most one write hands the system, so that a stop is seen soon.
    std::size_t chunkBytes = std::size_t{1} << 20;
};

// Writes `bytes` as the whole file at `path`. Nothing when written; else
// why not, in the system's words where it gave them ("No space left on
// device"), for a message that names the path.
std::optional<std::string> WriteWholeFile(const std::string& path, std::string_view bytes,
                                          const WholeFileOptions& options = {});

}  // namespace corvanta
