#pragma once

#include <string>

// How the model's numbers are written, in decks, reports and plots:
// locale-free, always with a point.

namespace corvanta::nec {

// Fixed notation with `decimals` digits after the point; a value that rounds
// to zero has no minus sign. Not for nan or inf (callers check first).
std::string Fixed(double value, int decimals);

// Fixed notation with at most `decimals` digits after the point, trailing
// zeros dropped: "204.4", "370", "0.813".
std::string Trimmed(double value, int decimals);

// The shortest text that reads back as the same double.
std::string Shortest(double value);

// A frequency the check found (a resonance, a 2:1 edge): 5 significant
// digits, at least 2 decimals: 146.00, 14.000, 0.13750.
std::string MhzText(double mhz);

}  // namespace corvanta::nec
