#pragma once

#include <vector>

#include "nec/loop_model.h"
#include "nec/output_reader.h"

// The model's wires as the engine numbers them, in metres: for each corner
// in turn its vertical bottom to top, then the top and the bottom edge to
// the next corner. Over ground the ground is the plane z = 0 and the
// loop's centre stands at its height; in free space the centre is the
// origin.

namespace corvanta::nec {

struct Point3 {
    double x = 0, y = 0, z = 0;
};

struct ModelSegment {
    Point3 from, to;
    bool fed = false;  // a part of a gap
};

std::vector<ModelSegment> ModelSegments(const LoopModel& model);

// A segment with the current the engine found on it.
struct SegmentCurrent {
    ModelSegment segment;
    double magnitudeA = 0;
    double phaseDeg = 0;
};

// The engine's currents at `mhz` laid on the model's segments. Throws an
// Answer failure when they are not one for each segment, or a segment's
// centre is not where the program laid it: currents read against the
// wrong wires would colour the view wrongly.
std::vector<SegmentCurrent> CurrentsOnModel(const LoopModel& model, const std::vector<CurrentReading>& currents,
                                            double mhz);

}  // namespace corvanta::nec
