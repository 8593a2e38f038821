#include "cli/columns.h"

#include "core/field_conversion.h"

namespace corvanta::cli {

const std::array<Column, kColumnCount> kColumns = {{
    {"sides", "sides", std::nullopt},
    {"frequency_mhz", "MHz", Field::Frequency},
    {"awg", "AWG", Field::Gauge},
    {"diameter_in", "dia in", Field::DiameterInch},
    {"diameter_mm", "dia mm", Field::DiameterMm},
    {"height_in", "HEIGHT in", Field::HeightInch},
    {"height_mm", "HEIGHT mm", Field::HeightMm},
    {"side_in", "SIDE in", Field::SideInch},
    {"side_mm", "SIDE mm", Field::SideMm},
    {"gap_in", "GAP in", Field::GapInch},
    {"gap_mm", "GAP mm", Field::GapMm},
    {"match_in", "MATCH in", Field::MatchInch},
    {"match_mm", "MATCH mm", Field::MatchMm},
    {"min_diameter_mm", "min dia mm", std::nullopt},
    {"thickness_ratio", "ratio", std::nullopt},
    {"coefficient", "coefficient", std::nullopt},
    {"corrected_mhz", "corrected MHz", std::nullopt},
}};

DesignRow RowOf(const Design& design) {
    DesignRow row{design.sides, {}};
    row.texts[0] = FormatInteger(design.sides == SideChoice::Four ? 4 : 3);
    for (std::size_t i = 1; i < kColumnCount; ++i) {
        if (kColumns[i].field) row.texts[i] = design.Text(*kColumns[i].field);
    }
    row.texts[13] = FormatSingle(design.trace.minDiameter);
    row.texts[14] = FormatSingle(design.trace.thicknessRatio);
    row.texts[15] = FormatSingle(design.trace.coefficient);
    row.texts[16] = FormatSingle(design.trace.correctedFrequency);
    return row;
}

std::string_view OptionOf(Field field) {
    switch (field) {
        case Field::Frequency:
            return "--freq";
        case Field::Gauge:
            return "--awg";
        case Field::DiameterInch:
            return "--inch";
        case Field::DiameterMm:
            return "--mm";
        default:
            return FieldName(field);
    }
}

}  // namespace corvanta::cli
