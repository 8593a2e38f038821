#include "nec/pattern_cuts.h"

#include <algorithm>
#include <cmath>

namespace corvanta::nec {

namespace {

// Grid angles are the engine's echo of whole steps: equal within this.
constexpr double kSameAngleDeg = 1e-6;

// A field the engine writes as zero: far below anything radiated.
constexpr double kNoField = 1e-30;

bool Same(double a, double b) { return std::abs(a - b) < kSameAngleDeg; }

double Wrapped(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360 : wrapped;
}

}  // namespace

std::string PolarisationName(Polarisation polarisation) {
    switch (polarisation) {
        case Polarisation::Vertical:
            return "vertical";
        case Polarisation::Horizontal:
            return "horizontal";
        case Polarisation::Mixed:
            return "mixed";
    }
    return "";
}

PatternCuts CutsOf(const CheckReport& report, Ground ground, const std::optional<ElevationCut>& finer) {
    PatternCuts cuts;
    if (report.pattern.empty()) return cuts;
    cuts.maxGainDbi = report.maxGainDbi;
    cuts.elevationDeg = report.MaxGainElevationDeg();
    cuts.azimuthDeg = report.maxGainPhiDeg;
    cuts.belowHorizon = ground == Ground::Free;
    const double behind = Wrapped(cuts.azimuthDeg + 180);
    for (const PatternPoint& p : report.pattern) {
        if (Same(p.thetaDeg, report.maxGainThetaDeg)) cuts.azimuth.push_back({p.phiDeg, p.totalGainDb});
        // Elevation 90 - theta in front; 180 - elevation behind.
        if (Same(Wrapped(p.phiDeg), Wrapped(cuts.azimuthDeg))) {
            cuts.elevation.push_back({90 - p.thetaDeg, p.totalGainDb});
        } else if (Same(Wrapped(p.phiDeg), behind)) {
            cuts.elevation.push_back({90 + p.thetaDeg, p.totalGainDb});
        }
        if (Same(p.thetaDeg, report.maxGainThetaDeg) && Same(p.phiDeg, report.maxGainPhiDeg)) {
            // E(theta) lies in the vertical plane through the direction, E(phi)
            // across it, level: the vertical and the horizontal polarisation.
            cuts.verticalOverHorizontalDb =
                20 * std::log10(std::max(p.thetaFieldVPerM, kNoField) / std::max(p.phiFieldVPerM, kNoField));
            cuts.polarisation = cuts.verticalOverHorizontalDb >= kPolarisationMarginDb    ? Polarisation::Vertical
                                : cuts.verticalOverHorizontalDb <= -kPolarisationMarginDb ? Polarisation::Horizontal
                                                                                          : Polarisation::Mixed;
        }
    }
    const auto byAngle = [](const CutPoint& a, const CutPoint& b) { return a.angleDeg < b.angleDeg; };
    // The grid's azimuths 0 and 360 both lie in the vertical plane, and
    // overhead is both in front and behind: one point an angle. (The
    // azimuth cut keeps 0 and 360, which close its curve.)
    const auto sameAngle = [](const CutPoint& a, const CutPoint& b) { return Same(a.angleDeg, b.angleDeg); };
    for (std::vector<CutPoint>* cut : {&cuts.azimuth, &cuts.elevation}) {
        std::stable_sort(cut->begin(), cut->end(), byAngle);
        cut->erase(std::unique(cut->begin(), cut->end(), sameAngle), cut->end());
    }
    if (finer && !cuts.belowHorizon) {
        const auto front = CutToward(*finer, cuts.azimuthDeg);
        const auto back = CutToward(*finer, behind);
        if (!front.empty() && !back.empty()) {
            std::vector<CutPoint> elevation;
            for (const auto& [degrees, gain] : front) elevation.push_back({degrees, gain});
            for (const auto& [degrees, gain] : back) elevation.push_back({180 - degrees, gain});
            std::stable_sort(elevation.begin(), elevation.end(), byAngle);
            elevation.erase(std::unique(elevation.begin(), elevation.end(), sameAngle), elevation.end());
            cuts.elevation = std::move(elevation);
            cuts.finerElevation = true;
        }
    }
    return cuts;
}

}  // namespace corvanta::nec
