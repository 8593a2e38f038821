#include "nec/text_format.h"

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

std::string SwrText(double swr, int decimals) { return std::isfinite(swr) ? Fixed(swr, decimals) : "infinite"; }

std::string ImpedanceText(std::complex<double> z, int decimals, std::string_view plus, std::string_view minus) {
    return Fixed(z.real(), decimals) + std::string(z.imag() < 0 ? minus : plus) + Fixed(std::abs(z.imag()), decimals);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        // CR LF is one line end, as are a lone LF and a lone CR.
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators) {
    std::vector<std::string_view> words;
    std::size_t start = line.find_first_not_of(separators);
    while (start != std::string_view::npos) {
        const std::size_t end = line.find_first_of(separators, start);
        words.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        start = end == std::string_view::npos ? end : line.find_first_not_of(separators, end);
    }
    return words;
}

}  // namespace corvanta::nec
