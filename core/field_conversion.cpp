#include "core/field_conversion.h"

#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <system_error>

namespace corvanta {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A numeral that matched the field grammar, rewritten in the form that
// std::from_chars reads (no blanks, no "+", the point as separator).
struct Numeral {
    std::string text;
    bool negative = false;
    bool zero = true;  // every digit of the mantissa is 0
    // Decimal exponent of the first nonzero digit, saturated far beyond
    // any floating-point range; tells overflow from underflow.
    long long magnitude = 0;
};

constexpr long long kExponentCap = 1'000'000'000;

std::optional<Numeral> Scan(std::string_view s, char separator) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    Numeral numeral;
    numeral.text.reserve(n < 64 ? n : 64);
    while (i < n && s[i] == ' ') ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        numeral.negative = s[i] == '-';
        ++i;
    }
    if (numeral.negative) numeral.text += '-';

    const std::size_t integerStart = i;
    while (i < n && IsDigit(s[i])) ++i;
    const std::string_view integerDigits = s.substr(integerStart, i - integerStart);
    numeral.text += integerDigits;

    std::string_view fractionDigits;
    if (i < n && (s[i] == '.' || s[i] == separator)) {
        ++i;
        const std::size_t fractionStart = i;
        while (i < n && IsDigit(s[i])) ++i;
        fractionDigits = s.substr(fractionStart, i - fractionStart);
        numeral.text += '.';
        numeral.text += fractionDigits;
    }
    if (integerDigits.empty() && fractionDigits.empty()) return std::nullopt;

    long long exponent = 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            exponentNegative = s[i] == '-';
            ++i;
        }
        const std::size_t exponentStart = i;
        while (i < n && IsDigit(s[i])) {
            if (exponent < kExponentCap) exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (i == exponentStart) return std::nullopt;
        numeral.text += exponentNegative ? "e-" : "e";
        numeral.text += s.substr(exponentStart, i - exponentStart);
        if (exponentNegative) exponent = -exponent;
    }
    while (i < n && s[i] == ' ') ++i;
    if (i != n) return std::nullopt;

    if (auto k = integerDigits.find_first_not_of('0'); k != std::string_view::npos) {
        numeral.zero = false;
        numeral.magnitude = static_cast<long long>(integerDigits.size() - 1 - k) + exponent;
    } else if (auto f = fractionDigits.find_first_not_of('0'); f != std::string_view::npos) {
        numeral.zero = false;
        numeral.magnitude = -static_cast<long long>(f + 1) + exponent;
    }
    return numeral;
}

template <typename T>
Parsed<T> Parse(std::string_view text, NumberFormat format) {
    const std::optional<Numeral> numeral = Scan(text, format.decimalSeparator);
    if (!numeral) return {std::nullopt, ErrorNumber::TypeMismatch};

    T value{};
    const char* first = numeral->text.data();
    const char* last = first + numeral->text.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && !numeral->zero) {
        if (numeral->magnitude >= 0) return {std::nullopt, ErrorNumber::Overflow};
        // Too small even for the smallest denormal: the nearest value is zero.
        return {numeral->negative ? -T{0} : T{0}, {}};
    }
    // The grammar above is a subset of what from_chars reads, so anything
    // else here would be a fault in Scan; refuse rather than guess.
    if (ec != std::errc{} || end != last || !std::isfinite(value)) {
        return {std::nullopt, ErrorNumber::TypeMismatch};
    }
    return {value, {}};
}

// General format with `precision` significant digits (see the header).
// Works in stack buffers: this runs for every field an action writes.
template <typename T>
std::string FormatGeneral(T value, int precision, char separator) {
    assert(std::isfinite(value));
    if (value == T{0}) return "0";
    std::array<char, 64> buffer{};

    // Correctly rounded to `precision` digits: "d.dddddde+XX".
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                      std::chars_format::scientific, precision - 1);
    std::array<char, 24> digits{};
    int digitCount = 0;
    const char* p = buffer.data();
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p != '.') digits[static_cast<std::size_t>(digitCount++)] = *p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), result.ptr, exponent);
    while (digitCount > 1 && digits[static_cast<std::size_t>(digitCount - 1)] == '0') --digitCount;

    std::array<char, 48> out{};
    std::size_t n = 0;
    const auto put = [&](char c) { out[n++] = c; };
    const auto putDigits = [&](int from, int to) {
        for (int i = from; i < to; ++i) put(digits[static_cast<std::size_t>(i)]);
    };
    if (value < T{0}) put('-');
    if (exponent >= -4 && exponent < precision) {
        if (exponent >= 0) {
            const int integerCount = exponent + 1;
            if (digitCount <= integerCount) {
                putDigits(0, digitCount);
                for (int i = digitCount; i < integerCount; ++i) put('0');
            } else {
                putDigits(0, integerCount);
                put(separator);
                putDigits(integerCount, digitCount);
            }
        } else {
            put('0');
            put(separator);
            for (int i = 1; i < -exponent; ++i) put('0');
            putDigits(0, digitCount);
        }
    } else {
        put(digits[0]);
        if (digitCount > 1) {
            put(separator);
            putDigits(1, digitCount);
        }
        put('E');
        put(exponent < 0 ? '-' : '+');
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) put('0');
        const auto written = std::to_chars(out.data() + n, out.data() + out.size(), magnitude);
        n = static_cast<std::size_t>(written.ptr - out.data());
    }
    return std::string(out.data(), n);
}

constexpr std::array<double, 16> kPowersOfTen = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
};

}  // namespace

Parsed<float> ParseSingle(std::string_view text, NumberFormat format) { return Parse<float>(text, format); }

Parsed<double> ParseDouble(std::string_view text, NumberFormat format) { return Parse<double>(text, format); }

std::string FormatSingle(float value, NumberFormat format) { return FormatGeneral(value, 7, format.decimalSeparator); }

std::string FormatDouble(double value, NumberFormat format) {
    return FormatGeneral(value, 15, format.decimalSeparator);
}

std::string FormatInteger(std::int32_t value) {
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

double RoundDecimals(double value, int digits) {
    const double scale = kPowersOfTen.at(static_cast<std::size_t>(digits));
    const double scaled = value * scale;
    // A value this large has no fractional digits to round away.
    if (!std::isfinite(scaled)) return value;
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    return std::nearbyint(scaled) / scale;
}

float RoundDecimals(float value, int digits) {
    // The rounded quotient of a float lies within half a unit of it, so the
    // narrowing cannot leave the float range.
    return static_cast<float>(RoundDecimals(static_cast<double>(value), digits));
}

std::string WithSeparator(std::string text, NumberFormat format) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    // A number's point: after a digit, or leading the number (".064").
    const auto opens = [](char c) { return c == ' ' || c == '(' || c == '-'; };
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '.' || !digit(text[i + 1])) continue;
        if (i == 0 || digit(text[i - 1]) || opens(text[i - 1])) text[i] = format.decimalSeparator;
    }
    return text;
}

}  // namespace corvanta
