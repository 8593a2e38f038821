#pragma once

#include <optional>
#include <vector>

#include "nec/deck_writer.h"
#include "nec/engine_runner.h"
#include "nec/loop_model.h"
#include "nec/output_reader.h"

// The elevation cut the pattern plot draws, in steps fine enough for the
// lobes a loop high over ground has. It is a run of its own at the design
// frequency: the check's pattern grid, which the average gain and the share
// of the sky are worked out over, stays as it is.

namespace corvanta::nec {

// Over ground the lobes near the horizon lie about lambda / (2 h) radians
// apart (h the loop's height); the cut takes at least this many steps a lobe.
inline constexpr double kCutStepsPerLobe = 8;

// The steps the cut may take, coarsest first. Each divides a whole degree,
// so the grid's elevations are among the cut's and the grid's maximum lies
// on its curve; the engine prints angles to two decimals, so none is finer
// than 0.01. The finest bounds the run to 9002 directions.
inline constexpr double kCutStepsDeg[] = {0.25, 0.2, 0.1, 0.05, 0.02};

// The finer cut: the pattern from overhead down to the horizon in the loop's
// two kinds of vertical plane of symmetry, through a vertical (azimuth 0)
// and through the middle of a side (azimuth 180 / sides). Every other plane
// of symmetry is one of these turned by a multiple of 360 / sides, so
// between them they hold the elevation cut toward any azimuth on a plane of
// symmetry, where a loop's gain is greatest.
struct ElevationCut {
    double sideMiddleDeg = 0;  // 180 / sides: the azimuth of the second plane
    double stepDeg = 0;
    std::vector<PatternPoint> points;  // as the engine printed them
};

// The cut's step for the model; none in free space, where no ground makes
// lobes and the grid's whole degrees draw the pattern smoothly.
std::optional<double> ElevationCutStepDeg(const LoopModel& model);

// The run that computes the cut; none where ElevationCutStepDeg is none.
std::optional<EngineRun> ElevationCutRun(const LoopModel& model, const PatternGrid& grid);

// The cut from that run's answer.
ElevationCut ElevationCutOf(const LoopModel& model, std::vector<PatternPoint> points);

// An azimuth turned and mirrored by the loop's symmetry into
// [0, sideMiddleDeg]: 0 on a plane through a vertical, sideMiddleDeg on one
// through the middle of a side, between them off every plane.
// FoldedAzimuth(60, 200) == 40, FoldedAzimuth(45, 270) == 0,
// FoldedAzimuth(45, 315) == 45.
double FoldedAzimuth(double sideMiddleDeg, double azimuthDeg);

// The cut toward `azimuthDeg`: elevation (0 at the horizon, 90 overhead)
// and total gain, in order of elevation. Empty when the azimuth is on no
// plane of symmetry, which the run has not computed.
std::vector<std::pair<double, double>> CutToward(const ElevationCut& cut, double azimuthDeg);

}  // namespace corvanta::nec
