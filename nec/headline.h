#pragma once

#include <cstddef>
#include <utility>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/cut_history.h"
#include "nec/failure.h"
#include "nec/measurement.h"
#include "nec/named_loop.h"
#include "nec/readings.h"
#include "nec/scaled_design.h"

// The verdict a check opens with: where the model resonates against the
// design frequency and how sure it is, which lengths to cut, and which feed
// a builder can make comes closest to 1:1 with them.

namespace corvanta::nec {

struct CheckReport;
struct ModelCheck;

// Over this uncertainty, in per cent, the model cannot place the resonance
// well enough to cut to: cut long by that much and trim from a measurement.
inline constexpr double kCutLongUncertaintyPercent = 0.5;

// SWRs this near count as the same, and the 4:1 balun, the commonest way
// onto 50 ohm coax, takes the tie.
inline constexpr double kSwrTie = 0.05;

// A resonance the sweep found further from the design frequency than the
// model's uncertainty and this much more, in per cent, is said to be far
// off: the design's lengths, not the model, are then in question.
inline constexpr double kFarOffPercent = 2;

// Where a resonance lies against the sweep.
enum class SweepSide {
    Below,    // under the sweep's first frequency
    Above,    // over its last
    Between,  // within it, between two of its points (two crossings, or a sweep of one frequency)
};

// The model's resonance where the sweep shows none, with a sweep that
// reaches it and the design frequency both.
struct OutsideResonance {
    double mhz = 0;
    double offsetPercent = 0;  // 100 x (resonance - design) / design
    SweepSide side = SweepSide::Below;
    double sweepFromMHz = 0, sweepToMHz = 0;  // the sweep that missed it
    double reachFromMHz = 0, reachToMHz = 0;  // one that would show it
};

// Of the readings a builder can make (kReadings' buildable), the one with
// the lowest SWR in `swr`, ties within kSwrTie going to the 4:1 balun.
std::size_t BestReading(const PerReading<double>& swr);

// The same for the design's loop at the design frequency.
std::size_t HeadlineReading(const CheckReport& report);

struct Headline {
    // The model's resonance nearest the design frequency, and
    // 100 x (resonance - design) / design; none without one in the sweep.
    std::optional<double> resonanceMHz;
    std::optional<double> resonanceOffsetPercent;
    std::optional<double> uncertaintyPercent;  // the model's, CheckReport's
    // Without a resonance: where the reactance comes nearest zero.
    std::optional<NearestApproach> nearestApproach;
    CutChoice cut = CutChoice::Design;
    ScaledDesign lengths;
    // What the builder connects, for those lengths at the design frequency:
    // the radio end wherever a feed to the radio is given, else the best
    // of the feeds a builder can make at the lines' junction.
    bool bestAtRadio = false;
    std::size_t bestReading = 0;  // into kReadings, where not at the radio
    double bestSwr = 0;

    // The JSON key of that SWR: "swr_radio", "swr_lines_200" ...
    std::string_view BestKey() const;
    // How sure the lengths named are, in per cent: the root-sum-square of
    // the model's uncertainty and, for a trim, the strays at the junction,
    // the lines' velocity factor and the noise (each apart below).
    std::optional<double> lengthsUncertaintyPercent;
    std::optional<TrimUncertainty> trimUncertainty;
    // How far to cut long where the lengths are unsure (over
    // kCutLongUncertaintyPercent); none where they are sure.
    std::optional<double> cutLongPercent;
    // Beside a trim, where the loop was swept before the measurement too:
    // the cut the sweeps give, and how far it is from the trim.
    std::optional<TwoSweepCut> twoSweepCut;
    // The measurement was refused: why; the lengths are then the tune's or
    // the design's.
    std::optional<std::string> measurementRefused;
    // Where the sweep shows no resonance: the model's, found apart; none
    // when it found none either.
    std::optional<OutsideResonance> outside;
    // The sweep's resonance lies further off than the model's uncertainty
    // and kFarOffPercent.
    bool farOff = false;
    // What the user can do; each front end words it.
    std::vector<Advice> advice;
};

// The loop the verdict names: the trim of a measurement, else the tune
// where the design's resonance is further off than the model is sure,
// else the design's own.
NamedLoop VerdictLoop(const ModelCheck& check);

Headline HeadlineOf(const ModelCheck& check);

}  // namespace corvanta::nec
