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
    std::optional<double> resonanceMHz;  // within the short sweep
    std::optional<SweepPoint> atDesign;
};

double Off(const Guess& guess, double designMHz) {
    return guess.resonanceMHz ? std::abs(*guess.resonanceMHz / designMHz - 1) : INFINITY;
}

// The guesses side by side; `done` counts the frequencies answered in the
// rounds before, for the progress.
std::vector<Guess> Evaluate(const CheckPlan& plan, const EngineSettings& settings, const std::vector<double>& scales,
                            int& done) {
    const LoopModel& model = plan.model;
    const Sweep sweep = TuneSweep(model.designMHz);
    std::vector<double> mhz;
    for (int i = 0; i < sweep.points; ++i) mhz.push_back(sweep.At(i));
    std::vector<EngineRun> runs;
    for (double scale : scales) {
        runs.push_back({WriteDeck(Scaled(model, scale), sweep, plan.pattern, {0, sweep.points, false}),
                        {mhz, static_cast<std::size_t>(model.sides), 0}});
    }
    EngineSettings round = settings;
    if (settings.progress) {
        round.progress = [&](int now, int) { settings.progress(done + now, ExpectedTuneFrequencies()); };
    }
    const std::vector<EngineOutput> outputs = RunEngines(runs, round);
    done += static_cast<int>(runs.size() * mhz.size());
    std::vector<Guess> guesses;
    for (std::size_t g = 0; g < scales.size(); ++g) {
        std::vector<double> reactances;
        for (const FrequencyResult& f : outputs[g].frequencies)
            reactances.push_back(f.sources.front().impedance.imag());
        const auto centre = static_cast<std::size_t>(kTunePoints / 2);
        guesses.push_back({scales[g], reactances[centre],
                           NearestTo(RisingZeroCrossings(mhz, reactances), model.designMHz),
                           ToSweepPoint(model.designMHz, outputs[g].frequencies[centre], plan.line)});
    }
    return guesses;
}

}  // namespace

Sweep TuneSweep(double designMHz) {
    const double step = kTuneStep * designMHz;
    return {designMHz - (kTunePoints / 2) * step, step, kTunePoints};
}

int ExpectedTuneFrequencies() { return 3 * kTunePoints; }

TunedDesign Tune(const CheckPlan& plan, const EngineSettings& settings, std::optional<double> resonanceMHz) {
    const LoopModel& model = plan.model;
    const double f = model.designMHz;
    // A loop twice as large resonates at about half the frequency: the
    // wire's thickness, which stays, is what this leaves out.
    const double first = resonanceMHz ? *resonanceMHz / f : 1;
    int done = 0;
    std::vector<Guess> tried = Evaluate(plan, settings, {first, first * (1 + kSecondGuess)}, done);
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
        tried.push_back(Evaluate(plan, settings, {next}, done).front());
        ++rounds;
    }
    const Guess answer = best();
    return TunedDesign{ScaledDesign::Of(model, answer.scale), answer.resonanceMHz, Off(answer, f) <= kTuneTolerance,
                       rounds, answer.atDesign};
}

double DefaultTuneSeconds(const CheckPlan& plan) {
    const double squared = static_cast<double>(plan.model.TotalSegments()) * plan.model.TotalSegments();
    return 2e-6 * squared * kTunePoints * (kTuneRounds + 1);
}

}  // namespace corvanta::nec
