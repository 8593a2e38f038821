#include <gtest/gtest.h>

#include <string>

#include "core/shortened.h"

namespace corvanta {
namespace {

// The header's examples, and the edges: exactly the limit, one over, a
// character of four bytes at the cut, nothing at all.
TEST(Shortened, CutsAfterTheCharactersNeverInsideOne) {
    const struct {
        std::string text;
        std::size_t characters;
        std::string shown;
    } cases[] = {
        {"abcdef", 3, "abc..."},
        {"abc", 3, "abc"},
        {"\u00e9\u00e9\u00e9\u00e9", 2, "\u00e9\u00e9..."},
        {"abcd", 3, "abc..."},
        {"ab\U0001F4E1cd", 3, "ab\U0001F4E1..."},
        {"ab\U0001F4E1", 3, "ab\U0001F4E1"},
        {"", 0, ""},
        {"a", 0, "..."},
        {std::string(1000000, 'x'), 60, std::string(60, 'x') + "..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        EXPECT_EQ(Shortened(c.text, c.characters), c.shown);
    }
}

}  // namespace
}  // namespace corvanta
