#include "nec/model_check.h"

#include "core/field_conversion.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>

#include "nec/adaptive_sweep.h"
#include "nec/number_text.h"
#include "nec/tune.h"

namespace corvanta::nec {

namespace {

// Slices of the sweep a job: small enough that the engines finish together.
constexpr int kSlicesPerJob = 3;
// What an adaptive sweep of an ordinary loop takes, for the progress bar
// before it knows: the first rows, two rounds and the held-out rows.
constexpr int kExpectedAdaptiveRows = 15;
// The second model's resonance is followed this many steps at most (the
// first along the first model's slope, then secants), and counts as found
// once a step is shorter than this share.
constexpr int kSecondSweepRounds = 5;
constexpr double kNewtonSettled = 0.002;

// The slope of `values` at `at`, from the two rows either side of it.
std::optional<double> SlopeAt(const std::vector<double>& mhz, const std::vector<double>& values, double at) {
    for (std::size_t i = 1; i < mhz.size(); ++i) {
        if (mhz[i - 1] <= at && at <= mhz[i] && mhz[i] > mhz[i - 1]) {
            const double slope = (values[i] - values[i - 1]) / (mhz[i] - mhz[i - 1]);
            if (slope > 0) return slope;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::vector<double> Frequencies(const Sweep& sweep, int first, int count) {
    std::vector<double> mhz;
    for (int i = first; i < first + count; ++i) mhz.push_back(sweep.At(i));
    return mhz;
}

// Slices of the sweep for `jobs` engines.
int SliceCount(const CheckPlan& plan, int jobs) {
    return std::min(plan.sweep.points, jobs == 1 ? 1 : jobs * kSlicesPerJob);
}

}  // namespace

JobLimit LimitJobs(const CheckPlan& plan, int jobs) {
    JobLimit limit;
    limit.cores = CoreCount();
    limit.used = std::min(JobCount(jobs), limit.cores);
    // The convergence run and the pattern's run come before the slices.
    const auto runsFor = [&](int engines) {
        return (plan.second && plan.second->halved ? 2 : 1) + SliceCount(plan, engines);
    };
    limit.used = std::max(1, std::min(limit.used, runsFor(limit.used)));
    limit.runs = runsFor(limit.used);
    return limit;
}

double DefaultTimeoutSeconds(const CheckPlan& plan) {
    // nec2c takes about 1e-7 s a squared segment a frequency here; twenty
    // times that, and a minute on top for a slow or busy machine.
    const auto squared = [](const LoopModel& m) { return static_cast<double>(m.TotalSegments()) * m.TotalSegments(); };
    double work = squared(plan.model) * (plan.sweep.points + 1);
    if (plan.second) work += squared(plan.second->model) * (1 + kSecondSweepPoints);
    return 60 + 2e-6 * work;
}

ModelCheck RunCheck(const Design& design, const CheckOptions& options) {
    ModelCheck check{PlanCheck(design, options), {}, std::nullopt, {}, std::nullopt};
    const CheckPlan& plan = check.plan;
    const LoopModel& model = plan.model;
    const auto sources = static_cast<std::size_t>(model.sides);

    // One time limit for the check and the tune together.
    const auto start = std::chrono::steady_clock::now();
    const std::chrono::duration<double> timeout(
        options.timeoutSeconds.value_or(DefaultTimeoutSeconds(plan) + (options.tune ? DefaultTuneSeconds(plan) : 0)));
    const auto left = [&] {
        const std::chrono::duration<double> rest = timeout - (std::chrono::steady_clock::now() - start);
        return rest.count() > 0 ? rest : std::chrono::duration<double>(0.001);
    };
    const int jobs = LimitJobs(plan, options.jobs).used;
    EngineSettings settings;
    settings.program = options.program;
    settings.jobs = jobs;
    settings.timeout = timeout;
    settings.givenTimeout = timeout;
    settings.stop = options.stop;

    // The progress counts the frequencies the engines compute. How many an
    // adaptive sweep needs is known only at its end: the count grows as it
    // goes, and never reaches the total before the check is done.
    std::atomic<int> done = 0;
    std::atomic<int> expected = (plan.second && plan.second->halved ? 1 : 0) + 1 +
                                (options.sweepMode == SweepMode::Exact ? plan.sweep.points : kExpectedAdaptiveRows) +
                                (plan.second ? kSecondSweepPoints : 0) +
                                (options.tune ? ExpectedTuneFrequencies() : 0) + (ElevationCutStepDeg(model) ? 1 : 0);
    const auto tellProgress = [&](int finished) {
        if (!options.progress) return;
        const int now = done + finished;
        if (now >= expected) expected = now + 1;
        options.progress(now, expected);
    };
    const auto runAll = [&](const std::vector<EngineRun>& runs) {
        EngineSettings round = settings;
        round.timeout = left();
        round.progress = [&](int finished, int) { tellProgress(finished); };
        std::vector<EngineOutput> outputs = RunEngines(runs, round);
        for (const EngineRun& run : runs) done += static_cast<int>(run.expected.frequenciesMHz.size());
        return outputs;
    };

    // The longest runs first, with the sweep's first rows: the convergence
    // run at the design frequency, then the pattern.
    std::vector<EngineRun> first;
    const bool secondAtDesign = plan.second && plan.second->halved;
    if (secondAtDesign) {
        const Sweep single{model.designMHz, 0, 1};
        first.push_back({WriteDeck(plan.second->model, single, plan.pattern, {0, 1, false}),
                         {{model.designMHz}, sources * static_cast<std::size_t>(plan.second->model.gapSegments), 0}});
    }
    const std::size_t patternRun = first.size();
    first.push_back({WriteDeck(model, plan.sweep, plan.pattern, {0, 0, true}),
                     {{model.designMHz},
                      sources,
                      static_cast<std::size_t>(PatternThetas(model, plan.pattern)) *
                          static_cast<std::size_t>(PatternPhis(plan.pattern))}});
    const std::optional<EngineRun> cutRun = ElevationCutRun(model, plan.pattern);
    const std::size_t cutRunIndex = first.size();
    if (cutRun) first.push_back(*cutRun);
    const std::size_t sweepRuns = first.size();
    const auto takeCut = [&](std::vector<EngineOutput>& outputs) {
        if (cutRun)
            check.elevationCut = ElevationCutOf(model, std::move(outputs[cutRunIndex].frequencies.front().pattern));
    };

    EngineAnswers answers;
    bool firstRound = true;
    // The engine's answers at sweep rows, each row a run of its own so that
    // a round's rows go side by side; the first round carries the pattern
    // and the convergence runs along.
    std::map<int, FrequencyResult> computed;
    const auto computeRows = [&](const std::vector<int>& rows) {
        std::vector<EngineRun> runs = firstRound ? first : std::vector<EngineRun>{};
        const std::size_t offset = runs.size();
        for (int row : rows) {
            runs.push_back(
                {WriteDeck(model, plan.sweep, plan.pattern, {row, 1, false}), {{plan.sweep.At(row)}, sources, 0}});
        }
        std::vector<EngineOutput> outputs = runAll(runs);
        if (firstRound) {
            answers.design = std::move(outputs[patternRun].frequencies.front());
            answers.segmentsUsed.push_back(*outputs[patternRun].totalSegments);
            takeCut(outputs);
            if (secondAtDesign) {
                answers.secondAtDesign = std::move(outputs[0].frequencies.front());
                answers.secondSegmentsUsed.push_back(*outputs[0].totalSegments);
            }
            firstRound = false;
        }
        std::vector<std::vector<std::complex<double>>> values;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EngineOutput& output = outputs[offset + i];
            answers.segmentsUsed.push_back(*output.totalSegments);
            std::vector<std::complex<double>> gaps;
            for (const SourceReading& source : output.frequencies.front().sources) gaps.push_back(source.impedance);
            values.push_back(std::move(gaps));
            computed[rows[i]] = std::move(output.frequencies.front());
        }
        return values;
    };

    std::vector<double> rowMHz;
    for (int row = 0; row < plan.sweep.points; ++row) rowMHz.push_back(plan.sweep.At(row));
    SweepSampling& sampling = check.report.sampling;
    if (options.sweepMode == SweepMode::Adaptive) {
        const AdaptiveSweep adaptive = SampleSweep(rowMHz, computeRows);
        sampling.mode = adaptive.exact ? SweepMode::Exact : SweepMode::Adaptive;
        sampling.fellBack = adaptive.exact && !adaptive.heldOutRows.empty();
        if (!adaptive.exact || sampling.fellBack) sampling.interpolationMaxError = adaptive.heldOutError;
        for (int row = 0; row < plan.sweep.points; ++row) {
            const auto engine = computed.find(row);
            if (engine != computed.end()) {
                answers.sweep.push_back(engine->second);
                continue;
            }
            // A row the interpolant filled: each gap with its 1 V.
            FrequencyResult filled;
            filled.echoedMHz = rowMHz[static_cast<std::size_t>(row)];
            for (const std::complex<double>& gap : adaptive.rows[static_cast<std::size_t>(row)]) {
                filled.sources.push_back({0, 0, {1, 0}, 1.0 / gap, gap});
            }
            answers.sweep.push_back(std::move(filled));
        }
    } else {
        // Every row, in slices the engines take as they come free.
        std::vector<EngineRun> runs = first;
        const int slices = SliceCount(plan, jobs);
        for (int s = 0; s < slices; ++s) {
            const int from = plan.sweep.points * s / slices;
            const int count = plan.sweep.points * (s + 1) / slices - from;
            runs.push_back({WriteDeck(model, plan.sweep, plan.pattern, {from, count, false}),
                            {Frequencies(plan.sweep, from, count), sources, 0}});
        }
        std::vector<EngineOutput> outputs = runAll(runs);
        answers.design = std::move(outputs[patternRun].frequencies.front());
        answers.segmentsUsed.push_back(*outputs[patternRun].totalSegments);
        takeCut(outputs);
        if (secondAtDesign) {
            answers.secondAtDesign = std::move(outputs[0].frequencies.front());
            answers.secondSegmentsUsed.push_back(*outputs[0].totalSegments);
        }
        for (std::size_t i = sweepRuns; i < outputs.size(); ++i) {
            for (FrequencyResult& f : outputs[i].frequencies) answers.sweep.push_back(std::move(f));
            answers.segmentsUsed.push_back(*outputs[i].totalSegments);
        }
        sampling.mode = SweepMode::Exact;
    }
    for (int row = 0; row < plan.sweep.points; ++row) {
        if (sampling.mode == SweepMode::Exact || computed.contains(row)) {
            sampling.engineMHz.push_back(rowMHz[static_cast<std::size_t>(row)]);
        }
    }

    // The second model at the resonance the sweep found: its gap reactance
    // there, over the first model's slope, is how far its resonance lies
    // (a Newton step; the two models' slopes differ far less than their
    // resonances). A step longer than kNewtonSettled is taken and tried
    // again, so that a move of several per cent (a thick conductor's) is
    // found where it is, not guessed from afar.
    if (plan.second) {
        std::vector<double> mhz, reactance;
        for (std::size_t i = 0; i < answers.sweep.size(); ++i) {
            mhz.push_back(plan.sweep.At(static_cast<int>(i)));
            reactance.push_back(answers.sweep[i].sources.front().impedance.imag());
        }
        const std::optional<double> resonance = NearestTo(RisingZeroCrossings(mhz, reactance), model.designMHz);
        const std::optional<double> slope = resonance ? SlopeAt(mhz, reactance, *resonance) : std::nullopt;
        double at = resonance.value_or(0);
        std::optional<std::pair<double, double>> before;  // the second model's last frequency and reactance
        for (int round = 0; slope && round < kSecondSweepRounds; ++round) {
            const std::vector<EngineRun> one = {
                {WriteDeck(plan.second->model, Sweep{at, 0, 1}, plan.pattern, {0, 1, false}),
                 {{at}, sources * static_cast<std::size_t>(plan.second->model.gapSegments), 0}}};
            std::vector<EngineOutput> second = runAll(one);
            answers.secondSegmentsUsed.push_back(*second.front().totalSegments);
            const double x = GapImpedance(second.front().frequencies.front(), plan.second->model.gapSegments).imag();
            // After the first step, the second model's own slope (a secant).
            double along = *slope;
            if (before && at != before->first) {
                const double secant = (x - before->second) / (at - before->first);
                if (secant > 0) along = secant;
            }
            before = std::pair{at, x};
            const double step = -x / along;
            answers.secondResonanceMHz = at + step;
            answers.secondResonanceFound = std::abs(step) <= kNewtonSettled * at;
            if (answers.secondResonanceFound) break;
            at += step;
        }
    }
    SweepSampling kept = std::move(check.report.sampling);
    check.report = Analyse(model, plan.second, plan.sweep, plan.line, answers);
    check.report.sampling = std::move(kept);
    if (check.report.sampling.fellBack) {
        check.report.notes.push_back("the interpolated sweep disagreed with the engine by " +
                                     Fixed(*check.report.sampling.interpolationMaxError * 100, 3) +
                                     " % at a row it had not seen, so the engine computed every row");
    }

    if (options.tune) {
        settings.timeout = left();
        if (options.progress) settings.progress = [&](int finished, int) { tellProgress(finished); };
        const std::optional<double> nearest = NearestTo(check.report.resonancesMHz, model.designMHz);
        // A scaled loop the model cannot hold, or an engine that fails on
        // it, costs the tune, not the check; a stop stops both.
        try {
            check.report.tuned = Tune(plan, settings, nearest);
        } catch (const Failure& failure) {
            if (failure.Kind() == FailureKind::Stopped) throw;
            check.report.notes.push_back(std::string("no tuned design: ") + failure.what());
        }
        if (check.report.tuned && !check.report.tuned->reached) {
            check.report.notes.push_back("the tune did not bring the resonance within " +
                                         Trimmed(kTuneTolerance * 100, 3) + " % of the design frequency in " +
                                         std::to_string(check.report.tuned->rounds) + " rounds");
        }
    }
    if (options.progress) options.progress(done, done);
    return check;
}

bool ChecksDesign(const ModelCheck& check, const Design& design) {
    const LoopModel& model = check.plan.model;
    if ((design.sides == SideChoice::Four ? 4 : 3) != model.sides) return false;
    const auto same = [&](Field field, double modelled) {
        const Parsed<double> parsed = ParseDouble(design.Text(field));
        return parsed && *parsed.value == modelled;
    };
    return same(Field::Frequency, model.designMHz) && same(Field::DiameterMm, model.radiusMm * 2) &&
           same(Field::HeightMm, model.heightMm) && same(Field::SideMm, model.sideMm) &&
           same(Field::GapMm, model.gapMm);
}

}  // namespace corvanta::nec
