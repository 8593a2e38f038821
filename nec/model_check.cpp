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
// once a step is shorter than this share. The levels' slopes differ by
// about as much as their gap impedances, a per cent or two, so a step of
// 0.5 % lands within a hundredth of it of the level's own resonance: at
// 146 MHz a second run moved the first step's answer by 0.0002 MHz (the
// 219 segments) and 0.0008 MHz (the 411), well under the engine's five
// digits. One run a level, then, where the first model's resonance is
// near.
constexpr int kSecondSweepRounds = 5;
constexpr double kNewtonSettled = 0.005;
// A resonance the sweep missed is followed from afar, where the slope is
// the search's own secant: it counts as found once a step is this short.
constexpr double kOutsideSettled = 0.002;

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

// Which queued run an engine takes first: the long runs that depend on
// nothing (the pattern's, then the second model's at the design frequency)
// start at once, the longest first; then the second model's steps, a chain
// of long runs that the end of the check waits for; then the sweep's rounds
// (and the tune's guesses, on which the check waits in the same way).
constexpr int kFreeRunPriority = 3;
constexpr int kSecondPriority = 2;
constexpr int kSweepPriority = 1;
// A first guess this near is as good as the finished sweep's: the second
// model's resonance lies further off than that anyway.
constexpr double kSearchStartsWithin = 0.01;

// The second model's resonance, followed from the first model's: its gap
// reactance there, over the first model's slope, is how far its resonance
// lies (a Newton step; the two models' slopes differ far less than their
// resonances). A step longer than kNewtonSettled is taken and tried again
// along the second model's own slope (a secant), so that a move of several
// per cent (a thick conductor's) is found where it is, not guessed from
// afar.
struct SecondSearch {
    bool started = false;
    double at = 0;                                    // the frequency of the next run
    double slope = 0;                                 // the first model's, where it resonates
    std::optional<std::pair<double, double>> before;  // the last frequency and reactance
    int rounds = 0;
    std::vector<int> segments;
    std::optional<double> resonanceMHz;
    bool found = false;
    // Settled only along its own slope: a model cut otherwise beside the gap
    // (the even cut) has a slope of its own there, and a step along the
    // model's lands short.
    bool ownSlope = false;

    // With the reactance at `at`: whether to run again.
    bool Step(double x) {
        double along = slope;
        bool secantUsed = false;
        if (before && at != before->first) {
            const double secant = (x - before->second) / (at - before->first);
            if (secant > 0) {
                along = secant;
                secantUsed = true;
            }
        }
        before = std::pair{at, x};
        const double step = -x / along;
        resonanceMHz = at + step;
        found = std::abs(step) <= kNewtonSettled * at && (!ownSlope || secantUsed);
        if (found || ++rounds >= kSecondSweepRounds) return false;
        at += step;
        return true;
    }
};

// The model's resonance where its sweep shows none: a run at the design
// frequency and one a little above, then secant steps along the gap
// reactance, each at most a quarter of the frequency, until a step is
// shorter than kOutsideSettled. A falling reactance is no series resonance
// near here, and ends the search with none.
constexpr double kOutsideProbe = 0.01;
// The longer-fed model of a nearly resonant loop is run this share either
// side of the model's nearest approach, and its own found by a parabola.
constexpr double kNearProbe = 0.01;
constexpr double kOutsideStepShare = 0.25;
constexpr int kOutsideRounds = 12;

struct OutsideSearch {
    double at = 0;
    std::optional<std::pair<double, double>> before;  // the last frequency and reactance
    int rounds = 0;
    std::optional<double> resonanceMHz;

    // With the reactance at `at`: whether to run again.
    bool Step(double x) {
        if (!before) {
            before = std::pair{at, x};
            at *= 1 + kOutsideProbe;
            return true;
        }
        const double slope = (x - before->second) / (at - before->first);
        if (!(slope > 0) || !std::isfinite(slope)) return false;
        const double step = std::clamp(-x / slope, -kOutsideStepShare * at, kOutsideStepShare * at);
        before = std::pair{at, x};
        if (std::abs(step) <= kOutsideSettled * at) {
            resonanceMHz = at + step;
            return false;
        }
        if (++rounds >= kOutsideRounds) return false;
        at += step;
        return true;
    }
};

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
        return (plan.convergence.levels.empty() ? 1 : 2) + SliceCount(plan, engines);
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
    for (const LoopModel* other : plan.convergence.All()) work += squared(*other) * (1 + kSecondSweepPoints);
    return 60 + 2e-6 * work;
}

ModelCheck RunCheck(const Design& design, const CheckOptions& options) {
    ModelCheck check;
    check.plan = PlanCheck(design, options);
    const CheckPlan& plan = check.plan;
    const LoopModel& model = plan.model;
    const auto sources = static_cast<std::size_t>(model.sides);
    const bool adaptive = options.sweepMode == SweepMode::Adaptive;

    // The progress counts the frequencies the engines compute. How many an
    // adaptive sweep needs is known only at its end: the count grows as it
    // goes, and never reaches the total before the check is done.
    const std::vector<const LoopModel*> others = plan.convergence.All();
    const int expected = (plan.convergence.levels.empty() ? 0 : 1) + 1 +
                         (adaptive ? kExpectedAdaptiveRows : plan.sweep.points) + 2 * static_cast<int>(others.size()) +
                         (options.tune ? ExpectedTuneFrequencies(adaptive) : 0) + (ElevationCutStepDeg(model) ? 1 : 0);
    EngineSettings settings;
    settings.program = options.program;
    settings.jobs = LimitJobs(plan, options.jobs).used;
    // One time limit for the check and the tune together.
    settings.timeout = std::chrono::duration<double>(
        options.timeoutSeconds.value_or(DefaultTimeoutSeconds(plan) + (options.tune ? DefaultTuneSeconds(plan) : 0)));
    settings.stop = options.stop;
    if (options.progress) {
        settings.progress = [&](int done, int queued) {
            options.progress(done, std::max({expected, queued, done + 1}));
        };
    }

    // What the engines answer, each part written by the one chain of runs
    // that asks for it, and read once the pool is done.
    EngineAnswers answers;
    std::optional<int> patternSegments;
    std::map<int, FrequencyResult> computed;
    std::vector<int> rowSegments;
    // One search for each convergence model, side by side.
    std::vector<SecondSearch> searches(others.size());
    std::function<void(std::size_t)> stepSecond;
    OutsideSearch outside;
    std::function<void()> stepOutside;
    std::vector<std::string> tuneNotes;
    EnginePool pool(settings);

    // The pattern's run, its finer elevation cut and the second model at the
    // design frequency go beside the sweep: they depend on nothing.
    // The pattern over the sector the loop's symmetry repeats, a third or a
    // quarter of the whole grid's work.
    pool.Submit({WriteDeck(model, plan.sweep, plan.pattern, {0, 0, true, true}),
                 {{model.designMHz},
                  sources,
                  static_cast<std::size_t>(PatternThetas(model, plan.pattern)) *
                      static_cast<std::size_t>(PatternSectorPhis(model, plan.pattern)),
                  static_cast<std::size_t>(model.TotalSegments())}},
                kFreeRunPriority, [&](EngineOutput&& output) {
                    answers.design = std::move(output.frequencies.front());
                    answers.design.pattern = UnfoldedPattern(model, plan.pattern, answers.design.pattern);
                    patternSegments = *output.totalSegments;
                });
    if (std::optional<EngineRun> cutRun = ElevationCutRun(model, plan.pattern)) {
        pool.Submit(std::move(*cutRun), kFreeRunPriority, [&](EngineOutput&& output) {
            check.elevationCut = ElevationCutOf(model, std::move(output.frequencies.front().pattern));
        });
    }
    if (!plan.convergence.levels.empty()) {
        const LoopModel& finer = plan.convergence.levels.front();
        const Sweep single{model.designMHz, 0, 1};
        pool.Submit({WriteDeck(finer, single, plan.pattern, {0, 1, false}),
                     {{model.designMHz}, sources * static_cast<std::size_t>(finer.gapSegments), 0}},
                    kFreeRunPriority, [&](EngineOutput&& output) {
                        answers.secondAtDesign = std::move(output.frequencies.front());
                        answers.secondAtDesignSegments = *output.totalSegments;
                    });
    }

    // Each convergence model's resonance: a chain of single runs at the
    // resonance, each from the answer before it.
    stepSecond = [&](std::size_t which) {
        SecondSearch& search = searches[which];
        const LoopModel& other = *others[which];
        const double at = search.at;
        pool.Submit({WriteDeck(other, Sweep{at, 0, 1}, plan.pattern, {0, 1, false}),
                     {{at}, sources * static_cast<std::size_t>(other.gapSegments), 0}},
                    kSecondPriority, [&, which](EngineOutput&& output) {
                        SecondSearch& s = searches[which];
                        s.segments.push_back(*output.totalSegments);
                        if (s.Step(GapImpedance(output.frequencies.front(), others[which]->gapSegments).imag())) {
                            stepSecond(which);
                        }
                    });
    };
    std::vector<double> rowMHz;
    for (int row = 0; row < plan.sweep.points; ++row) rowMHz.push_back(plan.sweep.At(row));
    // The search starts from the sweep's resonance once two rounds agree on
    // it within kSearchStartsWithin, else from the finished sweep's: from the
    // answers alone, never from which engine finished first.
    std::optional<double> lastEstimate;
    bool started = false;
    const auto startSecond = [&](const std::vector<double>& reactance, bool finished) {
        if (others.empty() || started) return;
        const std::optional<double> resonance = NearestTo(RisingZeroCrossings(rowMHz, reactance), model.designMHz);
        const bool agreed =
            resonance && lastEstimate && std::abs(*resonance - *lastEstimate) <= kSearchStartsWithin * *resonance;
        lastEstimate = resonance;
        if (!agreed && !finished) return;
        started = true;
        const std::optional<double> slope = resonance ? SlopeAt(rowMHz, reactance, *resonance) : std::nullopt;
        if (!slope) return;
        for (std::size_t which = 0; which < searches.size(); ++which) {
            searches[which].started = true;
            searches[which].at = *resonance;
            searches[which].slope = *slope;
            searches[which].ownSlope = plan.convergence.evenCut && others[which] == &*plan.convergence.evenCut;
            stepSecond(which);
        }
    };

    // The engine's answers at sweep rows: a round's rows in one run an
    // engine, side by side. An engine started costs about as much as a row
    // of the model computed, so a run a row would double the work.
    const auto computeRows = [&](const std::vector<int>& rows) {
        const std::size_t parts = std::min(rows.size(), static_cast<std::size_t>(std::max(1, settings.jobs)));
        std::vector<EngineRun> runs;
        for (std::size_t part = 0; part < parts; ++part) {
            std::vector<double> mhz;
            for (std::size_t i = rows.size() * part / parts; i < rows.size() * (part + 1) / parts; ++i) {
                mhz.push_back(plan.sweep.At(rows[i]));
            }
            runs.push_back({WriteDeckAt(model, mhz, plan.pattern), {mhz, sources, 0}});
        }
        std::vector<EngineOutput> outputs = pool.Run(std::move(runs), kSweepPriority);
        std::vector<std::vector<std::complex<double>>> values;
        for (std::size_t part = 0; part < parts; ++part) {
            EngineOutput& output = outputs[part];
            rowSegments.push_back(*output.totalSegments);
            std::size_t i = rows.size() * part / parts;
            for (FrequencyResult& row : output.frequencies) {
                std::vector<std::complex<double>> gaps;
                for (const SourceReading& source : row.sources) gaps.push_back(source.impedance);
                values.push_back(std::move(gaps));
                computed[rows[i++]] = std::move(row);
            }
        }
        return values;
    };

    SweepSampling& sampling = check.report.sampling;
    if (adaptive) {
        const AdaptiveSweep sweep =
            SampleSweep(rowMHz, computeRows, {}, [&](const std::vector<std::vector<std::complex<double>>>& rows) {
                std::vector<double> reactance;
                for (const auto& row : rows) reactance.push_back(row.front().imag());
                startSecond(reactance, false);
            });
        sampling.mode = sweep.exact ? SweepMode::Exact : SweepMode::Adaptive;
        sampling.fellBack = sweep.exact && !sweep.heldOutRows.empty();
        if (!sweep.exact || sampling.fellBack) sampling.interpolationMaxError = sweep.heldOutError;
        sampling.gapFits = sweep.fits;
        for (int row = 0; row < plan.sweep.points; ++row) {
            const auto engine = computed.find(row);
            if (engine != computed.end()) {
                answers.sweep.push_back(engine->second);
                continue;
            }
            // A row the interpolant filled: each gap with its 1 V.
            FrequencyResult filled;
            filled.echoedMHz = rowMHz[static_cast<std::size_t>(row)];
            for (const std::complex<double>& gap : sweep.rows[static_cast<std::size_t>(row)]) {
                filled.sources.push_back({0, 0, {1, 0}, 1.0 / gap, gap});
            }
            answers.sweep.push_back(std::move(filled));
        }
    } else {
        // Every row, in slices the engines take as they come free.
        std::vector<EngineRun> runs;
        const int slices = SliceCount(plan, settings.jobs);
        for (int s = 0; s < slices; ++s) {
            const int from = plan.sweep.points * s / slices;
            const int count = plan.sweep.points * (s + 1) / slices - from;
            runs.push_back({WriteDeck(model, plan.sweep, plan.pattern, {from, count, false}),
                            {Frequencies(plan.sweep, from, count), sources, 0}});
        }
        std::vector<EngineOutput> outputs = pool.Run(std::move(runs), kSweepPriority);
        for (EngineOutput& output : outputs) {
            for (FrequencyResult& f : output.frequencies) answers.sweep.push_back(std::move(f));
            rowSegments.push_back(*output.totalSegments);
        }
        sampling.mode = SweepMode::Exact;
    }
    for (int row = 0; row < plan.sweep.points; ++row) {
        if (sampling.mode == SweepMode::Exact || computed.contains(row)) {
            sampling.engineMHz.push_back(rowMHz[static_cast<std::size_t>(row)]);
        }
    }
    std::vector<double> reactance;
    for (const FrequencyResult& row : answers.sweep) reactance.push_back(row.sources.front().impedance.imag());
    startSecond(reactance, true);
    // No resonance in the sweep: where the model's lies is found apart, so
    // that the verdict can say where it is rather than guess.
    if (RisingZeroCrossings(rowMHz, reactance).empty()) {
        outside.at = model.designMHz;
        stepOutside = [&] {
            const double at = outside.at;
            pool.Submit({WriteDeck(model, Sweep{at, 0, 1}, plan.pattern, {0, 1, false}), {{at}, sources, 0}},
                        kSecondPriority, [&](EngineOutput&& output) {
                            if (outside.Step(output.frequencies.front().sources.front().impedance.imag())) {
                                stepOutside();
                            }
                        });
        };
        stepOutside();
    }

    // A loop nearly resonant, its reactance coming near zero without
    // crossing it, whose segments can be cut neither finer nor coarser and
    // stay valid: the one other valid model, fed at a longer segment, round
    // where the model comes nearest, so that the two models' spread gives
    // the uncertainty of where that is.
    const std::optional<NearestApproach> near = NearestApproachOf(rowMHz, reactance);
    const ConvergenceModels& convergence = plan.convergence;
    if (near && !near->atEdge && convergence.levels.empty() && convergence.coarser.empty() && convergence.longerFeed &&
        !searches.empty()) {
        const LoopModel& longer = *convergence.longerFeed;
        const std::vector<double> mhz{near->mhz * (1 - kNearProbe), near->mhz, near->mhz * (1 + kNearProbe)};
        pool.Submit(
            {WriteDeckAt(longer, mhz, plan.pattern), {mhz, sources * static_cast<std::size_t>(longer.gapSegments), 0}},
            kSecondPriority, [&, mhz](EngineOutput&& output) {
                SecondSearch& s = searches.back();
                s.segments.push_back(*output.totalSegments);
                std::vector<double> x;
                for (const FrequencyResult& f : output.frequencies) {
                    x.push_back(GapImpedance(f, convergence.longerFeed->gapSegments).imag());
                }
                const std::vector<double> rising = RisingZeroCrossings(mhz, x);
                const std::optional<NearestApproach> its = NearestApproachOf(mhz, x);
                if (!rising.empty()) {
                    s.resonanceMHz = rising.front();
                } else if (its && !its->atEdge) {
                    s.resonanceMHz = its->mhz;
                }
                s.found = s.resonanceMHz.has_value();
            });
    }

    // The tune, while the pattern and the second model may still run.
    if (options.tune) {
        const std::optional<double> nearest = NearestTo(RisingZeroCrossings(rowMHz, reactance), model.designMHz);
        std::optional<ReactanceCurve> curve;
        if (adaptive) curve = ReactanceCurve{rowMHz, reactance};
        // A scaled loop the model cannot hold, or an engine that fails on
        // it, costs the tune, not the check; a stop stops both.
        try {
            check.report.tuned = Tune(plan, pool, kSweepPriority, nearest, curve);
        } catch (const Failure& failure) {
            if (failure.Kind() == FailureKind::Stopped) throw;
            tuneNotes.push_back(std::string("no tuned design: ") + failure.what());
        }
        if (check.report.tuned && !check.report.tuned->crossing) {
            tuneNotes.push_back("the tune found no crossing of zero near the design frequency in " +
                                std::to_string(check.report.tuned->rounds) +
                                " rounds, only the nearest approach: cut its lengths only after a measurement");
        } else if (check.report.tuned && !check.report.tuned->reached) {
            tuneNotes.push_back("the tune did not bring the resonance within " + Trimmed(kTuneTolerance * 100, 3) +
                                " % of the design frequency in " + std::to_string(check.report.tuned->rounds) +
                                " rounds");
        }
    }
    pool.Wait();

    answers.segmentsUsed.push_back(*patternSegments);
    answers.segmentsUsed.insert(answers.segmentsUsed.end(), rowSegments.begin(), rowSegments.end());
    for (const SecondSearch& search : searches) {
        answers.searches.push_back({search.resonanceMHz, search.found, search.segments});
    }
    answers.outsideResonanceMHz = outside.resonanceMHz;

    SweepSampling kept = std::move(check.report.sampling);
    std::optional<TunedDesign> tuned = std::move(check.report.tuned);
    check.report = Analyse(model, plan.convergence, plan.sweep, plan.line, answers);
    check.report.sampling = std::move(kept);
    check.report.tuned = std::move(tuned);
    check.report.tuneAsked = options.tune;
    if (check.report.sampling.gapFits.empty()) {
        // The curves drawn between rows need a fit only to bend the way the
        // loop does; they meet every row exactly whatever it misses. A fit
        // through every row of a long exact sweep costs far more than the
        // engines did (a singular value decomposition of rows times support
        // points for each point it takes), so it takes rows spread evenly,
        // the ends among them.
        constexpr std::size_t kDenseFitRows = 41;
        const std::size_t rows = check.report.sweep.size();
        const std::size_t taken = std::min(rows, kDenseFitRows);
        std::vector<double> fitMHz;
        std::vector<std::vector<std::complex<double>>> gaps;
        for (std::size_t i = 0; i < taken; ++i) {
            const std::size_t row = taken < 2 ? 0 : i * (rows - 1) / (taken - 1);
            fitMHz.push_back(rowMHz[row]);
            gaps.push_back(check.report.sweep[row].gaps);
        }
        check.report.sampling.gapFits = FitRows(fitMHz, gaps);
    }
    if (check.report.sampling.fellBack) {
        check.report.notes.push_back("the interpolated sweep disagreed with the engine by " +
                                     Fixed(*check.report.sampling.interpolationMaxError * 100, 3) +
                                     " % at a row it had not seen, so the engine computed every row");
    }
    for (std::string& note : tuneNotes) check.report.notes.push_back(std::move(note));
    if (options.progress) options.progress(pool.FrequenciesDone(), pool.FrequenciesDone());
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
