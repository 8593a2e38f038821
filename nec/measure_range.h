#pragma once

#include <optional>
#include <string>

#include "nec/feed_options.h"

// The range an analyser sweeps when the builder names none. A loop is
// measured to find where it resonates, so the range is the model's
// resonance within the model's uncertainty and kMeasureMarginPercent more
// either side (a loop as built lands a few per cent from any model), and
// the design frequency, which a loop cut to the tuned lengths resonates
// at; with the band the builder cares about, so that its SWR shows, all
// within what the analyser can sweep where that is known.

namespace corvanta::nec {

struct ModelCheck;

inline constexpr double kMeasureMarginPercent = 5;

struct FrequencyLimits {
    double fromMHz = 0;
    double toMHz = 0;
};

struct MeasureRangeInput {
    std::optional<double> resonanceMHz;  // the model's; none: it shows none
    std::optional<double> uncertaintyPercent;
    double designMHz = 0;
    std::optional<BandChoice> band;
    int points = 101;
    std::optional<FrequencyLimits> limits;  // the analyser's, where known
};

struct MeasureRange {
    double fromMHz = 0, toMHz = 0;
    int points = 0;
    double aroundMHz = 0;      // the resonance, else the design frequency
    bool aroundModel = false;  // around the model's resonance
    double widthPercent = 0;   // either side of it
    std::optional<BandChoice> band;
    bool limited = false;  // the analyser's limits cut it
};

struct MeasureRangeResult {
    std::optional<MeasureRange> range;
    std::string why;  // when there is none
};

MeasureRangeResult ChooseMeasureRange(const MeasureRangeInput& input);

// The input from a check that has run: its resonance nearest the design
// frequency (else the one runs of its own found outside the sweep), its
// uncertainty, its band and its sweep's points.
MeasureRangeInput MeasureRangeInputOf(const ModelCheck& check, std::optional<FrequencyLimits> limits);

// "the analyser swept 138.5 to 153.8 MHz in 101 points: the model's
// resonance 146.10 MHz within 5.28 % (its uncertainty and 5 % more), the
// design frequency and the band 2m (144 to 148 MHz)".
std::string MeasureRangeText(const MeasureRange& range);

}  // namespace corvanta::nec
