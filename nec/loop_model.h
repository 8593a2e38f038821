#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conductor/design_run.h"
#include "nec/failure.h"

// The model of a designed loop: two horizontal regular polygons of edge
// SIDE, HEIGHT apart, joined corner to corner by verticals whose middle
// segment is the feed gap. The lengths are the millimetre texts the design
// shows, the lengths a builder cuts.

namespace corvanta::nec {

enum class Ground { Free, Average, Perfect };

// "free space", "average ground", "perfect ground".
std::string GroundName(Ground ground);

// The kernel the engine uses for the wire: the ordinary thin-wire kernel
// holds for segments of 8 wire radii and more; the extended one (EK card)
// down to kExtendedKernelRadii.
enum class Kernel { ThinWire, Extended };

inline constexpr double kThinWireRadii = 8;
inline constexpr double kExtendedKernelRadii = 4;
inline constexpr double kLongestSegmentWavelengths = 1.0 / 20;
inline constexpr double kSpeedOfLight = 299.792458;  // metres times MHz

// The copper conductivity the model gives the wire, in S/m.
inline constexpr double kCopperConductivity = 5.8e7;

struct Placement {
    Ground ground = Ground::Free;
    double heightM = 0;  // of the loop's centre over ground (not for free space)
};

struct LoopModel {
    int sides = 3;
    double designMHz = 0;
    // The dimensions as the design shows them.
    double heightMm = 0, sideMm = 0, gapMm = 0, radiusMm = 0;
    Placement placement;
    int verticalSegments = 0;  // the gap is the middle segment, or two
    int edgeSegments = 0;
    // Segments across the gap, each with its share of the 1 V: 1, or 2 in
    // the refined model, which cuts the same gap finer.
    int gapSegments = 1;
    Kernel kernel = Kernel::ThinWire;
    std::vector<std::string> comments;  // what the deck says of the design

    // The first segment of the gap on a vertical.
    int FeedSegment() const { return (verticalSegments - gapSegments) / 2 + 1; }
    int TotalSegments() const { return sides * (verticalSegments + 2 * edgeSegments); }
    double SegmentMm() const { return heightMm / verticalSegments; }
    double CircumradiusMm() const;
    // The lowest wire's height over ground in millimetres.
    double ClearanceMm() const { return placement.heightM * 1000 - heightMm / 2 - radiusMm; }
};

// The design frequency as the design shows it; throws a Model failure when
// it is not a positive number.
double DesignMHz(const Design& design);

// The model of a design for a sweep up to `highestMHz`. With
// `segmentsPerGap` 1 the segments are about the gap's length, within what
// the kernels and the sweep's wavelength allow; with more they are the gap's
// length divided by it, on the extended kernel when the thin-wire one does
// not hold them, so that every count gives a model of its own. Throws a
// Model failure, SegmentsPerGap for a count that cannot do that, or
// TooNearGround for a height the ground model cannot handle.
LoopModel BuildModel(const Design& design, const Placement& placement, double highestMHz, int segmentsPerGap = 1);

// The same loop with HEIGHT, SIDE and GAP times `scale`, the conductor and
// the segment counts as they were, so that it is modelled as the design is;
// the extended kernel where the shorter segments need it. Throws a Model
// failure when they would be too short even for that, TooNearGround when
// the loop would come too near the ground.
LoopModel Scaled(const LoopModel& model, double scale);

// The same loop with every segment half as long, the gap two segments, for
// the convergence check, with the extended kernel where the halves need it;
// nothing when they would be too short even for that.
std::optional<LoopModel> Refined(const LoopModel& model);

// Where the segments cannot be halved (a thick conductor), the convergence
// check goes the other way: the same loop with segments as long as the
// design frequency allows (a twentieth of its wavelength), at least
// kCoarserAtLeast times the model's, the thin-wire kernel where they are
// long enough for it. Nothing only for a loop too short to cut so coarsely.
inline constexpr double kCoarserAtLeast = 1.5;
std::optional<LoopModel> Coarser(const LoopModel& model);

// "thin-wire" or "extended thin-wire".
std::string KernelName(Kernel kernel);

}  // namespace corvanta::nec
