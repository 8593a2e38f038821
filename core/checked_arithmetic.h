#pragma once

// Every arithmetic step of an action is done in double precision and tested
// right after it: an invalid result fails with Overflow (6), a nonzero number
// divided by zero with DivisionByZero (11), a result too large for the width
// it is stored in with Overflow (6). Inexact and underflowing results (zero or
// a denormal) are fine. Operands are always finite, because every value an
// action works on was read from a field or came out of one of these steps.
//
// A float operand widens to double exactly and implicitly; narrowing is only
// ever done by Narrow, so that -Wconversion flags any other.

namespace corvanta::checked {

double Multiply(double a, double b);
double Divide(double a, double b);
double Subtract(double a, double b);

// Rounds to the nearest float (ties to even) and fails with Overflow when
// that is beyond the largest finite float.
float Narrow(double value);

}  // namespace corvanta::checked
