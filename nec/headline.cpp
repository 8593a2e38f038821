#include "nec/headline.h"

#include <algorithm>
#include <cmath>

#include "nec/analysis.h"
#include "nec/model_check.h"

namespace corvanta::nec {

namespace {

// The readings of the sweep at `mhz`, by straight lines between the two
// points either side; the nearest end outside the sweep.
PerReading<double> SwrAt(const std::vector<SweepPoint>& sweep, double mhz) {
    if (mhz <= sweep.front().mhz) return sweep.front().swr;
    if (mhz >= sweep.back().mhz) return sweep.back().swr;
    const auto hi =
        std::upper_bound(sweep.begin(), sweep.end(), mhz, [](double f, const SweepPoint& p) { return f < p.mhz; });
    const auto lo = hi - 1;
    const double t = (mhz - lo->mhz) / (hi->mhz - lo->mhz);
    PerReading<double> swr{};
    for (std::size_t i = 0; i < kReadingCount; ++i) swr[i] = lo->swr[i] + t * (hi->swr[i] - lo->swr[i]);
    return swr;
}

}  // namespace

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

std::string_view CutName(CutChoice cut) {
    switch (cut) {
        case CutChoice::Trimmed:
            return "trimmed";
        case CutChoice::Tuned:
            return "tuned";
        case CutChoice::Design:
            return "design";
    }
    return "";
}

Headline HeadlineOf(const ModelCheck& check) {
    const LoopModel& model = check.plan.model;
    const CheckReport& r = check.report;
    Headline h;
    h.resonanceMHz = NearestTo(r.resonancesMHz, model.designMHz);
    if (h.resonanceMHz) h.resonanceOffsetPercent = 100 * (*h.resonanceMHz - model.designMHz) / model.designMHz;
    h.uncertaintyPercent = r.resonanceUncertaintyPercent;
    const double sure = h.uncertaintyPercent.value_or(0);
    // Without a resonance in the sweep the design is certainly off.
    const bool off = !h.resonanceOffsetPercent || std::abs(*h.resonanceOffsetPercent) > sure;
    h.farOff = h.resonanceOffsetPercent && std::abs(*h.resonanceOffsetPercent) > sure + kFarOffPercent;
    h.nearestApproach = r.nearestApproach;
    if (sure > kCutLongUncertaintyPercent) h.cutLongPercent = sure;

    PerReading<double> swr = r.atDesign.swr;
    if (check.measured && check.measured->trim) {
        h.cut = CutChoice::Trimmed;
        h.lengths = *check.measured->trim;
        // A trimmed loop resonates at the design frequency as the tuned one
        // does; without a tune, a loop s times the model's size behaves at
        // the design frequency as the model at s times it.
        if (r.tuned && r.tuned->atDesign) {
            swr = r.tuned->atDesign->swr;
        } else if (!r.sweep.empty() && model.heightMm > 0) {
            swr = SwrAt(r.sweep, model.designMHz * h.lengths.heightMm / model.heightMm);
        }
    } else if (r.tuned && off) {
        h.cut = CutChoice::Tuned;
        h.lengths = *r.tuned;
        if (r.tuned->atDesign) swr = r.tuned->atDesign->swr;
    } else {
        h.cut = CutChoice::Design;
        h.lengths = ScaledDesign::Of(model, 1);
        // Never a tune that was asked for and gave nothing.
        if (!r.tuned && !r.tuneAsked && off) h.advice.push_back(Advice::Tune);
    }
    h.bestReading = BestReading(swr);
    h.bestSwr = swr[h.bestReading];
    return h;
}

}  // namespace corvanta::nec
