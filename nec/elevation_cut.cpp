#include "nec/elevation_cut.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

constexpr double kSpeedOfLightMetresMHz = 299.792458;
// Azimuths are the engine's echo of whole steps: equal within this.
constexpr double kSameAzimuthDeg = 1e-6;

}  // namespace

std::optional<double> ElevationCutStepDeg(const LoopModel& model) {
    if (model.placement.ground == Ground::Free || model.placement.heightM <= 0) return std::nullopt;
    const double wavelengthM = kSpeedOfLightMetresMHz / model.designMHz;
    const double lobeDeg = wavelengthM / (2 * model.placement.heightM) * 180 / std::numbers::pi;
    for (double step : kCutStepsDeg) {
        if (step * kCutStepsPerLobe <= lobeDeg) return step;
    }
    return kCutStepsDeg[std::size(kCutStepsDeg) - 1];
}

std::optional<EngineRun> ElevationCutRun(const LoopModel& model, const PatternGrid& grid) {
    const std::optional<double> step = ElevationCutStepDeg(model);
    if (!step) return std::nullopt;
    // The model's deck with no frequency of the sweep and no pattern: its
    // last card is the end, which the cut's own cards go before.
    std::string deck = WriteDeck(model, Sweep{model.designMHz, 0, 1}, grid, {0, 0, false});
    const std::string end = "EN\n";
    deck.resize(deck.size() - end.size());
    const int thetas = static_cast<int>(std::lround(90 / *step)) + 1;
    deck += "FR 0 1 0 0 " + Shortest(model.designMHz) + " 0\n";
    // Overhead (theta 0) down to the horizon, in the two planes; with the
    // average gain, which the reader expects of every pattern.
    deck +=
        "RP 0 " + std::to_string(thetas) + " 2 1 0 0 " + Shortest(*step) + " " + Shortest(180.0 / model.sides) + "\n";
    deck += end;
    return EngineRun{std::move(deck),
                     {{model.designMHz}, static_cast<std::size_t>(model.sides), static_cast<std::size_t>(2 * thetas)}};
}

ElevationCut ElevationCutOf(const LoopModel& model, std::vector<PatternPoint> points) {
    return {180.0 / model.sides, ElevationCutStepDeg(model).value_or(0), std::move(points)};
}

double FoldedAzimuth(double sideMiddleDeg, double azimuthDeg) {
    const double period = 2 * sideMiddleDeg;
    double folded = std::fmod(azimuthDeg, period);
    if (folded < 0) folded += period;
    return folded > sideMiddleDeg ? period - folded : folded;
}

std::vector<std::pair<double, double>> CutToward(const ElevationCut& cut, double azimuthDeg) {
    std::vector<std::pair<double, double>> toward;
    if (cut.sideMiddleDeg <= 0) return toward;
    const double folded = FoldedAzimuth(cut.sideMiddleDeg, azimuthDeg);
    const double plane = std::abs(folded) < kSameAzimuthDeg                       ? 0
                         : std::abs(folded - cut.sideMiddleDeg) < kSameAzimuthDeg ? cut.sideMiddleDeg
                                                                                  : -1;
    if (plane < 0) return toward;
    for (const PatternPoint& p : cut.points) {
        if (std::abs(p.phiDeg - plane) < kSameAzimuthDeg) toward.emplace_back(90 - p.thetaDeg, p.totalGainDb);
    }
    std::sort(toward.begin(), toward.end());
    return toward;
}

}  // namespace corvanta::nec
