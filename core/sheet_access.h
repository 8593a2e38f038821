#pragma once

#include "core/design_sheet.h"
#include "core/field_conversion.h"

// Reading a field as a number inside an action: a text that does not convert
// ends the action with a RunTimeError that names the field and its text.

namespace corvanta {

float ReadSingle(const DesignSheet& sheet, Field field, NumberFormat format);
double ReadDouble(const DesignSheet& sheet, Field field, NumberFormat format);

}  // namespace corvanta
