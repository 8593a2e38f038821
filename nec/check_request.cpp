#include "nec/check_request.h"

#include <utility>

#include "core/run_time_error.h"
#include "nec/built_lengths.h"
#include "nec/feed_report.h"
#include "nec/tune.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"

namespace corvanta::nec {

namespace {

// The other side count's model over the same sweep, for a measurement that
// may be of the other shape: no tune, and the pattern on a coarse grid,
// since only the sweep is compared. None where the other shape cannot be
// computed or modelled; the measurement is then judged on this loop alone.
std::optional<OtherShape> OtherShapeRun(const Design& design, CheckOptions options) {
    DesignSheet sheet = design.sheet;
    sheet.SetSide(design.sides == SideChoice::Three ? SideChoice::Four : SideChoice::Three);
    options.tune = false;
    options.pattern = {30, 90};
    options.progress = nullptr;
    try {
        const std::optional<Design> other = ComputeCopy(sheet);
        if (!other) return std::nullopt;
        return OtherShapeOf(RunCheck(*other, options));
    } catch (const RunTimeError&) {
        return std::nullopt;
    } catch (const Failure& failure) {
        if (failure.Kind() == FailureKind::Stopped) throw;
        return std::nullopt;
    }
}

// A measurement's trim starts from the model's tune: a check that has none
// runs it now, with `options`' engine, stop and time-out. A tune that
// fails costs the trim its start, not the check: the trim then scales the
// lengths as cut alone, and says so.
void TuneForMeasurement(ModelCheck& check, const CheckOptions& options) {
    if (check.report.tuned || check.report.tuneAsked) return;
    EngineSettings settings;
    settings.program = options.program;
    settings.jobs = LimitJobs(check.plan, options.jobs).used;
    settings.timeout = std::chrono::duration<double>(options.timeoutSeconds.value_or(DefaultTuneSeconds(check.plan)));
    settings.stop = options.stop;
    try {
        EnginePool pool(settings);
        check.report.tuned =
            Tune(check.plan, pool, 0, NearestTo(check.report.resonancesMHz, check.plan.model.designMHz), std::nullopt);
        check.report.tuneAsked = true;
    } catch (const Failure& failure) {
        if (failure.Kind() == FailureKind::Stopped) throw;
        check.report.notes.push_back(std::string("no tuned design for the measurement's trim: ") + failure.what());
    }
}

bool SameLoop(const LoopModel& a, const LoopModel& b) {
    return a.sides == b.sides && a.designMHz == b.designMHz && a.heightMm == b.heightMm && a.sideMm == b.sideMm &&
           a.gapMm == b.gapMm;
}

}  // namespace

void Conclude(ModelCheck& check) {
    check.measured.reset();
    if (check.measuredSweep) {
        MeasurementSetting setting{check.asBuilt, check.otherShape};
        check.measured = CompareMeasurement(check, *check.measuredSweep, check.measuredSource, setting);
        const LoopModel& model = check.plan.model;
        // Lengths as cut that are no loop of this design (a record's: typed
        // ones are refused where they are typed) give no trim.
        if (check.asBuilt) {
            if (const auto refused = JudgeBuiltLengths(*check.asBuilt, {model.heightMm, model.sideMm, model.gapMm})) {
                WithholdTrim(*check.measured, *refused);
            }
        }
        if (check.measuredTakenOf && !SameLoop(*check.measuredTakenOf, model)) {
            // Still drawn, for comparison; a trim against another design's
            // model would be wrong.
            const LoopModel& taken = *check.measuredTakenOf;
            Measurement& m = *check.measured;
            m.trim.reset();
            m.resonanceSpanMHz.reset();
            m.trimSpan.reset();
            m.notes.push_back("measured for another design (" + Shortest(taken.designMHz) + " MHz, " +
                              std::to_string(taken.sides) + " sides, HEIGHT " + MmText(taken.heightMm) +
                              " mm): shown for comparison, without a trim");
        }
    }
    check.feed = ReadFeed(check);
}

std::vector<CutSweep> EarlierSweeps(const ModelCheck& check, const std::vector<EarlierMeasurement>& earlier) {
    const LoopModel& model = check.plan.model;
    std::vector<CutSweep> sweeps;
    for (const EarlierMeasurement& each : earlier) {
        if (each.asBuilt && JudgeBuiltLengths(*each.asBuilt, {model.heightMm, model.sideMm, model.gapMm}).has_value()) {
            continue;
        }
        try {
            const Measurement m = CompareMeasurement(check, each.sweep, {}, {each.asBuilt, check.otherShape});
            if (m.trim && m.resonanceMHz) {
                sweeps.push_back({{m.built.heightMm, m.built.sideMm, m.built.gapMm}, *m.resonanceMHz});
            }
        } catch (const Failure& failure) {
            if (failure.Kind() == FailureKind::Stopped) throw;
        }
    }
    return sweeps;
}

ModelCheck Check(const CheckRequest& request) {
    CheckOptions options = request.options;
    // A measurement's trim starts from the model's tune.
    if (request.measurement) options.tune = true;
    ModelCheck check = RunCheck(request.design, options);
    check.asBuilt = request.options.asBuilt;
    if (request.measurement) {
        check.measuredSweep = request.measurement->sweep;
        check.measuredSource = request.measurement->source;
        check.measuredTakenOf = request.measurement->takenOf;
        check.otherShape = OtherShapeRun(request.design, request.options);
        check.earlierSweeps = EarlierSweeps(check, request.earlier);
    }
    Conclude(check);
    return check;
}

void AddMeasurement(ModelCheck& check, const Design& design, const CheckOptions& options,
                    MeasurementInput measurement) {
    // Judged whole before the check takes it: a measurement that does not
    // compare leaves the check as it was.
    ModelCheck tried = check;
    tried.measuredSweep = std::move(measurement.sweep);
    tried.measuredSource = std::move(measurement.source);
    tried.measuredTakenOf = std::move(measurement.takenOf);
    tried.otherShape = OtherShapeRun(design, options);
    TuneForMeasurement(tried, options);
    Conclude(tried);
    check = std::move(tried);
}

std::optional<FeedPort> PortThatFits(const ModelCheck& check) {
    if (!check.measuredSweep || !check.measured || check.measured->trim || !check.plan.feed.chain) return std::nullopt;
    ModelCheck other = check;
    other.plan.feed.port = check.plan.feed.port == FeedPort::Radio ? FeedPort::Junction : FeedPort::Radio;
    try {
        Conclude(other);
    } catch (const Failure&) {
        return std::nullopt;
    }
    if (!other.measured || !other.measured->trim) return std::nullopt;
    return other.plan.feed.port;
}

void Reread(ModelCheck& check, const FeedOptions& feed, const std::optional<BuiltLengths>& asBuilt) {
    ModelCheck tried = check;
    tried.plan.feed = feed;
    tried.asBuilt = asBuilt;
    Conclude(tried);
    check = std::move(tried);
}

}  // namespace corvanta::nec
