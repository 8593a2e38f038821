#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "conductor/design_run.h"
#include "core/field.h"

namespace corvanta::cli {

// One column of output: its key (csv header, json name), its heading in the
// text table, and the field it comes from (none for the working values).
struct Column {
    std::string_view key;
    std::string_view heading;
    std::optional<Field> field;
};

inline constexpr std::size_t kColumnCount = 17;
extern const std::array<Column, kColumnCount> kColumns;

// A design as printed: every column's text as the window would show it
// (the working values as FormatSingle writes them).
struct DesignRow {
    SideChoice sides;
    std::array<std::string, kColumnCount> texts;
};

DesignRow RowOf(const Design& design);

// The command-line option that feeds a field ("--freq", "--awg", ...).
std::string_view OptionOf(Field field);

}  // namespace corvanta::cli
