#include "sheet/sheet_cut_list.h"

#include <charconv>
#include <string>

namespace corvanta::sheet {

namespace {

constexpr double kMmPerInch = 25.4;
// As the model check words a scaled length: 0.01 mm, and 0.001 in as the
// window's inch fields are cut.
constexpr int kMmDecimals = 2;
constexpr int kInDecimals = 3;

std::string FixedText(double value, int decimals, NumberFormat format) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, error == std::errc() ? end : buffer);
    for (char& c : text) {
        if (c == '.') c = format.decimalSeparator;
    }
    return text;
}

}  // namespace

Design ScaledFields(const Design& design, const CutLengths& lengths, NumberFormat format) {
    Design scaled = design;
    const auto write = [&](Field mm, Field in, double millimetres) {
        scaled.sheet.Replace(mm, FixedText(millimetres, kMmDecimals, format));
        scaled.sheet.Replace(in, FixedText(millimetres / kMmPerInch, kInDecimals, format));
    };
    write(Field::HeightMm, Field::HeightInch, lengths.heightMm);
    write(Field::SideMm, Field::SideInch, lengths.sideMm);
    write(Field::GapMm, Field::GapInch, lengths.gapMm);
    return scaled;
}

CutList ScaledCutList(const Design& design, const CutLengths& lengths, NumberFormat format) {
    return MakeCutList(ScaledFields(design, lengths, format), format);
}

SheetCut SheetCutOf(const Design& design, const CutList& designList, const std::optional<CutLengths>& lengths,
                    NumberFormat format) {
    SheetCut cut{QStringLiteral("CUT LIST"), QString(), designList, std::nullopt, design};
    if (!lengths) return cut;
    CutList scaled;
    try {
        scaled = ScaledCutList(design, *lengths, format);
    } catch (const CutListError&) {
        // A verdict the bench cannot follow: the design's, as without a check.
        return cut;
    }
    const auto same = [](const CutList& a, const CutList& b) {
        for (std::size_t i = 0; i < a.pieces.size() && i < b.pieces.size(); ++i) {
            if (a.pieces[i].lengthMm != b.pieces[i].lengthMm) return false;
        }
        return a.pieces.size() == b.pieces.size();
    };
    if (same(scaled, designList)) return cut;
    std::string scale = FixedText(lengths->scale, 5, format);
    cut.heading = QStringLiteral("CUT LIST: %1 LENGTHS").arg(lengths->name.toUpper());
    cut.note = QStringLiteral(
                   "The model check's verdict is to cut the %1 lengths: HEIGHT, SIDE and GAP times %2 of %3. "
                   "The design's own lengths stand beside them in grey; the lines stay as designed.")
                   .arg(lengths->name, QString::fromStdString(scale),
                        lengths->of.isEmpty() ? QStringLiteral("the design's") : lengths->of);
    cut.list = std::move(scaled);
    cut.toCut = ScaledFields(design, *lengths, format);
    cut.design = designList;
    return cut;
}

}  // namespace corvanta::sheet
