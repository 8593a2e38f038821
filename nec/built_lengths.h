#pragma once

#include <optional>
#include <string>

#include "nec/measurement.h"

// The lengths a loop was cut to, judged against its design before a trim
// scales them. A trim is what was cut times (measured resonance / design
// frequency): lengths typed ten times too long, or HEIGHT and SIDE swapped,
// would give a builder a confident cut list for a loop that was never
// built. Lengths outside these ranges are refused with what they are, what
// the design's are and what the slip most likely was:
//     HEIGHT and SIDE   0.7 to 1.3 times the design's
//     GAP               0.5 to 2 times (a gap is cut by hand, and matters little)
//     HEIGHT / SIDE     within 10 % of the design's proportion
// A loop cut 2 % small, or with the gap a millimetre wide of the design's,
// is what the trim is for, and passes.

namespace corvanta::nec {

inline constexpr double kBuiltLeastShare = 0.7;
inline constexpr double kBuiltMostShare = 1.3;
inline constexpr double kBuiltGapLeastShare = 0.5;
inline constexpr double kBuiltGapMostShare = 2;
inline constexpr double kBuiltProportionShare = 0.1;

// What the lengths as typed most likely are.
enum class BuiltSlip {
    None,      // no likely slip: the lengths are just not this design's
    Swapped,   // HEIGHT and SIDE swapped, each in range the other way round
    TenTimes,  // every length about ten times the design's: a decimal point left out
    Tenth,     // about a tenth: centimetres typed as millimetres
    Inches,    // about 1 / 25.4: inches typed as millimetres
    Metres,    // about a thousandth: metres typed as millimetres
};

struct BuiltLengthsRefusal {
    BuiltLengths built;
    BuiltLengths design;
    // Which are outside their ranges.
    bool height = false, side = false, gap = false, proportion = false;
    BuiltSlip slip = BuiltSlip::None;
};

// None when `built` may be trimmed as a loop cut from `design`.
std::optional<BuiltLengthsRefusal> JudgeBuiltLengths(const BuiltLengths& built, const BuiltLengths& design);

// The refusal in a sentence that names no front end's controls:
//     HEIGHT 7096 mm, SIDE 2635 mm, GAP 95.5 mm are not lengths of this design (HEIGHT 718.233 mm,
//     SIDE 266.718 mm, GAP 9.67 mm): HEIGHT is 9.88 times the design's, SIDE 9.88 times and GAP 9.88
//     times; every length is about ten times the design's: a decimal point left out?
std::string Describe(const BuiltLengthsRefusal& refusal);

// The likely slip alone: "HEIGHT and SIDE look swapped"; empty for None.
std::string SlipWords(BuiltSlip slip);

// A measurement compared with lengths a stored record holds that are
// refused: still drawn, but with no trim, and a note that says why.
void WithholdTrim(Measurement& measurement, const BuiltLengthsRefusal& refusal);

}  // namespace corvanta::nec
