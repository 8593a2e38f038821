#pragma once

#include <complex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/nec_model.h"
#include "cli/nec_output.h"

// Runs a model through nec2c and judges the answer: impedances, SWR, gain,
// resonances, the 2:1 ranges, and the sanity checks that catch a model the
// engine got wrong without saying so.

namespace corvanta::cli {

// nec2c is missing or failed.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the deck in a temporary directory, runs nec2c on it and returns its
// output text.
std::string RunEngine(const std::string& deck);

struct SweepPoint {
    double mhz = 0;
    std::vector<std::complex<double>> gaps;  // the impedance at every gap
    std::complex<double> parallel;           // the gaps in parallel
    double swrParallel300 = 0;
    double swrParallel50 = 0;
    double swrGap300 = 0;
};

struct Range {
    double fromMHz;
    double toMHz;
};

struct SanityCheck {
    std::string name;
    bool passed;
    std::string detail;
};

struct CheckReport {
    std::vector<SweepPoint> sweep;
    double designMHz = 0;
    SweepPoint atDesign;  // the impedances at the design frequency itself
    std::optional<double> maxGainDbi;
    double maxGainThetaDeg = 0;
    double maxGainPhiDeg = 0;
    std::optional<double> efficiencyPercent;
    std::optional<double> averagePowerGain;
    std::vector<double> resonancesMHz;  // where one gap's reactance crosses zero
    std::vector<Range> under2Parallel300, under2Parallel50, under2Gap300;
    std::vector<SanityCheck> sanity;

    bool Sane() const;
};

double Swr(std::complex<double> impedance, double reference);

CheckReport Analyse(const NecModel& model, const NecOutput& output);

std::string ReportText(const NecModel& model, const CheckReport& report);
std::string ReportJson(const NecModel& model, const CheckReport& report);

// SWR against 300 and 50 ohm and the parallel R and X against frequency,
// with the design frequency marked.
std::string PlotSvg(const NecModel& model, const CheckReport& report);

}  // namespace corvanta::cli
