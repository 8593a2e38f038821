#pragma once

#include "core/compute.h"
#include "nec/loop_model.h"

// The loop with HEIGHT, SIDE and GAP times one scale, the conductor as it
// was: tuned by the model, or trimmed from a measurement.

namespace corvanta::nec {

struct ScaledDesign {
    double scale = 1;
    double heightMm = 0, sideMm = 0, gapMm = 0;

    static ScaledDesign Of(const LoopModel& model, double scale) {
        return {scale, model.heightMm * scale, model.sideMm * scale, model.gapMm * scale};
    }
};

}  // namespace corvanta::nec
