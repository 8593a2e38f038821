#pragma once

#include <complex>
#include <string>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/readings.h"
#include "nec/scaled_design.h"

// The words and digits of each quantity of a check, which the report, the
// window, the plots and the build sheet write the same way.

namespace corvanta::nec {

// An SWR: "infinite" where everything is reflected, not "inf".
std::string SwrText(double swr, int decimals = 2);

// An impedance, "185.03 +j26.47": the real part, then the sign text and
// the size of the imaginary part.
std::string ImpedanceText(std::complex<double> z, int decimals, std::string_view plus = " +j",
                          std::string_view minus = " -j");

// An impedance with its unit: "158.81 -j22.89 ohm", "158.81 −j22.89 Ω".
std::string ImpedanceWords(std::complex<double> z, Medium medium);

// Where a reading stays under 2:1: "164.34 to 203.05 MHz", open edges
// named, "none in the sweep".
std::string RangesText(const std::vector<Range>& ranges);

// A length of a scaled design: "700.10 mm (27.563 in)".
std::string LengthText(double mm);
std::string MmText(double mm);    // "700.10"
std::string InchText(double mm);  // "27.563", from millimetres

// The scale of a scaled design: "0.97475".
std::string ScaleText(double scale);

// "HEIGHT 700.10 mm (27.563 in), SIDE 259.98 mm (10.236 in), GAP 9.43 mm
// (0.371 in)".
std::string ScaledDesignText(const ScaledDesign& design);

}  // namespace corvanta::nec
