#pragma once

#include "core/design_sheet.h"
#include "core/field_conversion.h"

namespace corvanta {

// Millimetres an inch, exactly: every inch figure of the program is
// millimetres over this.
inline constexpr double kMmPerInch = 25.4;

// The working values of one COMPUTE that the result fields do not show, for
// callers that want to print more than the eight results. Lengths are in
// millimetres.
struct ComputeTrace {
    float minDiameter = 0;
    float thicknessRatio = 0;  // after the limit of 40
    float coefficient = 0;
    float correctedFrequency = 0;  // what height, side and gap are computed from
};

// The correction coefficient of the band that holds a thickness ratio.
float BandCoefficient(float thicknessRatio);

// COMPUTE: the eight result fields from the frequency, the diameter in
// millimetres and the side choice. Its reads and writes, in order, are in
// kSheetActions (core/sheet_actions.h).
ComputeTrace Compute(DesignSheet& sheet, NumberFormat format = {});

}  // namespace corvanta
