#include "core/exact_decimal.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace corvanta {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitAt(const std::string& digits, std::size_t fromRight) {
    return fromRight < digits.size() ? digits[digits.size() - 1 - fromRight] - '0' : 0;
}

char DigitChar(int digit) { return static_cast<char>('0' + digit); }

std::string WithoutLeadingZeros(std::string digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

// Magnitudes as digit strings, most significant first, no leading zeros.
int CompareMagnitudes(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string AddMagnitudes(const std::string& a, const std::string& b) {
    std::string sum;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        const int digit = DigitAt(a, i) + DigitAt(b, i) + carry;
        sum.push_back(DigitChar(digit % 10));
        carry = digit / 10;
    }
    std::reverse(sum.begin(), sum.end());
    return WithoutLeadingZeros(std::move(sum));
}

// a - b with a >= b.
std::string SubtractMagnitudes(const std::string& a, const std::string& b) {
    std::string difference;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int digit = DigitAt(a, i) - DigitAt(b, i) - borrow;
        borrow = digit < 0 ? 1 : 0;
        difference.push_back(DigitChar(digit + 10 * borrow));
    }
    std::reverse(difference.begin(), difference.end());
    return WithoutLeadingZeros(std::move(difference));
}

std::string MultiplyMagnitude(const std::string& a, int factor) {
    std::string product;
    int carry = 0;
    for (std::size_t i = 0; i < a.size() || carry; ++i) {
        const int digit = DigitAt(a, i) * factor + carry;
        product.push_back(DigitChar(digit % 10));
        carry = digit / 10;
    }
    std::reverse(product.begin(), product.end());
    return WithoutLeadingZeros(std::move(product));
}

}  // namespace

ExactDecimal::ExactDecimal(bool negative, std::string digits, int scale)
    : negative_(negative), digits_(std::move(digits)), scale_(scale) {}

std::optional<ExactDecimal> ExactDecimal::FromText(std::string_view text, NumberFormat format) {
    // The field rules decide what is a numeral; this only takes it apart.
    if (!ParseDouble(text, format)) return std::nullopt;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    std::string digits;
    int fractionDigits = 0;
    bool afterSeparator = false;
    for (; i < text.size() && text[i] != 'E' && text[i] != 'e' && text[i] != ' '; ++i) {
        if (IsDigit(text[i])) {
            digits.push_back(text[i]);
            if (afterSeparator) ++fractionDigits;
        } else {
            afterSeparator = true;  // the point or the regional separator
        }
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (text[i] == '+' || text[i] == '-') exponentNegative = text[i++] == '-';
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        }
        if (exponentNegative) exponent = -exponent;
    }
    digits = WithoutLeadingZeros(std::move(digits));
    if (digits.empty()) return ExactDecimal();
    long scale = fractionDigits - exponent;
    const long integerDigits = static_cast<long>(digits.size()) - scale;
    if (scale > kMostPlaces || integerDigits > kMostPlaces) return std::nullopt;
    if (scale < 0) {
        digits.append(static_cast<std::size_t>(-scale), '0');
        scale = 0;
    }
    return ExactDecimal(negative, std::move(digits), static_cast<int>(scale)).Normalised();
}

// No trailing zeros after the point, and zero without a sign.
ExactDecimal ExactDecimal::Normalised() const {
    std::string digits = WithoutLeadingZeros(digits_);
    int scale = scale_;
    while (scale > 0 && !digits.empty() && digits.back() == '0') {
        digits.pop_back();
        --scale;
    }
    if (digits.empty()) return ExactDecimal();
    return ExactDecimal(negative_, std::move(digits), scale);
}

ExactDecimal ExactDecimal::WithScale(int scale) const {
    if (digits_.empty() || scale <= scale_) return ExactDecimal(negative_, digits_, std::max(scale, scale_));
    return ExactDecimal(negative_, digits_ + std::string(static_cast<std::size_t>(scale - scale_), '0'), scale);
}

ExactDecimal ExactDecimal::operator+(const ExactDecimal& other) const {
    const int scale = std::max(scale_, other.scale_);
    const ExactDecimal a = WithScale(scale);
    const ExactDecimal b = other.WithScale(scale);
    if (a.negative_ == b.negative_) {
        return ExactDecimal(a.negative_, AddMagnitudes(a.digits_, b.digits_), scale).Normalised();
    }
    const int order = CompareMagnitudes(a.digits_, b.digits_);
    if (order == 0) return ExactDecimal();
    const ExactDecimal& larger = order > 0 ? a : b;
    const ExactDecimal& smaller = order > 0 ? b : a;
    return ExactDecimal(larger.negative_, SubtractMagnitudes(larger.digits_, smaller.digits_), scale).Normalised();
}

ExactDecimal ExactDecimal::operator-(const ExactDecimal& other) const {
    ExactDecimal negated = other;
    negated.negative_ = !other.negative_;
    return *this + negated.Normalised();
}

ExactDecimal ExactDecimal::Times(int factor) const {
    const bool negative = negative_ != (factor < 0);
    return ExactDecimal(negative, MultiplyMagnitude(digits_, factor < 0 ? -factor : factor), scale_).Normalised();
}

// x / 2 = x * 5 / 10: one more place, never a remainder.
ExactDecimal ExactDecimal::Half() const {
    return ExactDecimal(negative_, MultiplyMagnitude(digits_, 5), scale_ + 1).Normalised();
}

ExactDecimal ExactDecimal::RoundedHalfUp(int decimals) const {
    if (scale_ <= decimals) return *this;
    const auto dropped = static_cast<std::size_t>(scale_ - decimals);
    std::string kept = dropped < digits_.size() ? digits_.substr(0, digits_.size() - dropped) : "";
    // The first dropped digit decides: 5 or more goes away from zero.
    const int first = DigitAt(digits_, dropped - 1);
    if (first >= 5) kept = AddMagnitudes(kept, "1");
    return ExactDecimal(negative_, std::move(kept), decimals).Normalised();
}

int ExactDecimal::Sign() const {
    if (digits_.empty()) return 0;
    return negative_ ? -1 : 1;
}

std::string ExactDecimal::Text(NumberFormat format) const {
    if (digits_.empty()) return "0";
    std::string digits = digits_;
    const auto scale = static_cast<std::size_t>(scale_);
    if (digits.size() <= scale) digits.insert(0, scale - digits.size() + 1, '0');
    std::string text = negative_ ? "-" : "";
    text += digits.substr(0, digits.size() - scale);
    if (scale > 0) {
        text += format.decimalSeparator;
        text += digits.substr(digits.size() - scale);
    }
    return text;
}

}  // namespace corvanta
