#pragma once

#include <cstddef>
#include <stop_token>
#include <string>

#include "nec/failure.h"

// The files a user hands the program (a measurement, a build record) are
// read whole, but never more than a measurement or a record can sensibly
// be: a device that never ends, a pipe nobody writes to, a folder or a
// file of gigabytes is refused at once, before anything is read.

namespace corvanta::nec {

// The most a measurement or a record may be, in bytes. A sweep of 100,000
// points is some 3.6 MB as this program writes it and about 7 MB at an
// analyser's full precision; a record holds it once more, escaped.
inline constexpr std::size_t kOutsideFileLimit = 16'000'000;

// The whole file at `path`, byte for byte. Only a regular file (a link is
// followed) of at most `limit` bytes is read; no more than `limit` + 1
// bytes are ever held. A File failure when it is not read: `text` the
// path, `detail` why ("it is a folder, not a file", the system's words).
// A stop asked for between chunks is a Stopped failure.
std::string ReadOutsideFile(const std::string& path, std::size_t limit = kOutsideFileLimit, std::stop_token stop = {});

// A count of bytes with its thousands grouped: 16000000 -> "16,000,000".
std::string GroupedBytes(std::size_t bytes);

}  // namespace corvanta::nec
