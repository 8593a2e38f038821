#pragma once

#include <optional>

#include "nec/analysis.h"
#include "nec/engine_runner.h"
#include "nec/check_plan.h"

// The model-tuned design: the one scale of HEIGHT, SIDE and GAP (the
// conductor stays) that puts the gap reactance's zero at the design
// frequency. The secant on the gap reactance at the design frequency gives
// each next guess, two side by side at first. On an interpolated sweep a
// guess is the design frequency alone, its resonance a Newton step along
// the design loop's slope; on an exact sweep it is a short sweep around the
// design frequency.

namespace corvanta::nec {

// A short sweep: kTunePoints points kTuneStep apart, as shares of the
// design frequency, centred on it.
inline constexpr int kTunePoints = 5;
inline constexpr double kTuneStep = 0.0025;
inline constexpr int kTuneRounds = 6;

// The frequencies of one guess's sweep.
Sweep TuneSweep(double designMHz);

// The design loop's gap reactance over the check's sweep. A loop scaled by
// s (the conductor stays) has at f about the reactance the design's has at
// s times f, so its slope at f is about s times the design's slope at s
// times f: where it resonates follows from its reactance at f alone.
struct ReactanceCurve {
    std::vector<double> mhz;
    std::vector<double> ohm;
};

// The engines' work the tune expects, in frequencies, for the progress.
int ExpectedTuneFrequencies(bool onCurve);

// Seconds the tune adds to the check's time-out, at most.
double DefaultTuneSeconds(const CheckPlan& plan);

// `resonanceMHz`, where the design's own loop resonates, gives the first
// guess; with `curve` each guess costs one frequency, without it a short
// sweep. The runs go to `pool` with `priority`, beside what else it runs.
// Throws what the pool throws for them, and a Model or TooNearGround
// failure for a scaled loop the model cannot hold.
TunedDesign Tune(const CheckPlan& plan, EnginePool& pool, int priority, std::optional<double> resonanceMHz,
                 const std::optional<ReactanceCurve>& curve);

}  // namespace corvanta::nec
