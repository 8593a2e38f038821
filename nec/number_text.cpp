#include "nec/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace corvanta::nec {

std::string Fixed(double value, int decimals) {
    std::array<char, 350> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string Trimmed(double value, int decimals) {
    std::string text = Fixed(value, decimals);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string Shortest(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string MhzText(double mhz) {
    const int magnitude = mhz > 0 ? static_cast<int>(std::floor(std::log10(mhz))) : 0;
    return Fixed(mhz, std::max(2, 4 - magnitude));
}

}  // namespace corvanta::nec
