#pragma once

#include <complex>
#include <optional>
#include <string_view>
#include <vector>

// Reads what nec2c writes: for every frequency the input parameters of each
// source, the power budget and, where asked for, the radiation pattern.

namespace corvanta::cli {

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
};

struct FrequencyResult {
    double mhz = 0;
    std::vector<SourceReading> sources;
    std::optional<double> efficiencyPercent;
    std::vector<PatternPoint> pattern;
    std::optional<double> averagePowerGain;
};

struct NecOutput {
    std::optional<int> totalSegments;
    std::vector<FrequencyResult> frequencies;
};

// Throws std::runtime_error when the text is not an engine's output.
NecOutput ParseNecOutput(std::string_view text);

}  // namespace corvanta::cli
