#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/deck_writer.h"
#include "nec/failure.h"
#include "nec/feed_line.h"
#include "nec/loop_model.h"
#include "nec/output_reader.h"

// Judges the engine's answer: impedances, SWR, gain, resonances, the 2:1
// ranges, and the sanity checks that catch a model the engine got wrong
// without saying so.

namespace corvanta::nec {

inline constexpr double kSwrLimit = 2.0;

struct SweepPoint {
    double mhz = 0;
    std::vector<std::complex<double>> gaps;  // the impedance at every gap
    std::complex<double> parallel;           // the gaps in parallel
    double swrParallel300 = 0;
    double swrParallel50 = 0;
    double swrGap300 = 0;
    std::complex<double> lines;  // where the lines from the gaps join
    double swrLines50 = 0;
    double swrLines200 = 0;  // through a 4:1 balun
    double swrLines300 = 0;
};

// Where the SWR stays under 2:1. An edge the sweep ran into is open: the
// range may go on beyond it.
struct Range {
    std::optional<double> fromMHz;
    std::optional<double> toMHz;
};

enum class Verdict { Passed, Failed, NotApplicable };

struct SanityCheck {
    std::string name;
    Verdict verdict;
    std::string detail;
};

// Everything the engine answered, by what it was asked.
struct EngineAnswers {
    std::vector<FrequencyResult> sweep;     // one per sweep point, in order
    FrequencyResult design;                 // the design frequency, with the pattern
    std::vector<int> segmentsUsed;          // as every run of the model reported
    std::optional<FrequencyResult> refined; // the design frequency, segments halved
    std::optional<int> refinedSegmentsUsed;
};

// The loop scaled until the gap reactance crosses zero at the design
// frequency: HEIGHT, SIDE and GAP times `scale`, the conductor as it was.
struct TunedDesign {
    double scale = 1;
    double heightMm = 0, sideMm = 0, gapMm = 0;
    // Where the tuned loop's gap reactance crosses zero; none when it does
    // not near the design frequency.
    std::optional<double> resonanceMHz;
    bool reached = false;     // within kTuneTolerance of the design frequency
    int rounds = 0;           // of engines side by side
};

// How near the tuned resonance comes to the design frequency, as a share.
inline constexpr double kTuneTolerance = 0.001;
inline constexpr double kMmPerInch = 25.4;

struct CheckReport {
    double designMHz = 0;
    std::vector<SweepPoint> sweep;
    SweepPoint atDesign;
    double maxGainDbi = 0;
    double maxGainThetaDeg = 0;
    double maxGainPhiDeg = 0;
    double efficiencyPercent = 0;
    double averagePowerGain = 0;
    std::vector<double> resonancesMHz;  // where one gap's reactance crosses zero
    std::vector<Range> under2Parallel300, under2Parallel50, under2Gap300;
    std::vector<Range> under2Lines50, under2Lines200, under2Lines300;
    std::vector<PatternPoint> pattern;  // at the design frequency, over the grid
    std::optional<TunedDesign> tuned;   // check --tune
    std::vector<SanityCheck> sanity;
    std::vector<std::string> notes;  // what the reader should know; not failures
    std::vector<Advice> advice;      // what the user can do for a better answer; each front end words it

    bool Sane() const;
    double MaxGainElevationDeg() const { return 90 - maxGainThetaDeg; }
};

double Swr(std::complex<double> impedance, double reference);

SweepPoint ToSweepPoint(double mhz, const FrequencyResult& result, const FeedLine& line);

// Where values[i] - limit changes sign between neighbours, by straight
// lines; open where the first or last value is under the limit.
std::vector<Range> RangesUnder(const std::vector<double>& mhz, const std::vector<double>& values,
                               double limit);

// The one of `frequencies` nearest `mhz`; none when there are none.
std::optional<double> NearestTo(const std::vector<double>& frequencies, double mhz);

// Where values cross zero, by straight lines between neighbours.
std::vector<double> ZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values);

// Only where they cross going up: a loop's own (series) resonance is its
// gap reactance rising through zero; falling through zero is where it
// resonates the other way, with a resistance of kilohms.
std::vector<double> RisingZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values);

CheckReport Analyse(const LoopModel& model, const std::optional<LoopModel>& refined,
                    const Sweep& sweep, const FeedLine& line, const EngineAnswers& answers);

}  // namespace corvanta::nec
