#pragma once

#include <complex>
#include <optional>
#include <string_view>
#include <vector>

#include "nec/failure.h"

// Reads what nec2c writes: the segment count, and for every frequency the
// input parameters of each source, the power budget and, where asked for,
// the currents on every segment and the radiation pattern with its average
// gain.

namespace corvanta::nec {

struct SourceReading {
    int tag = 0;
    int segment = 0;
    std::complex<double> voltage;
    std::complex<double> current;
    std::complex<double> impedance;
};

struct PatternPoint {
    double thetaDeg = 0;
    double phiDeg = 0;
    double totalGainDb = 0;
    // The far field's components: E(theta) in the vertical plane through
    // the direction (vertical polarisation), E(phi) level across it.
    double thetaFieldVPerM = 0;
    double phiFieldVPerM = 0;
};

// One segment's current, where the run prints them: the segment's centre
// and length in wavelengths, as the engine gives them.
struct CurrentReading {
    int segment = 0;
    int tag = 0;
    double xWavelengths = 0, yWavelengths = 0, zWavelengths = 0;
    double lengthWavelengths = 0;
    std::complex<double> current;
    double magnitudeA = 0;
    double phaseDeg = 0;
};

struct FrequencyResult {
    double echoedMHz = 0;  // as the engine prints it, to 5 digits
    std::vector<SourceReading> sources;
    std::vector<CurrentReading> currents;
    std::optional<double> efficiencyPercent;
    std::vector<PatternPoint> pattern;
    std::optional<double> averagePowerGain;
};

struct EngineOutput {
    std::optional<int> totalSegments;
    std::vector<FrequencyResult> frequencies;
};

// Throws an Answer failure for a text that is not an engine's output, or that has
// a number it cannot read, or nan or inf where a result should be.
EngineOutput ReadOutput(std::string_view text);

// What a run was asked for, to hold its answer against.
struct Expected {
    std::vector<double> frequenciesMHz;
    std::size_t sources = 0;
    std::size_t patternPoints = 0;  // on the last frequency; 0 for none
    std::size_t currents = 0;       // segments on the last frequency; 0 for none
};

// Throws an Answer failure naming the first thing missing or different.
void CheckOutput(const EngineOutput& output, const Expected& expected);

}  // namespace corvanta::nec
