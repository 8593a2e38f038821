#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/failure.h"
#include "nec/readings.h"
#include "nec/scaled_design.h"

// The verdict a check opens with: where the model resonates against the
// design frequency and how sure it is, which lengths to cut, and which feed
// a builder can make comes closest to 1:1 with them.

namespace corvanta::nec {

struct CheckReport;
struct ModelCheck;

// Which lengths the headline names, in this priority.
enum class CutChoice {
    Trimmed,  // a measurement of the loop gave a trim
    Tuned,    // the model's tune, where the design's resonance is further off than the model is sure
    Design,   // COMPUTE's own lengths
};

// Over this uncertainty, in per cent, the model cannot place the resonance
// well enough to cut to: cut long by that much and trim from a measurement.
inline constexpr double kCutLongUncertaintyPercent = 0.5;

// A resonance found this much (in per cent) beyond the model's uncertainty
// from the design frequency is far off: the design's lengths are wrong.
inline constexpr double kFarOffPercent = 2;

// SWRs this near count as the same, and the 4:1 balun, the commonest way
// onto 50 ohm coax, takes the tie.
inline constexpr double kSwrTie = 0.05;

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
    // The resonance lies further from the design frequency than the
    // uncertainty and kFarOffPercent together.
    bool farOff = false;
    CutChoice cut = CutChoice::Design;
    ScaledDesign lengths;
    std::size_t bestReading = 0;  // into kReadings
    double bestSwr = 0;           // of those lengths at the design frequency
    // How far to cut long where the model is unsure; none where it is sure.
    std::optional<double> cutLongPercent;
    // What the user can do; each front end words it.
    std::vector<Advice> advice;
};

Headline HeadlineOf(const ModelCheck& check);

std::string_view CutName(CutChoice cut);  // "trimmed", "tuned", "design"

}  // namespace corvanta::nec
