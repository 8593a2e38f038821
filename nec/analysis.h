#pragma once

#include <complex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "nec/deck_writer.h"
#include "nec/failure.h"
#include "nec/feed_line.h"
#include "nec/loop_geometry.h"
#include "nec/loop_model.h"
#include "nec/output_reader.h"
#include "nec/rational_interpolant.h"
#include "nec/readings.h"
#include "nec/scaled_design.h"

// Judges the engine's answer: impedances, SWR, gain, resonances, the 2:1
// ranges, and the sanity checks that catch a model the engine got wrong
// without saying so.

namespace corvanta::nec {

inline constexpr double kSwrLimit = 2.0;

struct SweepPoint {
    double mhz = 0;
    std::vector<std::complex<double>> gaps;  // the impedance at every gap
    std::complex<double> parallel;           // the gaps in parallel
    std::complex<double> lines;              // where the lines from the gaps join
    PerReading<double> swr{};                // of every reading in kReadings

    std::complex<double> At(FeedPoint point) const;
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

// The convergence check's models: the loop cut finer and finer (Refinements),
// and, where the gap is shorter than any segment the kernel holds, fed at a
// longer segment (LongerFeed).
struct ConvergenceModels {
    std::vector<LoopModel> levels;
    // Where fewer than two finer ones are valid, coarser ones (Coarsenings),
    // the least coarse first.
    std::vector<LoopModel> coarser;
    // Cut evenly beside the gap, as a deck written by hand is (EvenCut);
    // only where there are levels to judge the model over.
    std::optional<LoopModel> evenCut;
    std::optional<LoopModel> longerFeed;

    // Every model: the finer, the coarser, the even cut, the longer feed.
    std::vector<const LoopModel*> All() const;
};

// Where one of them resonates, followed by Newton steps from the model's
// resonance; found: the last step was short.
struct ResonanceSearch {
    std::optional<double> mhz;
    bool found = false;
    std::vector<int> segmentsUsed;  // as its runs reported
};

// Everything the engine answered, by what it was asked.
struct EngineAnswers {
    std::vector<FrequencyResult> sweep;  // one per sweep point, in order
    FrequencyResult design;              // the design frequency, with the pattern
    std::vector<int> segmentsUsed;       // as every run of the model reported
    // The first finer model at the design frequency.
    std::optional<FrequencyResult> secondAtDesign;
    std::optional<int> secondAtDesignSegments;
    // Each convergence model's resonance, in ConvergenceModels::All's order.
    std::vector<ResonanceSearch> searches;
    // Where the sweep shows no resonance: the model's own, followed from
    // the design frequency by runs of their own; none where they found none.
    std::optional<double> outsideResonanceMHz;
};

// How the resonance settles as the segments are cut finer.
enum class Settling {
    Order,      // three levels settling at an order of convergence
    Spread,     // fewer valid levels: their spread
    Unsettled,  // three levels that do not settle
};

// How far the model's figures move with the finer models, and what that
// makes of the model's uncertainty.
struct Convergence {
    std::optional<double> impedanceChangePercent;  // at the design frequency, the first finer model's
    std::vector<double> levelsMHz;                 // every level's resonance, coarsest first
    std::size_t modelLevel = 0;                    // the model's among them
    Settling settling = Settling::Spread;
    std::optional<double> order;         // of convergence, where three levels settle
    std::optional<double> convergedMHz;  // the resonance extrapolated to segments of no length
    // The move from feeding the shortest valid segment to feeding the gap
    // as built, estimated from the model fed at a longer one; in per cent.
    std::optional<double> feedPercent;
    // The move from the model's segments graded beside the gap to even ones,
    // in per cent: the levels share the grading and cannot show it.
    std::optional<double> evenPercent;
    std::optional<double> uncertaintyPercent;  // the model's, at least kUncertaintyFloorPercent
    // A finer model's resonance was placed by a Newton step that had not
    // settled.
    bool resonanceExtrapolated = false;
    // No resonance, only a nearest approach to zero: the levels are where
    // the model and the one other valid model (the longer feed) come
    // nearest, and the uncertainty is of that frequency.
    bool nearestApproachOnly = false;
};

// The engine prints five significant digits: a resonance worked out from
// its currents is not known better than a unit of the fifth, 0.01 %.
inline constexpr double kUncertaintyFloorPercent = 0.01;

// The model's uncertainty from where the levels resonate (coarsest first,
// the model's at `modelLevel`), the feed's move and the even cut's move in
// per cent.
Convergence Converge(std::vector<double> levelsMHz, std::size_t modelLevel, std::optional<double> feedPercent,
                     std::optional<double> evenPercent);

// Where the gap reactance falls through zero: the loop resonates the
// other way, with a high resistance.
struct AntiResonance {
    double mhz = 0;
    double rOhm = 0;
};

// Where the gap reactance comes nearest zero without crossing it: a loop
// nearly resonant there.
struct NearestApproach {
    double mhz = 0;
    double reactanceOhm = 0;
    bool atEdge = false;  // at an end of the sweep: it may come nearer beyond it
};

// In a sweep whose reactance never crosses zero, where it comes nearest
// (between rows, by a parabola through the nearest three); none for an
// empty sweep or one that crosses.
std::optional<NearestApproach> NearestApproachOf(const std::vector<double>& mhz, const std::vector<double>& reactance);

// The loop scaled until the gap reactance crosses zero at the design
// frequency.
struct TunedDesign : ScaledDesign {
    // Where the tuned loop's gap reactance crosses zero; none when it does
    // not near the design frequency.
    std::optional<double> resonanceMHz;
    bool reached = false;  // within kTuneTolerance of the design frequency
    // The tuned loop's reactance crosses zero in a short sweep around the
    // design frequency; else only its nearest approach there is known.
    bool crossing = false;
    std::optional<NearestApproach> nearestApproach;
    int rounds = 0;  // of engines side by side
    // Each round the design frequency alone, the resonance along the
    // sweep's slope; else each round a short sweep.
    bool onSlope = false;
    // The tuned loop at the design frequency, through the check's lines:
    // what a builder who cuts the tuned lengths connects.
    std::optional<SweepPoint> atDesign;
};

// How near the tuned resonance comes to the design frequency, as a share.
inline constexpr double kTuneTolerance = 0.001;

// How the sweep was made: every row from the engine, or a handful and a
// rational interpolant through them, checked at rows it had not seen.
enum class SweepMode { Adaptive, Exact };

struct SweepSampling {
    SweepMode mode = SweepMode::Exact;
    std::vector<double> engineMHz;                // every row the engine computed, held-out ones included
    std::optional<double> interpolationMaxError;  // relative, at the held-out rows; none when exact
    bool fellBack = false;                        // asked adaptive, the held-out rows disagreed
    // The sweep's interpolant of each gap's impedance over the model's
    // frequencies: the one that filled the rows, else one through every
    // row. What the curves are drawn from between rows, without an engine.
    std::vector<RationalInterpolant> gapFits;
};

struct CheckReport {
    double designMHz = 0;
    SweepSampling sampling;
    std::vector<SweepPoint> sweep;
    SweepPoint atDesign;
    double maxGainDbi = 0;
    double maxGainThetaDeg = 0;
    double maxGainPhiDeg = 0;
    double efficiencyPercent = 0;
    double averagePowerGain = 0;
    // Where one gap's reactance rises through zero: the loop's own (series)
    // resonances.
    std::vector<double> resonancesMHz;
    std::vector<AntiResonance> antiresonances;
    // Where the sweep shows no series resonance, the one the model has near
    // the design frequency, found by runs of its own: outside the sweep, or
    // between two of its points; none when the sweep shows one, or the runs
    // found none.
    std::optional<double> outsideResonanceMHz;
    // How far the resonance nearest the design frequency may lie from the
    // converged one, in per cent; none without a resonance to move.
    std::optional<double> resonanceUncertaintyPercent;
    Convergence convergence;
    // The share of the power that leaves into the upper half-space, and
    // what the ground absorbs besides the wire's loss. In free space and
    // over perfect ground the first is the efficiency and the second 0;
    // over real ground the engine's efficiency counts only the wire.
    double skyPercent = 0;
    double groundLossPercent = 0;
    PerReading<std::vector<Range>> under2;  // of every reading in kReadings
    std::vector<PatternPoint> pattern;      // at the design frequency, over the grid
    std::vector<SegmentCurrent> currents;   // at the design frequency, one a segment
    std::optional<TunedDesign> tuned;       // check --tune
    bool tuneAsked = false;                 // whether or not it gave lengths
    // Where the reactance comes nearest zero, in a sweep where it never
    // crosses.
    std::optional<NearestApproach> nearestApproach;
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
std::vector<Range> RangesUnder(const std::vector<double>& mhz, const std::vector<double>& values, double limit);

// The one of `frequencies` nearest `mhz`; none when there are none.
std::optional<double> NearestTo(const std::vector<double>& frequencies, double mhz);

// A sweep from below both `a` and `b` to above them, 5 % either side,
// its edges rounded out to two significant digits of the lower one:
// 142.21 and 146 -> 130 to 160.
std::pair<double, double> SweepReaching(double a, double b);

// Where values cross zero, by straight lines between neighbours.
std::vector<double> ZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values);

// Only where they cross going up: a loop's own (series) resonance is its
// gap reactance rising through zero; falling through zero is where it
// resonates the other way, with a resistance of kilohms.
std::vector<double> RisingZeroCrossings(const std::vector<double>& mhz, const std::vector<double>& values);

// The share of the power radiated upwards: over real ground half the
// average power gain over the upper half-space (the gain averages to 2
// there for a lossless loop over a perfect mirror).
double SkyPercent(Ground ground, double efficiencyPercent, double averagePowerGain);

// The falling crossings of the gap reactance, each with the resistance
// there, by straight lines between neighbours.
std::vector<AntiResonance> AntiResonances(const std::vector<SweepPoint>& sweep);

// The impedance of one gap cut in `parts` segments in series: their
// voltages add up, the current through them is one (their mean, as the
// engine rounds).
std::complex<double> GapImpedance(const FrequencyResult& result, int parts);

// Where a short sweep's reactance rises through zero; outside it, where the
// straight line through the two points nearest zero crosses (`outside`
// set). None when the reactance does not rise there.
std::optional<double> ResonanceOfShortSweep(const std::vector<double>& mhz, const std::vector<double>& reactance,
                                            bool& outside);

// The resonance nearest the design frequency in a sweep of the model.
std::optional<double> ResonanceNearDesign(const std::vector<FrequencyResult>& sweep, const Sweep& frequencies,
                                          double designMHz);

CheckReport Analyse(const LoopModel& model, const ConvergenceModels& convergence, const Sweep& sweep,
                    const FeedLine& line, const EngineAnswers& answers);

}  // namespace corvanta::nec
