#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

// The files the command line reads and writes.

namespace corvanta::cli {

// Why a file could not be written there, found before a check that may run
// for minutes: its folder is missing or not writable. None when it can.
std::optional<std::string> FolderProblem(const std::string& path);

// The whole file a user handed in, byte for byte, within the limit of the
// model library's reader (nec::ReadOutsideFile): a File failure, naming
// the path, when it is not read.
std::string ReadFile(const std::string& path);

// Writes `text` as the whole file at `path`, whole or not at all
// (core/whole_file.h); a stop leaves the old file. Why not, when it fails:
// "cannot write PATH: No space left on device".
std::optional<std::string> WriteWhole(const std::string& path, std::string_view text, std::stop_token stop = {});

}  // namespace corvanta::cli
