#include "cli/columns.h"

#include "core/field_conversion.h"

namespace corvanta::cli {

const std::array<Column, kColumnCount> kColumns = {{
    {"sides", "sides", std::nullopt},
    {"frequency_mhz", "MHz", Field::Text2},
    {"awg", "AWG", Field::Text4},
    {"diameter_in", "dia in", Field::Text6},
    {"diameter_mm", "dia mm", Field::Text8},
    {"height_in", "HEIGHT in", Field::Text11},
    {"height_mm", "HEIGHT mm", Field::Text13},
    {"side_in", "SIDE in", Field::Text16},
    {"side_mm", "SIDE mm", Field::Text17},
    {"gap_in", "GAP in", Field::Text19},
    {"gap_mm", "GAP mm", Field::Text20},
    {"match_in", "MATCH in", Field::Text22},
    {"match_mm", "MATCH mm", Field::Text23},
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
    case Field::Text2: return "--freq";
    case Field::Text4: return "--awg";
    case Field::Text6: return "--inch";
    case Field::Text8: return "--mm";
    default: return FieldName(field);
    }
}

}  // namespace corvanta::cli
