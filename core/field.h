#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvanta {

// The 24 named text fields of the design sheet, by the names of the boxes
// that show them. Even numbers up to Text8 and the result rows hold values;
// the rest are captions and the title line.
enum class Field : std::uint8_t {
    Text1 = 1,
    Text2,
    Text3,
    Text4,
    Text5,
    Text6,
    Text7,
    Text8,
    Text9,
    Text10,
    Text11,
    Text12,
    Text13,
    Text14,
    Text15,
    Text16,
    Text17,
    Text18,
    Text19,
    Text20,
    Text21,
    Text22,
    Text23,
    Text24,

    // The value fields by what they hold, for the code that computes with
    // them. The result rows are height, side, gap and the 300 ohm series
    // matching section, each in inches and in millimetres.
    Frequency = Text2,  // MHz
    Gauge = Text4,      // AWG code
    DiameterInch = Text6,
    DiameterMm = Text8,
    HeightInch = Text11,
    HeightMm = Text13,
    SideInch = Text16,
    SideMm = Text17,
    GapInch = Text19,
    GapMm = Text20,
    MatchInch = Text22,
    MatchMm = Text23,
};

inline constexpr std::size_t kFieldCount = 24;

// Which loop COMPUTE designs. None until the user picks an option button;
// after that only Three and Four are reachable.
enum class SideChoice : std::uint8_t { None, Three, Four };

// Position 0..23 of a field, for array storage.
constexpr std::size_t FieldIndex(Field field) { return static_cast<std::size_t>(field) - 1; }

constexpr Field FieldAt(std::size_t index) { return static_cast<Field>(index + 1); }

// All fields in order Text1..Text24.
constexpr std::array<Field, kFieldCount> AllFields() {
    std::array<Field, kFieldCount> fields{};
    for (std::size_t i = 0; i < kFieldCount; ++i) fields[i] = FieldAt(i);
    return fields;
}

// "Text1" .. "Text24": the name the windows give the box that shows the field.
std::string_view FieldName(Field field);

// What a person calls the field: the caption that labels it, with the unit
// for the result columns ("INPUT FREQUENCY IN MHZ", "HEIGHT, inches").
// Caption fields are described by their own start text.
std::string_view FieldLabel(Field field);

}  // namespace corvanta
