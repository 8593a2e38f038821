#pragma once

#include <complex>
#include <string>
#include <string_view>
#include <vector>

// How the model's numbers are written, in decks, reports, JSON and plots:
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

// An SWR: "infinite" where everything is reflected, not "inf".
std::string SwrText(double swr, int decimals = 2);

// An impedance, "185.03 +j26.47": the real part, then the sign text and
// the size of the imaginary part.
std::string ImpedanceText(std::complex<double> z, int decimals, std::string_view plus = " +j",
                          std::string_view minus = " -j");

// The lines of a text, without their ends: LF, CR LF or a lone CR, as
// Unix, Windows and old Mac programs write them.
std::vector<std::string_view> SplitLines(std::string_view text);

// The words of a line between any of `separators`, in order.
std::vector<std::string_view> SplitWords(std::string_view line, std::string_view separators = " \t\r");

// A JSON string literal.
std::string JsonString(std::string_view text);

}  // namespace corvanta::nec
