#pragma once

#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/elevation_cut.h"

// The two cuts of the radiation pattern that a polar plot shows: round the
// horizon at the elevation of maximum gain, and up over the top through the
// azimuth of maximum gain.

namespace corvanta::nec {

struct CutPoint {
    double angleDeg = 0;
    double gainDbi = 0;  // the total gain; the engine writes -999.99 for none
};

enum class Polarisation { Vertical, Horizontal, Mixed };

// A component this much stronger than the other names the polarisation.
inline constexpr double kPolarisationMarginDb = 10;

struct PatternCuts {
    double maxGainDbi = 0;
    double elevationDeg = 0;  // of the azimuth cut
    double azimuthDeg = 0;    // of the elevation cut
    // Azimuth from 0 to 360 degrees, counter-clockwise from the x axis (the
    // first corner of the loop).
    std::vector<CutPoint> azimuth;
    // Angle in the vertical plane: 0 at the horizon toward azimuthDeg, 90
    // overhead, 180 at the horizon behind; below the horizon (free space
    // only) from -90 to 0 in front and from 180 to 270 behind. In order of
    // angle.
    std::vector<CutPoint> elevation;
    bool belowHorizon = false;                        // free space: the elevation cut is a full circle
    bool finerElevation = false;                      // the elevation cut is the finer run's, not the grid's
    Polarisation polarisation = Polarisation::Mixed;  // in the direction of maximum gain
    double verticalOverHorizontalDb = 0;              // there
};

// The cuts of the design frequency's pattern; empty cuts when the report
// has no pattern. The elevation cut is `finer`'s where it holds the
// azimuth of maximum gain and its opposite, else the grid's.
PatternCuts CutsOf(const CheckReport& report, Ground ground, const std::optional<ElevationCut>& finer = std::nullopt);

std::string PolarisationName(Polarisation polarisation);

}  // namespace corvanta::nec
