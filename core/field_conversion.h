#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/run_time_error.h"

// The six conversions between field text and numbers. Every action converts
// through these and nothing else. They are locale-free: the decimal
// separator is passed in, never read from the process.

namespace corvanta {

struct NumberFormat {
    // The regional decimal separator, used for writing. Reading accepts it
    // and the point, so the start-up texts read under any setting.
    char decimalSeparator = '.';
};

// A parsed value, or the error number of the failed parse.
template <typename T>
struct Parsed {
    std::optional<T> value;
    ErrorNumber error = ErrorNumber::TypeMismatch;

    explicit operator bool() const { return value.has_value(); }
};

// Field text to a float or a double. The accepted form is
//     blanks, [+|-], digits with at most one separator and at least one
//     digit, [E|e [+|-] digits], blanks
// and the result is the value of the width nearest the numeral (ties to
// even), rounded once, straight from the decimal text.
//     ".064"      -> 0.064f          " 14 "  -> 14
//     "146."      -> 146             "2.5e3" -> 2500
//     ""  "  "  "." "abc" "1e" "+" "inf" "nan" "0x10" "1 2" "\t1"  -> TypeMismatch
//     "1E39" (float) -> Overflow     "1E39" (double) -> 1e39
// A numeral too small for its width reads as the nearest denormal, or as a
// zero of its sign when even the smallest denormal is too large.
Parsed<float> ParseSingle(std::string_view text, NumberFormat format = {});
Parsed<double> ParseDouble(std::string_view text, NumberFormat format = {});

// A number to text in the general format with 7 (float) or 15 (double)
// significant digits: positional from 0.0001 up to below 10^7 (float) or
// 10^15 (double), exponent form outside; no trailing zeros, "0" before the
// separator below 1, a sign only for negatives, and zero is always "0".
// The value is finite: every number an action writes came out of a checked
// step or a parse, and neither lets an infinity or a NaN through.
//                  FormatSingle      FormatDouble
//     146      ->  "146"             "146"
//     0.0031   ->  "0.0031"          "0.0031"
//     0.1f     ->  "0.1"             "0.100000001490116"  (the widened float)
//     -2.5     ->  "-2.5"            "-2.5"
//     0.00001  ->  "1E-05"           "1E-05"
//     12345678 ->  "1.234568E+07"    "12345678"
//     1E+15    ->  "1E+15"           "1E+15"
std::string FormatSingle(float value, NumberFormat format = {});
std::string FormatDouble(double value, NumberFormat format = {});

// 14 -> "14", 900009 -> "900009", -1 -> "-1".
std::string FormatInteger(std::int32_t value);

// A text written with the point, as files and the command line keep it, as
// a person reads it in the windows, on the sheet and in pictures: every
// number's point (after a digit, or leading it: ".064") becomes the
// format's separator.
std::string WithSeparator(std::string text, NumberFormat format);

// Rounds to `digits` decimals, half to even, keeping the width: the value
// times 10^digits is formed in double, rounded to an integer (ties to even),
// divided by 10^digits in double, and for a float narrowed back.
//     1.625, 2 -> 1.62            0.0625, 3 -> 0.062
//     266.71768f, 3 -> 266.718f   14664.283f, 3 -> 14664.283f ("14664.28")
double RoundDecimals(double value, int digits);
float RoundDecimals(float value, int digits);

}  // namespace corvanta
