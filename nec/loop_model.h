#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conductor/design_run.h"
#include "nec/failure.h"

// The model of a designed loop: two horizontal regular polygons of edge
// SIDE, HEIGHT apart, joined corner to corner by verticals whose middle
// segment is the feed gap as built. The lengths are the millimetre texts the
// design shows, the lengths a builder cuts.
//
// A vertical is graded: the fed segment is the gap's length, one segment of
// the same length lies on each side of it, and beyond them the segments grow
// by at most kGrowth a step up to the longest the sweep allows. Every
// segment keeps at least kThinWireRadii wire radii, or kExtendedKernelRadii
// with the extended kernel; the engine does not use that kernel where wires
// meet, so the segments at the corners keep kThinWireRadii whatever it is.

namespace corvanta::nec {

enum class Ground { Free, Average, Perfect };

// "free space", "average ground", "perfect ground".
std::string GroundName(Ground ground);

// The kernel the engine uses for the wire: the ordinary thin-wire kernel
// holds for segments of 8 wire radii and more; the extended one (EK card,
// one for the whole deck) down to kExtendedKernelRadii, away from bends.
enum class Kernel { ThinWire, Extended };

inline constexpr double kThinWireRadii = 8;
inline constexpr double kExtendedKernelRadii = 2;
// The longest segment the model prefers, in wavelengths at kPreferredTop
// times the design frequency, and the longest it takes where the corners'
// segments need more, in wavelengths at the sweep's top.
inline constexpr double kLongestSegmentWavelengths = 1.0 / 40;
inline constexpr double kLongestAllowedWavelengths = 1.0 / 10;
inline constexpr double kPreferredTop = 1.4;
// Neighbouring segments differ by at most this factor.
inline constexpr double kGrowth = 1.5;
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
    // Segments across the gap, each with its share of the 1 V: 1, or more in
    // a refined model, which cuts the same gap finer.
    int gapSegments = 1;
    Kernel kernel = Kernel::ThinWire;
    std::vector<std::string> comments;  // what the deck says of the design
    // Every segment of a vertical, bottom to top; empty: verticalSegments
    // equal ones.
    std::vector<double> verticalMm;
    int feedFirst = 0;  // the first fed segment (from 1) where verticalMm is set
    // The length fed: the gap, or the shortest segment the kernel holds
    // where the gap is shorter (the difference is counted in the model's
    // uncertainty).
    double fedMm = 0;
    // How many times finer than the model the segments are cut, at most.
    int refinement = 1;
    // The grading's longest segment on the verticals and on the edges.
    double capMm = 0, edgeCapMm = 0;

    // The first segment of the gap on a vertical.
    int FeedSegment() const { return verticalMm.empty() ? (verticalSegments - gapSegments) / 2 + 1 : feedFirst; }
    int TotalSegments() const { return sides * (verticalSegments + 2 * edgeSegments); }
    // The mean length of a vertical's segments.
    double SegmentMm() const { return heightMm / verticalSegments; }
    std::vector<double> VerticalLengths() const;
    double ShortestMm() const;
    double LongestMm() const;
    // The fed segments together: the gap as modelled.
    double FedMm() const;
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

// The convergence check's models: the same loop with its segments cut into
// 2, then 4, each only as far as it stays valid for its kernel and within
// kGrowth of its neighbours (a corner's segments next to finer ones move the
// resonance by more than their length does); a refinement that would cut
// nothing finer than the one before is left out. At most two.
std::vector<LoopModel> Refinements(const LoopModel& model);

// Where fewer refinements than two are valid: the same loop with longer
// segments (the longest twice, then four times as long, within a tenth of a
// wavelength at the design frequency), coarser first, `wanted` at most, so
// that the convergence can still be judged over three levels.
std::vector<LoopModel> Coarsenings(const LoopModel& model, int wanted);

// Where the gap is shorter than any segment the kernel holds: the same loop
// fed at a segment kGrowth times as long, so that the move towards the gap
// as built can be estimated. Nothing where the gap is fed as built.
std::optional<LoopModel> LongerFeed(const LoopModel& model);

// The same loop as a deck written by hand cuts it: the gap fed as the model
// feeds it, every other segment of a vertical even and no longer than the
// model's longest (at least kThinWireRadii), the edges as they were, so
// that what the grading beside the gap does to the resonance can be
// counted. Nothing where that is the model itself.
std::optional<LoopModel> EvenCut(const LoopModel& model);

// "thin-wire" or "extended thin-wire".
std::string KernelName(Kernel kernel);

}  // namespace corvanta::nec
