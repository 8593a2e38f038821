#pragma once

#include <optional>

#include "core/design_sheet.h"
#include "core/field_conversion.h"

namespace corvanta {

// The working values of one COMPUTE, for callers that want to show more than
// the eight result fields. Lengths are in millimetres.
struct ComputeTrace {
    float designFrequency = 0;     // as read from the frequency field
    float matchLength = 0;
    float conductorDiameter = 0;
    float minDiameter = 0;
    float thicknessRatio = 0;      // after the limit of 40
    float coefficient = 0;
    float correctedFrequency = 0;  // what height, side and gap are computed from
    std::optional<double> loopHeight;  // none when no side count is chosen
    float sideLength = 0;
    float gapLength = 0;
};

// The correction coefficient of the band that holds a thickness ratio.
float BandCoefficient(float thicknessRatio);

// COMPUTE: the eight result fields from the frequency, the diameter in
// millimetres and the side choice. Its reads and writes, in order, are in
// kSheetActions (core/sheet_actions.h).
ComputeTrace Compute(DesignSheet& sheet, NumberFormat format = {});

}  // namespace corvanta
