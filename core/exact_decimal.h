#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/field_conversion.h"

namespace corvanta {

// A decimal number held digit by digit, for lengths worked out from the
// numbers the fields show. The builder reads "718.233" and "9.67"; their
// difference is exactly 708.563 and half of it exactly 354.2815, with none
// of the binary rounding a float or a double would add.
//     FromText("718.233") - FromText("9.67")        -> 708.563
//     (708.563).Half()                              -> 354.2815
//     (354.2815).RoundedHalfUp(2)                   -> 354.28
//     (354.285).RoundedHalfUp(2)                    -> 354.29
//     (16.5839716393178).Times(3)                   -> 49.7519149179534
//     FromText("1.234568E+07").Text()               -> "12345680"
class ExactDecimal {
public:
    ExactDecimal() = default;  // zero

    // The field grammar of ParseDouble (blanks, sign, separator, exponent);
    // none for a text that is no numeral, or whose exponent puts a digit
    // more than kMostPlaces places from the point.
    static std::optional<ExactDecimal> FromText(std::string_view text, NumberFormat format = {});
    static constexpr int kMostPlaces = 400;

    ExactDecimal operator+(const ExactDecimal& other) const;
    ExactDecimal operator-(const ExactDecimal& other) const;
    ExactDecimal Times(int factor) const;
    ExactDecimal Half() const;

    // Rounded to `decimals` places, a half away from zero.
    ExactDecimal RoundedHalfUp(int decimals) const;

    // -1, 0 or 1.
    int Sign() const;

    // Positional, never in exponent form, with no trailing zeros after the
    // separator, "0" before it below 1, and a sign only for negatives.
    std::string Text(NumberFormat format = {}) const;

private:
    ExactDecimal(bool negative, std::string digits, int scale);
    ExactDecimal Normalised() const;
    ExactDecimal WithScale(int scale) const;

    bool negative_ = false;
    std::string digits_;  // the magnitude times 10^scale_, no leading zeros; empty for zero
    int scale_ = 0;       // places after the point
};

}  // namespace corvanta
