#pragma once

#include <optional>
#include <string>

// The files the command line reads and writes.

namespace corvanta::cli {

// Why a file could not be written there, found before a check that may run
// for minutes: its folder is missing or not writable. None when it can.
std::optional<std::string> FolderProblem(const std::string& path);

// The whole file a user handed in, byte for byte, within the limit of the
// model library's reader (nec::ReadOutsideFile): a File failure, naming
// the path, when it is not read.
std::string ReadFile(const std::string& path);

// Writes `text` as the whole file at `path`: into a file of its own in the
// same folder first, which then takes the name at once, so that a file
// already there is replaced whole or not at all. Why not, when it fails.
std::optional<std::string> WriteWhole(const std::string& path, const std::string& text);

}  // namespace corvanta::cli
