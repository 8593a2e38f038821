#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// Whether a program the tests run (nec2c, pdftotext) is on PATH: a test that
// needs one is skipped, saying which, where it is missing. scripts/setup.sh
// installs them all.

namespace corvanta::testing {

inline bool Installed(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        const std::filesystem::path candidate = std::filesystem::path(folder.empty() ? "." : folder) / program;
        std::error_code error;
        if (!std::filesystem::is_directory(candidate, error) && access(candidate.c_str(), X_OK) == 0) return true;
        if (colon == std::string_view::npos) return false;
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace corvanta::testing
