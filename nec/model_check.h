#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "core/design_run.h"
#include "nec/analysis.h"
#include "nec/deck_writer.h"
#include "nec/elevation_cut.h"
#include "nec/engine_runner.h"
#include "nec/feed_line.h"
#include "nec/feed_options.h"
#include "nec/feed_report.h"
#include "nec/measurement.h"
#include "nec/loop_model.h"

// The whole model check of a design: the model, its sweep spread over
// several engines, the pattern, the convergence run and the verdict.

namespace corvanta::nec {

struct CheckOptions {
    Placement placement;
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
    // The lines from the gaps to their junction; none: the design's
    // matching section.
    double lineImpedanceOhm = kLineImpedanceOhm;
    double velocityFactor = kLineVelocityFactor;
    std::optional<double> lineLengthMm;
    // Also find the scale of HEIGHT, SIDE and GAP that resonates at the
    // design frequency.
    bool tune = false;
    // The reference impedance of a Touchstone file written or compared.
    double referenceOhm = 50;
    // The balun and feeder to the radio, where a measurement was taken, the
    // band and the match.
    FeedOptions feed;
    std::stop_token stop;                               // a stop stops every engine at once
    std::function<void(int done, int total)> progress;  // from the engines' threads
};

// The model and the sweep a check would run, without running it.
struct CheckPlan {
    LoopModel model;
    // The convergence check's second model; none where the segments can be
    // neither halved nor made longer.
    std::optional<ConvergenceModel> second;
    Sweep sweep;
    PatternGrid pattern;
    FeedLine line;
    double referenceOhm = 50;  // of the Touchstone file and the measured SWR
    FeedOptions feed;
};

// At most this many frequencies of the convergence check's second model
// around the resonance, one a Newton step.
inline constexpr int kSecondSweepPoints = 5;

// Throws a Model failure (TooNearGround for a height the ground cannot hold).
CheckPlan PlanCheck(const Design& design, const CheckOptions& options);

// The deck of the whole check in one piece, for other NEC-2 programs.
std::string FullDeck(const CheckPlan& plan);

// How many engines a check runs side by side: `jobs` (0: one a core), but
// never more than the cores, which more would only share, nor than the
// check's runs, which leave the rest idle.
struct JobLimit {
    int used = 1;
    int cores = 1;  // that this process may run on
    int runs = 1;   // of the check with `used` engines
};
JobLimit LimitJobs(const CheckPlan& plan, int jobs);

// Seconds the engines get when no time-out is given: generous for the
// work, a matrix of segments squared a frequency.
double DefaultTimeoutSeconds(const CheckPlan& plan);

// What the tune adds to that, at most.
double DefaultTuneSeconds(const CheckPlan& plan);

struct ModelCheck {
    CheckPlan plan;
    CheckReport report;
    std::optional<Measurement> measured;  // laid beside the model when loaded
    FeedReport feed;                      // ReadFeed, once the measurement is in
    // The pattern plot's finer elevation cut, a run of its own; none in free
    // space.
    std::optional<ElevationCut> elevationCut;
};

// Whether the check modelled this design: the same side count and the same
// numbers in its frequency, conductor and dimension fields.
bool ChecksDesign(const ModelCheck& check, const Design& design);

// Throws what PlanCheck and RunEngines throw.
ModelCheck RunCheck(const Design& design, const CheckOptions& options);

}  // namespace corvanta::nec
