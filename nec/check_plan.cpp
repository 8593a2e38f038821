#include "nec/check_plan.h"

#include <algorithm>

#include "core/field_conversion.h"

namespace corvanta::nec {

namespace {

// Default sweep, as multiples of the design frequency.
constexpr double kSweepLow = 0.8;
constexpr double kSweepHigh = 1.4;

}  // namespace

CheckPlan PlanCheck(const Design& design, const CheckOptions& options) {
    CheckPlan plan;
    plan.pattern = options.pattern;
    const double designMHz = DesignMHz(design);
    const double from = options.sweepFromMHz.value_or(kSweepLow * designMHz);
    const double to = options.sweepToMHz.value_or(kSweepHigh * designMHz);
    plan.sweep.fromMHz = from;
    plan.sweep.points = std::max(1, options.sweepPoints);
    plan.sweep.stepMHz = plan.sweep.points > 1 ? (to - from) / (plan.sweep.points - 1) : 0;
    plan.model = BuildModel(design, options.placement, std::max(from, to), options.segmentsPerGap);
    plan.convergence.levels = Refinements(plan.model);
    plan.convergence.coarser = Coarsenings(plan.model, 2 - static_cast<int>(plan.convergence.levels.size()));
    if (!plan.convergence.levels.empty() || !plan.convergence.coarser.empty()) {
        plan.convergence.evenCut = EvenCut(plan.model);
    }
    plan.convergence.longerFeed = LongerFeed(plan.model);
    plan.referenceOhm = options.referenceOhm;
    plan.feed = options.feed;
    plan.line = {options.lineImpedanceOhm, options.velocityFactor,
                 options.lineLengthMm ? *options.lineLengthMm : MatchingSectionMm(design),
                 options.velocityFactorMeasured};
    return plan;
}

std::string FullDeck(const CheckPlan& plan) {
    return WriteDeck(plan.model, plan.sweep, plan.pattern, {0, plan.sweep.points, true});
}

}  // namespace corvanta::nec
