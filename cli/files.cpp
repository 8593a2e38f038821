#include "cli/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "core/whole_file.h"
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

std::optional<std::string> WriteWhole(const std::string& path, std::string_view text, std::stop_token stop) {
    WholeFileOptions options;
    options.stop = std::move(stop);
    if (const auto failed = WriteWholeFile(path, text, options)) return "cannot write " + path + ": " + *failed;
    return std::nullopt;
}

}  // namespace corvanta::cli
