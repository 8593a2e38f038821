#pragma once

#include <optional>
#include <string>

// The files the command line reads and writes.

namespace corvanta::cli {

// Why a file could not be written there, found before a check that may run
// for minutes: its folder is missing or not writable. None when it can.
std::optional<std::string> FolderProblem(const std::string& path);

// The whole file, byte for byte; none when it cannot be read (errno says why).
std::optional<std::string> ReadFile(const std::string& path);

}  // namespace corvanta::cli
