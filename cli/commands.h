#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"

namespace corvanta::cli {

inline constexpr int kDesignFailed = 1;
inline constexpr int kUsage = 2;
inline constexpr int kModelInsane = 3;  // check: a sanity check of the model failed

// Every message of the program on standard error, "corvanta-cli: " first.
void Tell(std::string_view message);

// The frequency texts of a table, as they go into the frequency field.
// Throws UsageError for a sweep that cannot be or a band without a name.
std::vector<std::string> TableFrequencies(const Invocation& invocation);

// The bands with their edges and centres, a line each.
void ListBands(std::ostream& out);

// Does what the invocation asks; its exit status.
int Run(const Invocation& invocation);

}  // namespace corvanta::cli
