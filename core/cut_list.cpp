#include "core/cut_list.h"

#include <array>
#include <utility>

#include "core/exact_decimal.h"

namespace corvanta {

namespace {

struct Dimension {
    const char* name;
    Field field;
    const char* unit;
};

// HEIGHT, SIDE, GAP, MATCH in one unit.
struct Lengths {
    ExactDecimal height, side, gap, match;
};

Lengths Read(const Design& design, const std::array<Dimension, 4>& dimensions, NumberFormat format) {
    std::array<ExactDecimal, 4> values;
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        const Dimension& d = dimensions[i];
        const std::string& text = design.Text(d.field);
        const std::optional<ExactDecimal> value = ExactDecimal::FromText(text, format);
        const std::string shown = "its " + std::string(d.name) + " \"" + text + "\" (" + d.unit + ")";
        if (!value) throw CutListError("This design cannot be cut: " + shown + " is not a length");
        if (value->Sign() <= 0) throw CutListError("This design cannot be cut: " + shown + " is not above 0");
        values[i] = *value;
    }
    return {values[0], values[1], values[2], values[3]};
}

// A piece of `count`, its lengths as printed and as numbers.
CutPiece Piece(std::string_view name, int count, const ExactDecimal& mm, const ExactDecimal& in, std::string mmText,
               std::string inText, NumberFormat format) {
    return {std::string(name),           count, std::move(mmText), std::move(inText), mm.Times(count).Text(format),
            in.Times(count).Text(format)};
}

}  // namespace

std::string_view RoundingNote() {
    return "A half vertical is (HEIGHT - GAP) / 2, worked out exactly from the dimensions as "
           "printed, each unit from its own column, and rounded to 0.01 mm and 0.001 in, a half "
           "up. Totals add up the pieces as listed. The design's own numbers are printed as the "
           "calculator writes them and never rounded again.";
}

CutList MakeCutList(const Design& design, NumberFormat format) {
    if (design.sides == SideChoice::None) throw CutListError("No side count is chosen: THREE SIDED or FOUR SIDED");
    const int sides = design.sides == SideChoice::Three ? 3 : 4;
    static constexpr std::array<Dimension, 4> kMm = {{{"HEIGHT", Field::HeightMm, "mm"},
                                                      {"SIDE", Field::SideMm, "mm"},
                                                      {"GAP", Field::GapMm, "mm"},
                                                      {"MATCH", Field::MatchMm, "mm"}}};
    static constexpr std::array<Dimension, 4> kIn = {{{"HEIGHT", Field::HeightInch, "in"},
                                                      {"SIDE", Field::SideInch, "in"},
                                                      {"GAP", Field::GapInch, "in"},
                                                      {"MATCH", Field::MatchInch, "in"}}};
    const Lengths mm = Read(design, kMm, format);
    const Lengths in = Read(design, kIn, format);

    const auto halfVertical = [](const Lengths& lengths, int decimals, const char* unit) {
        const ExactDecimal vertical = lengths.height - lengths.gap;
        if (vertical.Sign() <= 0) {
            throw CutListError(std::string("This design cannot be cut: its HEIGHT is not longer than its GAP (") +
                               unit + ")");
        }
        const ExactDecimal half = vertical.Half().RoundedHalfUp(decimals);
        if (half.Sign() <= 0) {
            throw CutListError(std::string("This design cannot be cut: its half verticals round to 0 ") + unit);
        }
        return half;
    };
    const ExactDecimal halfMm = halfVertical(mm, kHalfVerticalMmDecimals, "mm");
    const ExactDecimal halfIn = halfVertical(in, kHalfVerticalInDecimals, "in");

    CutList list;
    list.sides = sides;
    const int pieces = 2 * sides;
    list.pieces.push_back(Piece(kHorizontalSide, pieces, mm.side, in.side, design.Text(Field::SideMm),
                                design.Text(Field::SideInch), format));
    list.pieces.push_back(
        Piece(kHalfVertical, pieces, halfMm, halfIn, halfMm.Text(format), halfIn.Text(format), format));
    list.conductorTotalMm = (mm.side + halfMm).Times(pieces).Text(format);
    list.conductorTotalIn = (in.side + halfIn).Times(pieces).Text(format);
    list.lines = Piece(kMatchingLine, sides, mm.match, in.match, design.Text(Field::MatchMm),
                       design.Text(Field::MatchInch), format);
    return list;
}

}  // namespace corvanta
