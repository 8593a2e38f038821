#pragma once

#include <string_view>
#include <vector>

// Text taken apart: into lines whatever their ends, and lines into words.

namespace corvanta::nec {

// The lines of a text, without their ends: LF, CR LF or a lone CR, as
// Unix, Windows and old Mac programs write them.
std::vector<std::string_view> SplitLines(std::string_view text);

// The words of a line between any of `separators`, in order.
std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators = " \t\r");

}  // namespace corvanta::nec
