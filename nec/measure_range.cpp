#include "nec/measure_range.h"

#include <algorithm>
#include <cmath>

#include "nec/analysis.h"
#include "nec/model_check.h"
#include "nec/number_text.h"

namespace corvanta::nec {

MeasureRangeResult ChooseMeasureRange(const MeasureRangeInput& input) {
    const double design = input.designMHz;
    if (!(design > 0) || !std::isfinite(design)) return {std::nullopt, "no design frequency to sweep around"};
    if (input.points < 1) return {std::nullopt, "no points to sweep"};
    MeasureRange range;
    range.points = input.points;
    range.aroundModel = input.resonanceMHz && *input.resonanceMHz > 0 && std::isfinite(*input.resonanceMHz);
    range.aroundMHz = range.aroundModel ? *input.resonanceMHz : design;
    const double uncertainty =
        input.uncertaintyPercent && std::isfinite(*input.uncertaintyPercent) ? std::abs(*input.uncertaintyPercent) : 0;
    range.widthPercent = uncertainty + kMeasureMarginPercent;
    range.fromMHz = std::min(range.aroundMHz * (1 - range.widthPercent / 100), design);
    range.toMHz = std::max(range.aroundMHz * (1 + range.widthPercent / 100), design);
    if (input.band && input.band->fromMHz > 0 && input.band->toMHz >= input.band->fromMHz) {
        range.band = input.band;
        range.fromMHz = std::min(range.fromMHz, input.band->fromMHz);
        range.toMHz = std::max(range.toMHz, input.band->toMHz);
    }
    if (input.limits) {
        const FrequencyLimits& l = *input.limits;
        const double from = std::max(range.fromMHz, l.fromMHz), to = std::min(range.toMHz, l.toMHz);
        // The resonance itself out of reach: a sweep of the rest would
        // show no resonance and give no trim.
        if (!(l.fromMHz <= range.aroundMHz && range.aroundMHz <= l.toMHz) || !(from < to)) {
            return {std::nullopt, "the analyser sweeps " + Trimmed(l.fromMHz, 6) + " to " + Trimmed(l.toMHz, 6) +
                                      " MHz, which does not reach " + MhzText(range.aroundMHz) + " MHz"};
        }
        range.limited = from != range.fromMHz || to != range.toMHz;
        range.fromMHz = from;
        range.toMHz = to;
    }
    // One point sweeps one frequency: the resonance's.
    if (range.points == 1) range.fromMHz = range.toMHz = range.aroundMHz;
    return {range, {}};
}

MeasureRangeInput MeasureRangeInputOf(const ModelCheck& check, std::optional<FrequencyLimits> limits) {
    const CheckReport& r = check.report;
    MeasureRangeInput input;
    input.designMHz = check.plan.model.designMHz;
    input.resonanceMHz = NearestTo(r.resonancesMHz, input.designMHz);
    if (!input.resonanceMHz) input.resonanceMHz = r.outsideResonanceMHz;
    input.uncertaintyPercent = r.resonanceUncertaintyPercent;
    input.band = check.plan.feed.band;
    input.points = check.plan.sweep.points;
    input.limits = limits;
    return input;
}

std::string MeasureRangeText(const MeasureRange& range) {
    std::string text = "the analyser swept " + Trimmed(range.fromMHz, 6) + " to " + Trimmed(range.toMHz, 6) +
                       " MHz in " + std::to_string(range.points) + (range.points == 1 ? " point: " : " points: ");
    const std::string band =
        !range.band ? std::string()
                    : "the band " + (range.band->name.empty() ? std::string() : range.band->name + " ") + "(" +
                          Trimmed(range.band->fromMHz, 6) + " to " + Trimmed(range.band->toMHz, 6) + " MHz)";
    if (range.aroundModel) {
        text += "the model's resonance " + MhzText(range.aroundMHz) + " MHz within " + Fixed(range.widthPercent, 2) +
                " % (its uncertainty and " + Trimmed(kMeasureMarginPercent, 2) + " % more)" +
                (band.empty() ? " and the design frequency" : ", the design frequency and " + band);
    } else {
        text += "the design frequency " + MhzText(range.aroundMHz) + " MHz within " + Fixed(range.widthPercent, 2) +
                " %, the model showing no resonance" + (band.empty() ? "" : ", and " + band);
    }
    if (range.limited) text += ", as far as the analyser reaches";
    return text;
}

}  // namespace corvanta::nec
