#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/design.h"
#include "core/field_conversion.h"

namespace corvanta {

// One kind of piece to cut, in both units. Every length is a text as the
// builder reads it: the design's own field text where the piece is a
// dimension of the design, worked out from those texts where it is not.
struct CutPiece {
    std::string name;
    int count = 0;
    std::string lengthMm;
    std::string lengthIn;
    std::string totalMm;  // count x length
    std::string totalIn;
};

// What a builder cuts for one design. A loop of n sides has 2n horizontal
// sides (the top and the bottom polygon) and n verticals, each broken by its
// gap into two halves; every gap feeds one 300 ohm line of the matching
// section's length, and the lines meet at one point.
struct CutList {
    int sides = 0;
    std::vector<CutPiece> pieces;  // the conductor: horizontal sides, half verticals
    std::string conductorTotalMm;
    std::string conductorTotalIn;
    CutPiece lines;  // the 300 ohm lines
};

// The piece names, as the sheet and the command line print them.
inline constexpr std::string_view kHorizontalSide = "horizontal side";
inline constexpr std::string_view kHalfVertical = "half vertical";
inline constexpr std::string_view kMatchingLine = "300 ohm line";

// The one length the list works out itself is a half vertical,
// (HEIGHT - GAP) / 2, from the printed texts in each unit separately, and
// rounded to these places, a half up. Totals add up the pieces as listed
// and are not rounded; the design's own numbers are never rounded again.
inline constexpr int kHalfVerticalMmDecimals = 2;  // 0.01 mm
inline constexpr int kHalfVerticalInDecimals = 3;  // 0.001 in, as the inch fields

// The rounding in words, for every place that prints a cut list.
std::string_view RoundingNote();

// A design whose texts cannot be cut: a length that is not above zero, a
// HEIGHT not longer than its GAP, a half vertical that rounds to nothing,
// or no side count.
class CutListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The cut list of a computed design, from its result texts (Text13 HEIGHT,
// Text17 SIDE, Text20 GAP, Text23 MATCH in mm; Text11, Text16, Text19,
// Text22 in inches), read with the separator they were written with.
CutList MakeCutList(const Design& design, NumberFormat format = {});

}  // namespace corvanta
