#include "nec/headline.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "nec/analysis.h"
#include "nec/feed_chain.h"
#include "nec/model_check.h"

namespace corvanta::nec {

std::size_t BestReading(const PerReading<double>& swr) {
    const std::size_t balun = ReadingIndex("swr_lines_200");
    std::size_t best = kReadingCount;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        if (!kReadings[i].buildable) continue;
        if (best == kReadingCount || swr[i] < swr[best]) best = i;
    }
    if (balun < kReadingCount && best < kReadingCount && swr[balun] <= swr[best] + kSwrTie) return balun;
    return best;
}

std::size_t HeadlineReading(const CheckReport& report) { return BestReading(report.atDesign.swr); }

std::string_view Headline::BestKey() const { return bestAtRadio ? "swr_radio" : kReadings[bestReading].swrKey; }

namespace {

// How far the design's own resonance is from the design frequency, and
// whether that is further than the model is sure of.
struct DesignOffset {
    std::optional<double> resonanceMHz, offsetPercent, uncertaintyPercent;
    bool off = true;  // without a resonance in the sweep the design is certainly off
};

DesignOffset OffsetOf(const ModelCheck& check) {
    const double design = check.plan.model.designMHz;
    const CheckReport& r = check.report;
    DesignOffset d;
    d.resonanceMHz = NearestTo(r.resonancesMHz, design);
    if (d.resonanceMHz) d.offsetPercent = 100 * (*d.resonanceMHz - design) / design;
    d.uncertaintyPercent = r.resonanceUncertaintyPercent;
    d.off = !d.offsetPercent || std::abs(*d.offsetPercent) > d.uncertaintyPercent.value_or(0);
    return d;
}

}  // namespace

NamedLoop VerdictLoop(const ModelCheck& check) {
    const CheckReport& r = check.report;
    const LoopModel& model = check.plan.model;
    if (check.measured && check.measured->trim) {
        // A trimmed loop resonates at the design frequency as the tuned
        // one does: where the tune ran, its engine's own figures there.
        const std::optional<SweepPoint> exact =
            r.tuned && r.tuned->atDesign ? r.tuned->atDesign : std::optional<SweepPoint>();
        return ScaledLoop(r, model, check.plan.line, CutChoice::Trimmed, *check.measured->trim, exact);
    }
    if (r.tuned && OffsetOf(check).off) {
        return ScaledLoop(r, model, check.plan.line, CutChoice::Tuned, *r.tuned, r.tuned->atDesign);
    }
    NamedLoop loop = DesignLoop(r);
    loop.lengths = ScaledDesign::Of(model, 1);
    return loop;
}

Headline HeadlineOf(const ModelCheck& check) {
    const CheckReport& r = check.report;
    const DesignOffset offset = OffsetOf(check);
    Headline h;
    const LoopModel& model = check.plan.model;
    h.resonanceMHz = offset.resonanceMHz;
    h.resonanceOffsetPercent = offset.offsetPercent;
    h.uncertaintyPercent = offset.uncertaintyPercent;
    const double sure = h.uncertaintyPercent.value_or(0);
    h.farOff = h.resonanceOffsetPercent && std::abs(*h.resonanceOffsetPercent) > sure + kFarOffPercent;
    if (!h.resonanceMHz && r.outsideResonanceMHz && !r.sweep.empty()) {
        OutsideResonance& o = h.outside.emplace();
        o.mhz = *r.outsideResonanceMHz;
        o.offsetPercent = 100 * (o.mhz - model.designMHz) / model.designMHz;
        o.sweepFromMHz = r.sweep.front().mhz;
        o.sweepToMHz = r.sweep.back().mhz;
        o.side = o.mhz < o.sweepFromMHz ? SweepSide::Below
                 : o.mhz > o.sweepToMHz ? SweepSide::Above
                                        : SweepSide::Between;
        std::tie(o.reachFromMHz, o.reachToMHz) = SweepReaching(o.mhz, model.designMHz);
    }
    // Runs of its own that found the resonance say more than where the
    // sweep's reactance comes nearest zero.
    if (!h.resonanceMHz && !h.outside) h.nearestApproach = r.nearestApproach;
    const NamedLoop loop = VerdictLoop(check);
    h.cut = loop.name;
    h.lengths = loop.lengths;
    h.lengthsUncertaintyPercent = h.uncertaintyPercent;
    if (h.cut == CutChoice::Trimmed && check.measured->trimUncertainty) {
        const TrimUncertainty& u = *check.measured->trimUncertainty;
        h.trimUncertainty = u;
        h.lengthsUncertaintyPercent = std::sqrt(sure * sure + u.TotalPercent() * u.TotalPercent());
    }
    if (h.lengthsUncertaintyPercent && *h.lengthsUncertaintyPercent > kCutLongUncertaintyPercent) {
        h.cutLongPercent = h.lengthsUncertaintyPercent;
    }
    if (h.cut == CutChoice::Trimmed && check.measured->resonanceMHz && !check.earlierSweeps.empty()) {
        const Measurement& m = *check.measured;
        std::vector<CutSweep> sweeps = check.earlierSweeps;
        sweeps.push_back({{m.built.heightMm, m.built.sideMm, m.built.gapMm}, *m.resonanceMHz});
        h.twoSweepCut = TwoSweepCutOf(sweeps, h.lengths, model.designMHz);
    }
    if (check.measured && check.measured->refused) h.measurementRefused = check.measured->refusal;
    if (h.trimUncertainty && h.cutLongPercent && !check.plan.line.velocityFactorMeasured &&
        h.trimUncertainty->velocityFactorPercent > kWideSpanPercent / 2) {
        h.advice.push_back(Advice::StubVelocityFactor);
    }
    // Never a tune that was asked for and gave nothing.
    if (h.cut == CutChoice::Design && !r.tuned && !r.tuneAsked && offset.off) h.advice.push_back(Advice::Tune);
    if (const auto& chain = check.plan.feed.chain) {
        const double design = model.designMHz;
        h.bestAtRadio = true;
        h.bestSwr = Swr(RadioEnd(loop.atDesign.lines, *chain, design, design), check.plan.referenceOhm);
    } else {
        h.bestReading = BestReading(loop.atDesign.swr);
        h.bestSwr = loop.atDesign.swr[h.bestReading];
    }
    return h;
}

}  // namespace corvanta::nec
