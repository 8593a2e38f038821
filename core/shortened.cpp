#include "core/shortened.h"

namespace corvanta {

std::string Shortened(std::string_view text, std::size_t characters) {
    std::size_t counted = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && counted++ == characters) return std::string(text.substr(0, i)) + "...";
    }
    return std::string(text);
}

}  // namespace corvanta
