#include "core/design_sheet.h"

#include <utility>

namespace corvanta {

namespace {

// The title keeps its 14 and 17 blanks; the matching-section caption ends in
// CR LF, which pushes it onto three lines in its box.
constexpr std::array<std::string_view, kFieldCount> kStartTexts = {
    "INPUT FREQUENCY IN MHZ",
    "146.00",
    "RECOMMENDED MINIMUM WIRE/TUBE",
    "14",
    "AWG",
    ".064",
    "INCH",
    "1.626",
    "MM",
    "HEIGHT",
    "00.00",
    "IN",
    "00.00",
    "MM",
    "SIDE",
    "00.00",
    "00.00",
    "GAP",
    "00.00",
    "00.00",
    "300 OHM SERIES MATCH LENGHT\r\n",
    "00.00",
    "00.00",
    "CORVANTA ANTENNA              by                 ZORVEX",
};

}  // namespace

DesignSheet::DesignSheet() {
    for (std::size_t i = 0; i < kFieldCount; ++i) texts_[i] = std::string(kStartTexts[i]);
}

std::string_view DesignSheet::StartText(Field field) { return kStartTexts[FieldIndex(field)]; }

void DesignSheet::Replace(Field field, std::string text) {
    std::string& slot = texts_[FieldIndex(field)];
    slot = std::move(text);
    if (observer_) observer_(field, slot);
}

void DesignSheet::SetSide(SideChoice side) {
    if (side != SideChoice::None) side_ = side;
}

}  // namespace corvanta
