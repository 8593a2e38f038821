#include "core/design.h"

#include <algorithm>

namespace corvanta {

std::optional<Design> ComputeCopy(const DesignSheet& sheet, NumberFormat format) {
    if (sheet.Side() == SideChoice::None) return std::nullopt;
    Design design;
    design.sides = sheet.Side();
    design.sheet = sheet;
    // The copy would otherwise tell the original's window of every write.
    design.sheet.SetObserver(nullptr);
    design.trace = Compute(design.sheet, format);
    return design;
}

Design WithPoint(Design design, NumberFormat format) {
    if (format.decimalSeparator == '.') return design;
    for (Field field : {Field::Frequency, Field::DiameterMm, Field::HeightInch, Field::HeightMm, Field::SideInch,
                        Field::SideMm, Field::GapInch, Field::GapMm, Field::MatchInch, Field::MatchMm}) {
        std::string text = design.Text(field);
        std::replace(text.begin(), text.end(), format.decimalSeparator, '.');
        design.sheet.Replace(field, std::move(text));
    }
    return design;
}

}  // namespace corvanta
