#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "conductor/design_run.h"
#include "nec/analysis.h"
#include "nec/deck_writer.h"
#include "nec/feed_line.h"
#include "nec/feed_options.h"
#include "nec/loop_model.h"

// What a model check is asked to do, and the model and sweep it would run:
// everything decided before an engine starts.

namespace corvanta::nec {

// The lengths of a loop as it was cut, in millimetres.
struct BuiltLengths {
    double heightMm = 0, sideMm = 0, gapMm = 0;
};

// The loop as the builder has set it up: what a build record keeps, what
// the window's boxes and the command line's options fill, in one place so
// that no front end copies it field by field.
struct CheckSetup {
    Placement placement;
    // The lines from the gaps to their junction; none: the design's
    // matching section.
    double lineImpedanceOhm = kLineImpedanceOhm;
    double velocityFactor = kLineVelocityFactor;
    // The velocity factor was measured apart (from a stub of the line): a
    // measurement's fit holds it rather than fitting it.
    bool velocityFactorMeasured = false;
    std::optional<double> lineLengthMm;
    // The reference impedance of a Touchstone file written or compared,
    // and of the measured SWR.
    double referenceOhm = 50;
    // The balun and feeder to the radio, where a measurement was taken, the
    // band and the match.
    FeedOptions feed;
    // The lengths as cut; none: the design's.
    std::optional<BuiltLengths> asBuilt;

    CheckSetup& Setup() { return *this; }
    const CheckSetup& Setup() const { return *this; }
};

// A check: the set-up, and how to run it.
struct CheckOptions : CheckSetup {
    // The sweep in MHz; none: 0.8x to 1.4x the design frequency.
    std::optional<double> sweepFromMHz, sweepToMHz;
    int sweepPoints = 101;
    // Adaptive: the engine computes a handful of rows and a rational
    // interpolant fills the rest, checked at held-out rows; exact: every row.
    SweepMode sweepMode = SweepMode::Adaptive;
    int segmentsPerGap = 1;
    PatternGrid pattern;
    int jobs = 0;                          // engines side by side; 0: one a core
    std::optional<double> timeoutSeconds;  // none: grows with the work
    std::string program = "nec2c";
    // Also find the scale of HEIGHT, SIDE and GAP that resonates at the
    // design frequency.
    bool tune = false;
    std::stop_token stop;  // a stop stops every engine at once
    // The frequencies the engines have computed (engine points, not sweep
    // rows) and the total expected so far, which grows as an adaptive sweep
    // finds it needs more; the two meet when the check is done. Called from
    // the engines' threads.
    std::function<void(int done, int total)> progress;
};

// The model and the sweep a check would run, without running it.
struct CheckPlan {
    LoopModel model;
    // The convergence check's models: finer ones, and one fed at a longer
    // segment where the gap is shorter than the kernel holds.
    ConvergenceModels convergence;
    Sweep sweep;
    PatternGrid pattern;
    FeedLine line;
    double referenceOhm = 50;  // of the Touchstone file and the measured SWR
    FeedOptions feed;
};

// At most this many frequencies of each of the convergence check's models
// around the resonance, one a Newton step.
inline constexpr int kSecondSweepPoints = 5;

// Throws a Model failure (TooNearGround for a height the ground cannot hold).
CheckPlan PlanCheck(const Design& design, const CheckOptions& options);

// The deck of the whole check in one piece, for other NEC-2 programs.
std::string FullDeck(const CheckPlan& plan);

}  // namespace corvanta::nec
