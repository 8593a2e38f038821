#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "conductor/design_run.h"
#include "nec/analysis.h"
#include "nec/check_plan.h"
#include "nec/cut_history.h"
#include "nec/elevation_cut.h"
#include "nec/engine_runner.h"
#include "nec/feed_readings.h"
#include "nec/measurement.h"
#include "nec/tune.h"

// The whole model check of a design: the model, its sweep spread over
// several engines, the pattern, the convergence run and the verdict.

namespace corvanta::nec {

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

struct ModelCheck {
    CheckPlan plan;
    CheckReport report;
    std::optional<Measurement> measured;  // laid beside the model when loaded
    FeedReport feed;                      // ReadFeed, once the measurement is in
    // The pattern plot's finer elevation cut, a run of its own; none in free
    // space.
    std::optional<ElevationCut> elevationCut;
    // What the measurement is compared from, kept so that a change of the
    // feed or of the lengths as cut compares it again without an engine.
    std::optional<BuiltLengths> asBuilt;
    std::optional<OnePortSweep> measuredSweep;
    std::string measuredSource;
    std::optional<LoopModel> measuredTakenOf;
    std::optional<OtherShape> otherShape;
    // The sweeps of this loop before the measurement, each with the
    // lengths it was cut to and its measured resonance: with the
    // measurement's own they give the headline the cut from the sweeps.
    std::vector<CutSweep> earlierSweeps;
};

// Whether the check modelled this design: the same side count and the same
// numbers in its frequency, conductor and dimension fields.
bool ChecksDesign(const ModelCheck& check, const Design& design);

// Throws what PlanCheck and RunEngines throw.
ModelCheck RunCheck(const Design& design, const CheckOptions& options);

// The measurement's and the Touchstone file's functions for a whole check.
inline OtherShape OtherShapeOf(const ModelCheck& other) { return OtherShapeOf(other.plan, other.report); }
inline Measurement CompareMeasurement(const ModelCheck& check, const OnePortSweep& measured, std::string source,
                                      const MeasurementSetting& setting = {}) {
    return CompareMeasurement(check.plan, check.report, measured, std::move(source), setting);
}
inline std::string ModelTouchstone(const ModelCheck& check) { return ModelTouchstone(check.plan, check.report); }

}  // namespace corvanta::nec
