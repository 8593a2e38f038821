#pragma once

#include <optional>

#include "nec/analysis.h"
#include "nec/engine_runner.h"
#include "nec/check_plan.h"

// The model-tuned design: the one scale of HEIGHT, SIDE and GAP (the
// conductor stays) that puts the gap reactance's zero at the design
// frequency. Each guess is a short sweep around the design frequency on
// its own engine, two side by side at first; the secant on the gap
// reactance at the design frequency gives the next guess.

namespace corvanta::nec {

// A short sweep: kTunePoints points kTuneStep apart, as shares of the
// design frequency, centred on it.
inline constexpr int kTunePoints = 5;
inline constexpr double kTuneStep = 0.0025;
inline constexpr int kTuneRounds = 6;

// The frequencies of one guess's sweep.
Sweep TuneSweep(double designMHz);

// The engines' work the tune expects, in frequencies, for the progress.
int ExpectedTuneFrequencies();

// Seconds the tune adds to the check's time-out, at most.
double DefaultTuneSeconds(const CheckPlan& plan);

// `resonanceMHz`, where the design's own loop resonates, gives the first
// guess. Throws what RunEngines throws, and a Model or TooNearGround
// failure for a scaled loop the model cannot hold.
TunedDesign Tune(const CheckPlan& plan, const EngineSettings& settings, std::optional<double> resonanceMHz);

}  // namespace corvanta::nec
