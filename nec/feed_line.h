#pragma once

#include <complex>
#include <vector>

#include "conductor/design_run.h"

// The feed as a builder makes it: every gap feeds a line of its own, and the
// lines join at one point, where the feeder (or a balun) is connected. The
// lines are lossless; the transform is exact here because the loop's
// symmetry gives every gap the same line and the same drive.

namespace corvanta::nec {

// What the window's matching section is cut from: 300 ohm TV twin-lead,
// velocity factor 0.82 (open ladder line is nearer 0.9).
inline constexpr double kLineImpedanceOhm = 300;
inline constexpr double kLineVelocityFactor = 0.82;

struct FeedLine {
    double impedanceOhm = kLineImpedanceOhm;
    double velocityFactor = kLineVelocityFactor;
    double lengthMm = 0;  // physical, as cut
    // The velocity factor was measured, not assumed.
    bool velocityFactorMeasured = false;
};

// The impedance at the far end of a line that ends in `load`:
//   Zin = Z0 (ZL + j Z0 tan bl) / (Z0 + j ZL tan bl),  b = 2 pi f / (c VF),
// written with cos and sin so that a quarter wave (tan bl infinite) is no
// special case. A quarter wave of 300 ohm on 185 +j26 ohm gives 476 -j68.
std::complex<double> LineInput(std::complex<double> load, const FeedLine& line, double mhz);

// Where the lines from all the gaps meet: each gap through its line, the
// line ends in parallel. For n equal gaps that is LineInput(gap) / n.
std::complex<double> Junction(const std::vector<std::complex<double>>& gaps, const FeedLine& line, double mhz);

// The length of the design's 300 ohm series matching section in mm, the
// text of its millimetre field (421.2329 at 146 MHz); throws a Model
// failure when it is not a positive number.
double MatchingSectionMm(const Design& design);

}  // namespace corvanta::nec
