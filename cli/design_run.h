#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/compute.h"
#include "core/field.h"

namespace corvanta::cli {

// Which conductor field a size given on the command line goes into.
enum class SizeUnit { Gauge, Inch, Mm };

struct SizeInput {
    SizeUnit unit;
    std::string text;
};

// What a user does in the window: type the frequency, ACCEPT, optionally
// type a size and press the CHANGE under it, choose the sides, COMPUTE.
struct DesignRequest {
    std::string frequency;
    SideChoice sides = SideChoice::Three;
    std::optional<SizeInput> size;
};

// One column of output: its key (csv header, json name), its heading in the
// text table, and the field it comes from (none for the working values).
struct Column {
    std::string_view key;
    std::string_view heading;
    std::optional<Field> field;
};

inline constexpr std::size_t kColumnCount = 17;
extern const std::array<Column, kColumnCount> kColumns;

// A finished design: every column's text as the window would show it
// (the working values as FormatSingle writes them).
struct DesignRow {
    SideChoice sides;
    std::array<std::string, kColumnCount> texts;
};

// Throws RunTimeError as the window's actions would.
DesignRow RunDesign(const DesignRequest& request);

// The command-line option that feeds a field ("--freq", "--awg", ...).
std::string_view OptionOf(Field field);

}  // namespace corvanta::cli
