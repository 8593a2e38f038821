#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/design_sheet.h"
#include "core/field_conversion.h"

// The five actions on the design sheet, described once: the button that
// starts each, every field it reads (and at which width) and every field it
// writes, in the order it does so. The window wires its buttons from this
// table, the design run takes the CHANGE of a size from it, and the tests and
// the fuzzer hold each action to it.
//
// The width of a read matters: a numeral read as a single is the float
// nearest it, and near a rounding boundary the float and the double give
// different texts (CHANGE (gauge) writes "0.37" mm for an unlisted code
// beside the inch text "0.014775", where a double reading would give "0.38").
// An action throws RunTimeError at its first failing step; the fields it
// wrote before that step keep their new text.

namespace corvanta {

enum class ActionId : std::uint8_t { ChangeGauge, ChangeInch, ChangeMm, Compute, Accept };

enum class StepKind : std::uint8_t {
    ReadSingle,     // the field's text through ParseSingle
    ReadDouble,     // the field's text through ParseDouble
    Write,          // the field gets a new text
    WriteIfListed,  // written only for a gauge code of the table, else kept
};

struct ActionStep {
    StepKind kind;
    Field field;

    bool IsRead() const { return kind == StepKind::ReadSingle || kind == StepKind::ReadDouble; }
};

struct SheetAction {
    ActionId id;
    std::string_view name;    // as the user knows it: "CHANGE (gauge)"
    std::string_view button;  // the main window's button that runs it
    void (*run)(DesignSheet& sheet, NumberFormat format);
    std::span<const ActionStep> steps;  // in the order they happen
};

// In the order of the buttons: Command1 to Command4, then Command7.
extern const std::array<SheetAction, 5> kSheetActions;

const SheetAction& Action(ActionId id);

// The fields whose text the user gives the action: those it reads before it
// has surely written them, in the order of the reads.
std::vector<Field> Inputs(const SheetAction& action);

// Every field the action can write, in order.
std::vector<Field> Writes(const SheetAction& action);

}  // namespace corvanta
