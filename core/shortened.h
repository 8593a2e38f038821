#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one way a long text is cut for a message (a field's text, a line of a
// file, a line of an engine's answer): a megabyte pasted or read would make
// the message unreadable.

namespace corvanta {

// The first `characters` UTF-8 characters of `text` and "...", never cut
// inside a character; a text no longer than that, whole.
//     "abcdef", 3   -> "abc..."
//     "abc", 3      -> "abc"
//     "\u00e9\u00e9\u00e9\u00e9", 2 -> "\u00e9\u00e9..."
std::string Shortened(std::string_view text, std::size_t characters);

}  // namespace corvanta
