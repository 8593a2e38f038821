#include "nec/tune.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "nec/deck_writer.h"

namespace corvanta::nec {

namespace {

// The second of the first two guesses, this share above the first: near
// enough for the secant to see the slope where the answer lies.
constexpr double kSecondGuess = 0.005;
// A guess stops the tune when its resonance is this much nearer than the
// tolerance asks, so that the answer sits well inside it.
constexpr double kAimWithin = kTuneTolerance / 10;
// A secant step further than this share of the scale is cut short.
constexpr double kLongestStep = 0.2;

struct Guess {
    double scale = 1;
    double reactance = 0;                // of one gap, at the design frequency
    std::optional<double> resonanceMHz;  // in the short sweep, or a Newton step along the curve
    std::optional<SweepPoint> atDesign;
    bool onSlope = false;  // its resonance from the sweep's slope
    // Its short sweep, where it had one.
    std::vector<double> mhz, reactances;
};

double Off(const Guess& guess, double designMHz) {
    return guess.resonanceMHz ? std::abs(*guess.resonanceMHz / designMHz - 1) : INFINITY;
}

// The design loop's slope at `mhz`, from the two rows either side; none
// outside the sweep or where the reactance does not rise.
std::optional<double> SlopeOf(const ReactanceCurve& curve, double mhz) {
    for (std::size_t i = 1; i < curve.mhz.size(); ++i) {
        if (curve.mhz[i - 1] <= mhz && mhz <= curve.mhz[i] && curve.mhz[i] > curve.mhz[i - 1]) {
            const double slope = (curve.ohm[i] - curve.ohm[i - 1]) / (curve.mhz[i] - curve.mhz[i - 1]);
            if (slope > 0) return slope;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The guesses side by side: each at the design frequency alone where the
// sweep rises through the frequency its scale stands for, else a short
// sweep (a sweep that does not reach that far says nothing there).
std::vector<Guess> Evaluate(const CheckPlan& plan, EnginePool& pool, int priority, const std::vector<double>& scales,
                            const std::optional<ReactanceCurve>& curve) {
    const LoopModel& model = plan.model;
    const double f = model.designMHz;
    std::vector<std::optional<double>> slopes;
    std::vector<EngineRun> runs;
    for (double scale : scales) {
        slopes.push_back(curve ? SlopeOf(*curve, scale * f) : std::nullopt);
        const Sweep sweep = slopes.back() ? Sweep{f, 0, 1} : TuneSweep(f);
        std::vector<double> mhz;
        for (int i = 0; i < sweep.points; ++i) mhz.push_back(sweep.At(i));
        runs.push_back({WriteDeck(Scaled(model, scale), sweep, plan.pattern, {0, sweep.points, false}),
                        {mhz, static_cast<std::size_t>(model.sides), 0}});
    }
    const std::vector<EngineOutput> outputs = pool.RunApart(runs, priority);
    std::vector<Guess> guesses;
    for (std::size_t g = 0; g < scales.size(); ++g) {
        const std::vector<double>& mhz = runs[g].expected.frequenciesMHz;
        std::vector<double> reactances;
        for (const FrequencyResult& r : outputs[g].frequencies) {
            reactances.push_back(r.sources.front().impedance.imag());
        }
        const std::size_t centre = mhz.size() / 2;
        Guess guess{scales[g],
                    reactances[centre],
                    std::nullopt,
                    ToSweepPoint(f, outputs[g].frequencies[centre], plan.line),
                    slopes[g].has_value(),
                    {},
                    {}};
        guess.resonanceMHz = slopes[g] ? f - guess.reactance / (scales[g] * *slopes[g])
                                       : NearestTo(RisingZeroCrossings(mhz, reactances), f);
        if (!slopes[g]) {
            guess.mhz = mhz;
            guess.reactances = reactances;
        }
        guesses.push_back(std::move(guess));
    }
    return guesses;
}

}  // namespace

Sweep TuneSweep(double designMHz) {
    const double step = kTuneStep * designMHz;
    return {designMHz - (kTunePoints / 2) * step, step, kTunePoints};
}

int ExpectedTuneFrequencies(bool onCurve) { return onCurve ? 4 + kTunePoints : 3 * kTunePoints; }

TunedDesign Tune(const CheckPlan& plan, EnginePool& pool, int priority, std::optional<double> resonanceMHz,
                 const std::optional<ReactanceCurve>& curve) {
    const LoopModel& model = plan.model;
    const double f = model.designMHz;
    // A loop twice as large resonates at about half the frequency: the
    // wire's thickness, which stays, is what this leaves out.
    const double first = resonanceMHz ? *resonanceMHz / f : 1;
    std::vector<Guess> tried = Evaluate(plan, pool, priority, {first, first * (1 + kSecondGuess)}, curve);
    int rounds = 1;
    const auto best = [&] {
        return *std::min_element(tried.begin(), tried.end(), [&](const Guess& a, const Guess& b) {
            return Off(a, f) < Off(b, f) || (Off(a, f) == Off(b, f) && std::abs(a.reactance) < std::abs(b.reactance));
        });
    };
    while (Off(best(), f) > kAimWithin && rounds < kTuneRounds) {
        const Guess& a = tried[tried.size() - 2];
        const Guess& b = tried.back();
        if (a.reactance == b.reactance) break;
        double next = b.scale - b.reactance * (b.scale - a.scale) / (b.reactance - a.reactance);
        next = std::clamp(next, b.scale * (1 - kLongestStep), b.scale * (1 + kLongestStep));
        tried.push_back(Evaluate(plan, pool, priority, {next}, curve).front());
        ++rounds;
    }
    Guess answer = best();
    // A step along the slope says where the reactance would cross, not that
    // it does: the tuned loop's own short sweep says whether it crosses, or
    // only comes near zero.
    if (answer.onSlope) {
        const Sweep sweep = TuneSweep(f);
        std::vector<double> mhz;
        for (int i = 0; i < sweep.points; ++i) mhz.push_back(sweep.At(i));
        const std::vector<EngineOutput> outputs =
            pool.RunApart({{WriteDeck(Scaled(model, answer.scale), sweep, plan.pattern, {0, sweep.points, false}),
                            {mhz, static_cast<std::size_t>(model.sides), 0}}},
                          priority);
        answer.mhz = mhz;
        answer.reactances.clear();
        for (const FrequencyResult& r : outputs.front().frequencies) {
            answer.reactances.push_back(r.sources.front().impedance.imag());
        }
        answer.resonanceMHz = NearestTo(RisingZeroCrossings(mhz, answer.reactances), f);
    }
    TunedDesign tuned;
    static_cast<ScaledDesign&>(tuned) = ScaledDesign::Of(model, answer.scale);
    tuned.resonanceMHz = answer.resonanceMHz;
    tuned.crossing = answer.resonanceMHz.has_value();
    if (!tuned.crossing) tuned.nearestApproach = NearestApproachOf(answer.mhz, answer.reactances);
    tuned.reached = tuned.crossing && Off(answer, f) <= kTuneTolerance;
    tuned.rounds = rounds;
    tuned.onSlope = answer.onSlope;
    tuned.atDesign = answer.atDesign;
    return tuned;
}

double DefaultTuneSeconds(const CheckPlan& plan) {
    const double squared = static_cast<double>(plan.model.TotalSegments()) * plan.model.TotalSegments();
    return 2e-6 * squared * kTunePoints * (kTuneRounds + 1);
}

}  // namespace corvanta::nec
