#include "core/checked_arithmetic.h"

#include <cmath>

#include "core/run_time_error.h"

namespace corvanta::checked {

namespace {

double Checked(double result) {
    // Finite operands give NaN only for an invalid operation and infinity
    // only for an overflow.
    if (!std::isfinite(result)) throw RunTimeError(ErrorNumber::Overflow);
    return result;
}

// The smallest magnitude that rounds to infinity as a float: halfway between
// the largest float and 2^128, where the tie goes to the even neighbour 2^128.
constexpr double kFloatOverflowThreshold = 0x1.ffffffp127;

}  // namespace

double Multiply(double a, double b) { return Checked(a * b); }

double Subtract(double a, double b) { return Checked(a - b); }

double Divide(double a, double b) {
    if (b == 0.0) {
        // 0 / 0 is an invalid operation, not a division by zero.
        throw RunTimeError(a == 0.0 ? ErrorNumber::Overflow : ErrorNumber::DivisionByZero);
    }
    return Checked(a / b);
}

float Narrow(double value) {
    // Checked before the cast: converting an out-of-range double to float is
    // undefined behaviour in C++. Written so that a NaN fails too.
    if (!(std::fabs(value) < kFloatOverflowThreshold)) throw RunTimeError(ErrorNumber::Overflow);
    return static_cast<float>(value);
}

}  // namespace corvanta::checked
