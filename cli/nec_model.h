#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/columns.h"

// A NEC-2 model of a designed loop: two horizontal regular polygons of edge
// SIDE, HEIGHT apart, joined corner to corner by verticals whose middle
// segment is the feed gap. It uses the engine's rotational symmetry: one
// vertical with the top and bottom edges to the next corner, copied once a
// side.

namespace corvanta::cli {

enum class Ground { Free, Average, Perfect };

struct NecOptions {
    Ground ground = Ground::Free;
    double heightM = 0;  // of the loop's centre over ground (not for free space)
    double sweepFromMHz = 0;  // 0: 0.8x to 1.4x the design frequency
    double sweepToMHz = 0;
    int sweepPoints = 101;
    int segmentsPerGap = 1;  // 2 halves every segment
    double patternStepDeg = 5;
};

// The model could not be made faithfully (a conductor too thick for its
// segments, a loop reaching into the ground).
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Point {
    double x, y, z;
};

struct NecModel {
    int sides = 3;
    double designMHz = 0;
    // The dimensions as the design shows them, in metres.
    double heightM = 0, sideM = 0, gapM = 0, radiusM = 0;
    double centreZ = 0;
    std::vector<Point> topCorners, bottomCorners;
    int verticalSegments = 0;  // odd: the middle one is the gap
    int edgeSegments = 0;
    Ground ground = Ground::Free;
    double sweepFromMHz = 0, sweepStepMHz = 0;
    int sweepPoints = 0;
    double patternStepDeg = 5;
    std::vector<std::string> comments;

    int FeedSegment() const { return (verticalSegments + 1) / 2; }
    // Tags of the cell: 1 vertical, 2 top edge, 3 bottom edge; each copy adds 3.
    static int VerticalTag(int copy) { return 1 + 3 * copy; }
    int TotalSegments() const { return sides * (verticalSegments + 2 * edgeSegments); }
};

// The copper conductivity the model gives the wire, in S/m.
inline constexpr double kCopperConductivity = 5.8e7;

// From a design as the window shows it (the millimetre texts are what the
// user builds). Throws ModelError.
NecModel BuildModel(const DesignRow& design, const NecOptions& options);

// The deck, plain numbers and no symbolic cards, for nec2c, xnec2c or 4nec2.
std::string WriteDeck(const NecModel& model);

}  // namespace corvanta::cli
