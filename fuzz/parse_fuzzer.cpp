// Any text, either separator: ParseSingle and ParseDouble must accept exactly
// the numeral grammar (checked against a state machine written apart from
// the parser), give the value the C library's correctly rounded strtof
// and strtod give, fail only with 13 (no numeral) or 6 (beyond the width),
// and give values whose written text reads back.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/field_conversion.h"

namespace {

using corvanta::ErrorNumber;
using corvanta::NumberFormat;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

// The numeral grammar as a state machine, written apart from the parser:
// blanks, sign, digits with one separator (at least one digit), exponent,
// blanks. The separator is the point or the regional one.
bool MatchesGrammar(const std::string& text, char separator) {
    enum {
        Start,
        Sign,
        Integer,
        SeparatorAfterDigits,
        SeparatorFirst,
        Fraction,
        E,
        ExponentSign,
        Exponent,
        Trailing,
        Reject
    };
    int state = Start;
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool sep = c == '.' || c == separator;
        const bool sign = c == '+' || c == '-';
        const bool e = c == 'e' || c == 'E';
        const bool blank = c == ' ';
        switch (state) {
            case Start:
                state = blank ? Start : sign ? Sign : digit ? Integer : sep ? SeparatorFirst : Reject;
                break;
            case Sign:
                state = digit ? Integer : sep ? SeparatorFirst : Reject;
                break;
            case Integer:
                state = digit ? Integer : sep ? SeparatorAfterDigits : e ? E : blank ? Trailing : Reject;
                break;
            case SeparatorAfterDigits:
                state = digit ? Fraction : e ? E : blank ? Trailing : Reject;
                break;
            case SeparatorFirst:
                state = digit ? Fraction : Reject;
                break;
            case Fraction:
                state = digit ? Fraction : e ? E : blank ? Trailing : Reject;
                break;
            case E:
                state = sign ? ExponentSign : digit ? Exponent : Reject;
                break;
            case ExponentSign:
                state = digit ? Exponent : Reject;
                break;
            case Exponent:
                state = digit ? Exponent : blank ? Trailing : Reject;
                break;
            case Trailing:
                state = blank ? Trailing : Reject;
                break;
            default:
                return false;
        }
    }
    return state == Integer || state == SeparatorAfterDigits || state == Fraction || state == Exponent ||
           state == Trailing;
}

// The numeral in the C library's form: no blanks, the point.
std::string ForStrtod(const std::string& text) {
    std::string plain;
    for (char c : text) {
        if (c == ' ') continue;
        plain += c == ',' ? '.' : c;
    }
    return plain;
}

template <typename T>
bool SameValue(T a, T b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// |a - b| within half a unit of the last of `digits` significant digits of
// b, plus the rounding of a to its width.
template <typename T>
bool WithinDigits(T a, T b, int digits) {
    const double scale = std::fabs(static_cast<double>(b));
    const double ulp =
        static_cast<double>(std::nextafter(std::fabs(b), std::numeric_limits<T>::infinity()) - std::fabs(b));
    return std::fabs(static_cast<double>(a) - static_cast<double>(b)) <= scale * 5 * std::pow(10.0, -digits) + ulp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const NumberFormat format{data[0] % 2 ? ',' : '.'};
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const auto single = corvanta::ParseSingle(text, format);
    const auto dbl = corvanta::ParseDouble(text, format);

    const bool numeral = MatchesGrammar(text, format.decimalSeparator);
    Check(numeral == (single || single.error == ErrorNumber::Overflow), "single grammar");
    Check(numeral == (dbl || dbl.error == ErrorNumber::Overflow), "double grammar");
    if (!single) {
        Check(single.error == ErrorNumber::TypeMismatch || single.error == ErrorNumber::Overflow,
              "single error number");
    }
    if (!dbl) {
        Check(dbl.error == ErrorNumber::TypeMismatch || dbl.error == ErrorNumber::Overflow, "double error number");
    }

    if (single || dbl) {
        const std::string plain = ForStrtod(text);
        errno = 0;
        const float f = std::strtof(plain.c_str(), nullptr);
        const bool fOverflow = errno == ERANGE && std::isinf(f);
        errno = 0;
        const double d = std::strtod(plain.c_str(), nullptr);
        const bool dOverflow = errno == ERANGE && std::isinf(d);
        if (single) {
            Check(SameValue(*single.value, f), "single value differs from strtof");
        } else {
            Check(fOverflow, "single overflow where strtof has none");
        }
        if (dbl) {
            Check(SameValue(*dbl.value, d), "double value differs from strtod");
        } else {
            Check(dOverflow, "double overflow where strtod has none");
        }
    }

    if (single) {
        const float v = *single.value;
        // 15 digits keep every float exactly.
        const auto back = corvanta::ParseSingle(corvanta::FormatDouble(v, format), format);
        Check(back && SameValue(*back.value, v == 0 ? 0.0F : v), "float through FormatDouble");
        // 7 digits do not tell every float apart (near 1E+28 two floats
        // share a text); the text must still read, within half its last digit.
        const auto again = corvanta::ParseSingle(corvanta::FormatSingle(v, format), format);
        Check(again && WithinDigits(*again.value, v, 7), "FormatSingle read back");
    }
    if (dbl) {
        const auto again = corvanta::ParseDouble(corvanta::FormatDouble(*dbl.value, format), format);
        Check(again && WithinDigits(*again.value, *dbl.value, 15), "FormatDouble read back");
    }
    return 0;
}
