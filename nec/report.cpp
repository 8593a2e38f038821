#include "nec/report.h"

#include <algorithm>
#include <cmath>

#include "nec/feed_report.h"
#include "nec/json.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"

namespace corvanta::nec {

namespace {

std::string VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Passed:
            return "ok";
        case Verdict::Failed:
            return "FAILED";
        case Verdict::NotApplicable:
            return "n/a";
    }
    return "";
}

std::string Cell(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// The lengths the trim scales, and how well the model fits the measurement.
std::string MeasuredFitText(const Measurement& m) {
    std::string text =
        "  built: " + ScaledDesignText(m.built) + (m.assumesDesignLengths ? " (the design's, assumed)" : "") + "\n";
    if (m.fit) {
        text += "  fit: the loop as the model's at " + ScaleText(m.fit->scale) +
                " times its size, the lines' velocity factor " + Fixed(m.fit->velocityFactor, 3) +
                (m.fit->velocityFactorHeld ? " (measured, held)" : "") + "; the curves still differ by " +
                Fixed(m.fit->residualPercent, 2) + " % (RMS of |S11|)";
        if (m.otherShapeFit) {
            text += "; the " + std::to_string(m.otherSides) + "-sided loop's by " +
                    Fixed(m.otherShapeFit->residualPercent, 2) + " %";
        }
        text += "\n";
        if (m.fitResonanceMHz) text += "  the fitted loop resonates at " + MhzText(*m.fitResonanceMHz) + " MHz\n";
    }
    return text;
}

// The measurement's notes, the refusal's with what to do in the front
// end's words.
std::vector<std::string> MeasuredNotes(const Measurement& m, const AdviceWords& advise) {
    std::vector<std::string> notes;
    for (const std::string& note : m.notes) {
        if (m.linesLookOhm && note == m.refusal) {
            notes.push_back(note + "; " + advise(Advice::LineImpedance, *m.linesLookOhm));
        } else {
            notes.push_back(note);
        }
    }
    return notes;
}

std::string MeasuredText(const Measurement& m, const AdviceWords& advise) {
    const auto mhz = [](const std::optional<double>& value) {
        return value ? MhzText(*value) + " MHz" : std::string("none");
    };
    std::string text = "measured (" + m.source + ", " + std::to_string(m.points.size()) +
                       (m.points.size() == 1 ? " point" : " points") +
                       ", where the lines join; the lines undone for the gap)\n";
    if (m.refused) {
        text += "  refused: no resonance and no trim from it (the note says why); the model's resonance " +
                mhz(m.modelResonanceMHz);
    } else {
        text += "  gap resonance " + mhz(m.resonanceMHz) + ", the model's " + mhz(m.modelResonanceMHz);
        if (const auto shift = m.ShiftMHz()) {
            text += ": shifted " + Fixed(*shift, 3) + " MHz (" + Fixed(*m.ShiftPercent(), 2) + " %)";
        }
    }
    text += "\n  lowest SWR on " + Trimmed(m.referenceOhm, 3) + " ohm " + SwrText(m.minSwr, 2) +
            (m.minSwrAtEdge ? " at the edge of the measurement (" + MhzText(m.minSwrMHz) + " MHz)"
                            : " at " + MhzText(m.minSwrMHz) + " MHz") +
            "; the model's lowest at " + mhz(m.modelMinSwrMHz) + "\n";
    text += MeasuredFitText(m);
    if (m.trim) {
        text += std::string("  trim: ") +
                (m.trimFromTune ? "the model's tuned lengths, corrected by the fit" : "the lengths as cut, scaled") +
                ": the lengths as cut times " + ScaleText(m.trim->scale) + " resonate at the design frequency\n  " +
                ScaledDesignText(*m.trim) + "\n";
        if (m.trimUncertainty && m.trimSpan) {
            const TrimUncertainty& u = *m.trimUncertainty;
            text += "  sure within " + Fixed(u.TotalPercent(), 2) + " % (strays at the junction " +
                    Fixed(u.straysPercent, 2) + " %, the lines' velocity factor " + Fixed(u.velocityFactorPercent, 2) +
                    " %, the noise " + Fixed(u.noisePercent, 2) + " %): trim " + ScaleText((*m.trimSpan)[0]) + " to " +
                    ScaleText((*m.trimSpan)[1]) + "\n";
        }
        if (m.assumesDesignLengths) {
            text += "  " + std::string(kAssumesDesignLengths) + "\n";
        }
    }
    for (const std::string& note : MeasuredNotes(m, advise)) text += "  note: " + note + "\n";
    return text;
}

Json MeasuredJson(const Measurement& m, const AdviceWords& advise) {
    Json json = {{"source", m.source},
                 {"points", m.points.size()},
                 {"resonance_mhz", JsonNumber(m.resonanceMHz, 4)},
                 {"model_resonance_mhz", JsonNumber(m.modelResonanceMHz, 4)},
                 {"shift_mhz", JsonNumber(m.ShiftMHz(), 4)},
                 {"shift_percent", JsonNumber(m.ShiftPercent(), 3)},
                 {"min_swr", JsonNumber(m.minSwr, 4)},
                 {"min_swr_mhz", JsonNumber(m.minSwrMHz, 4)},
                 {"min_swr_at_edge", m.minSwrAtEdge},
                 {"model_min_swr_mhz", JsonNumber(m.modelMinSwrMHz, 4)},
                 {"reference_ohm", JsonNumber(m.referenceOhm, 6)},
                 {"assumes_design_lengths", m.assumesDesignLengths},
                 {"trim_scale", m.trim ? JsonNumber(m.trim->scale, 6) : Json(nullptr)},
                 {"trimmed", m.trim ? ScaledDesignJson(*m.trim) : Json(nullptr)}};
    json["built"] = {{"height_mm", JsonNumber(m.built.heightMm, 4)},
                     {"side_mm", JsonNumber(m.built.sideMm, 4)},
                     {"gap_mm", JsonNumber(m.built.gapMm, 4)}};
    json["fit"] = nullptr;
    if (m.fit) {
        json["fit"] = {{"scale", JsonNumber(m.fit->scale, 6)},
                       {"velocity_factor", JsonNumber(m.fit->velocityFactor, 4)},
                       {"velocity_factor_held", m.fit->velocityFactorHeld},
                       {"residual_percent", JsonNumber(m.fit->residualPercent, 3)},
                       {"resonance_mhz", JsonNumber(m.fitResonanceMHz, 4)},
                       {"left_out_mhz", Json::array()}};
        for (double mhz : m.fit->leftOutMHz) json["fit"]["left_out_mhz"].push_back(JsonNumber(mhz, 4));
    }
    const auto span = [](const std::optional<std::array<double, 2>>& values, int decimals) {
        return values ? Json::array({JsonNumber((*values)[0], decimals), JsonNumber((*values)[1], decimals)})
                      : Json(nullptr);
    };
    json["resonance_span_mhz"] = span(m.resonanceSpanMHz, 4);
    json["trim_span"] = span(m.trimSpan, 6);
    json["trim_from_tune"] = m.trimFromTune;
    json["trim_uncertainty"] = nullptr;
    if (m.trimUncertainty) {
        const TrimUncertainty& u = *m.trimUncertainty;
        json["trim_uncertainty"] = {{"percent", JsonNumber(u.TotalPercent(), 3)},
                                    {"strays_percent", JsonNumber(u.straysPercent, 3)},
                                    {"velocity_factor_percent", JsonNumber(u.velocityFactorPercent, 3)},
                                    {"noise_percent", JsonNumber(u.noisePercent, 3)}};
    }
    json["refused"] = m.refused ? Json(m.refusal) : Json(nullptr);
    json["lines_look_ohm"] = JsonNumber(m.linesLookOhm, 0);
    json["measure_mhz"] = span(m.measureMHz, 6);
    json["notes"] = MeasuredNotes(m, advise);
    return json;
}

Json ImpedanceJson(std::complex<double> z) {
    return Json{{"r", JsonNumber(z.real(), 4)}, {"x", JsonNumber(z.imag(), 4)}};
}

// Where a reading stays under 2:1, as [from, to] pairs; null for an edge
// the sweep ran into.
Json RangesJson(const std::vector<Range>& ranges) {
    Json json = Json::array();
    for (const Range& range : ranges) {
        json.push_back(Json::array({JsonNumber(range.fromMHz, 4), JsonNumber(range.toMHz, 4)}));
    }
    return json;
}

// Readings at the gaps before those at the junction, as the JSON has
// always listed them: the junction's impedance heads its own readings.
std::vector<std::size_t> GapsFirst() {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        if (kReadings[i].point != FeedPoint::Junction) order.push_back(i);
    }
    for (std::size_t i : ReadingsAt(FeedPoint::Junction)) order.push_back(i);
    return order;
}

Json AtDesignJson(const SweepPoint& d) {
    Json json = {{"gap", ImpedanceJson(d.gaps.front())}, {"parallel", ImpedanceJson(d.parallel)}};
    for (std::size_t i : GapsFirst()) {
        if (kReadings[i].point == FeedPoint::Junction && !json.contains("lines")) {
            json["lines"] = ImpedanceJson(d.lines);
        }
        json[std::string(kReadings[i].swrKey)] = JsonNumber(d.swr[i], 4);
    }
    if (!json.contains("lines")) json["lines"] = ImpedanceJson(d.lines);
    return json;
}

Json SweepPointJson(const SweepPoint& p) {
    Json json = {{"mhz", JsonNumber(p.mhz, 6)}, {"gaps", Json::array()}, {"parallel", ImpedanceJson(p.parallel)}};
    for (const std::complex<double>& gap : p.gaps) json["gaps"].push_back(ImpedanceJson(gap));
    for (std::size_t i = 0; i < kReadingCount; ++i) json[std::string(kReadings[i].swrKey)] = JsonNumber(p.swr[i], 4);
    json["lines"] = ImpedanceJson(p.lines);
    return json;
}

Json HeadlineJson(const Headline& h, const AdviceWords& advise) {
    Json json = {{"resonance_mhz", JsonNumber(h.resonanceMHz, 4)},
                 {"resonance_offset_percent", JsonNumber(h.resonanceOffsetPercent, 3)},
                 {"uncertainty_percent", JsonNumber(h.uncertaintyPercent, 3)},
                 {"lengths_uncertainty_percent", JsonNumber(h.lengthsUncertaintyPercent, 3)},
                 {"measurement_refused", h.measurementRefused ? Json(*h.measurementRefused) : Json(nullptr)},
                 {"cut", std::string(CutName(h.cut))},
                 {"lengths", ScaledDesignJson(h.lengths)},
                 {"best_reading", std::string(h.BestKey())},
                 {"best_swr", JsonNumber(h.bestSwr, 4)},
                 {"cut_long_percent", JsonNumber(h.cutLongPercent, 3)},
                 {"far_off", h.farOff},
                 {"outside_sweep", nullptr},
                 {"advice", Json::array()}};
    if (h.outside) {
        const OutsideResonance& o = *h.outside;
        json["outside_sweep"] = {
            {"resonance_mhz", JsonNumber(o.mhz, 4)},
            {"resonance_offset_percent", JsonNumber(o.offsetPercent, 3)},
            {"side", o.side == SweepSide::Below   ? "below"
                     : o.side == SweepSide::Above ? "above"
                                                  : "between"},
            {"sweep_reaching_mhz", Json::array({JsonNumber(o.reachFromMHz, 6), JsonNumber(o.reachToMHz, 6)})}};
    }
    if (h.twoSweepCut) {
        const TwoSweepCut& c = *h.twoSweepCut;
        json["two_sweep_cut"] = {{"height_mm", JsonNumber(c.lengths.heightMm, 4)},
                                 {"side_mm", JsonNumber(c.lengths.sideMm, 4)},
                                 {"gap_mm", JsonNumber(c.lengths.gapMm, 4)},
                                 {"mhz_per_percent", JsonNumber(c.mhzPerPercent, 4)},
                                 {"difference_percent", JsonNumber(c.differencePercent, 3)}};
    }
    for (Advice advice : h.advice) json["advice"].push_back(advise(advice, 0));
    return json;
}

// "the model's gap reactance comes nearest zero at 144.600 MHz (-3.21 ohm)
// without crossing it: the loop is nearly resonant there".
std::string NearestApproachText(const NearestApproach& near) {
    return "the model's gap reactance does not cross zero in the sweep; it comes nearest at " + MhzText(near.mhz) +
           " MHz (" + Fixed(near.reactanceOhm, 2) + " ohm)" +
           (near.atEdge ? ", at the sweep's edge: the resonance may lie beyond it"
                        : ": the loop is nearly resonant there");
}

}  // namespace

std::vector<std::string> HeadlineLines(const ModelCheck& check, const AdviceWords& advise, Medium medium) {
    const Headline h = HeadlineOf(check);
    const double design = check.plan.model.designMHz;
    std::vector<std::string> lines;
    if (h.resonanceOffsetPercent) {
        const double offset = *h.resonanceOffsetPercent;
        std::string line = "the model resonates at " + MhzText(*h.resonanceMHz) + " MHz, " +
                           Fixed(std::abs(offset), 2) + " % " + (offset < 0 ? "below" : "above") +
                           " the design frequency";
        line += h.uncertaintyPercent ? "; the model is sure of it within " + Fixed(*h.uncertaintyPercent, 2) + " %"
                                     : "; the model's uncertainty is not known";
        if (h.farOff) line += ": the design's lengths are far off";
        lines.push_back(line);
    } else if (h.outside) {
        const OutsideResonance& o = *h.outside;
        const std::string sweep = MhzText(o.sweepFromMHz) + " to " + MhzText(o.sweepToMHz) + " MHz";
        lines.push_back("the model resonates at " + MhzText(o.mhz) + " MHz, " + Fixed(std::abs(o.offsetPercent), 2) +
                        " % " + (o.offsetPercent < 0 ? "below" : "above") + " the design frequency, " +
                        (o.side == SweepSide::Below ? "below the sweep (" + sweep + ")"
                         : o.side == SweepSide::Above
                             ? "above the sweep (" + sweep + ")"
                             : "within the sweep (" + sweep + ") but between two of its points") +
                        ", found by runs of its own; a sweep from " + Trimmed(o.reachFromMHz, 6) + " to " +
                        Trimmed(o.reachToMHz, 6) + " MHz shows it");
    } else if (h.nearestApproach) {
        lines.push_back(NearestApproachText(*h.nearestApproach));
    } else if (!check.report.sweep.empty()) {
        lines.push_back("the model shows no resonance in the sweep (" + MhzText(check.report.sweep.front().mhz) +
                        " to " + MhzText(check.report.sweep.back().mhz) +
                        " MHz), and runs from the design frequency found none near it");
    } else {
        lines.push_back("the model shows no resonance: the sweep is empty");
    }
    const std::string which = h.cut == CutChoice::Trimmed ? "the lengths trimmed from the measurement"
                              : h.cut == CutChoice::Tuned ? "the tuned lengths"
                                                          : "the design's lengths";
    const auto lengthWords = [medium](const ScaledDesign& lengths) {
        std::string words = ScaledDesignText(lengths);
        if (medium == Medium::Typeset) {
            for (std::size_t at; (at = words.find(" in)")) != std::string::npos;) words.replace(at, 4, "″)");
        }
        return words;
    };
    lines.push_back("cut " + which + ": " + lengthWords(h.lengths));
    if (h.twoSweepCut) {
        const TwoSweepCut& c = *h.twoSweepCut;
        const std::string count = c.sweeps == 2 ? "two" : std::to_string(c.sweeps);
        lines.push_back("from the last " + count +
                        " sweeps: " + lengthWords({1, c.lengths.heightMm, c.lengths.sideMm, c.lengths.gapMm}) + " (" +
                        Fixed(c.mhzPerPercent, 3) + " MHz per 1 %); " + Fixed(c.differencePercent, 2) +
                        " % from the cut above");
    }
    const std::string feed =
        h.bestAtRadio ? RadioEndLabel(check.plan.referenceOhm, medium) + " (" + ChainText(*check.plan.feed.chain) + ")"
                      : ReadingLabel(kReadings[h.bestReading], medium);
    lines.push_back("feed: " + feed + ", SWR " + SwrText(h.bestSwr) + " at " + Shortest(design) +
                    " MHz with these lengths");
    if (h.measurementRefused) {
        lines.push_back("the measurement was refused, so the lengths are not trimmed from it: " +
                        *h.measurementRefused);
    }
    if (h.cutLongPercent && h.trimUncertainty) {
        const TrimUncertainty& u = *h.trimUncertainty;
        lines.push_back("the trimmed lengths are sure within " + Fixed(*h.cutLongPercent, 2) + " % (the model " +
                        Fixed(h.uncertaintyPercent.value_or(0), 2) + " %, strays at the junction " +
                        Fixed(u.straysPercent, 2) + " %, the lines' velocity factor " +
                        Fixed(u.velocityFactorPercent, 2) + " %, the noise " + Fixed(u.noisePercent, 2) + " %): cut " +
                        Fixed(*h.cutLongPercent, 2) +
                        " % long and measure again, better: the analyser calibrated with open, short and load at "
                        "the junction's own connector, and the lines' velocity factor measured");
    } else if (h.cutLongPercent) {
        lines.push_back("the model is unsure of the resonance by " + Fixed(*h.cutLongPercent, 2) + " %: cut " +
                        Fixed(*h.cutLongPercent, 2) + " % long and trim from a measurement");
    }
    for (Advice advice : h.advice) lines.push_back(advise(advice, 0));
    return lines;
}

namespace {

// Over real ground, what the engine's efficiency leaves out.
std::string SkyText(const CheckReport& r, Ground ground) {
    if (ground != Ground::Average) return "";
    return "; " + Fixed(r.skyPercent, 2) + " % reaches the sky and " + Fixed(r.groundLossPercent, 2) +
           " % goes into the ground, as heat or as the surface wave along it";
}

// "the model's uncertainty 0.28 %", or nothing where it is not known.
std::string UncertaintyWords(const CheckReport& r) {
    if (!r.resonanceUncertaintyPercent) return "";
    return "the model's uncertainty " + Fixed(*r.resonanceUncertaintyPercent, 2) + " %";
}

std::string UncertaintyText(const CheckReport& r) {
    if (!r.resonanceUncertaintyPercent) return "";
    return "  the tuned lengths carry " + UncertaintyWords(r) +
           ": the resonance moves that much when the segments change\n";
}

// The loop's own resonances, with how far the model can place them, and
// where it resonates the other way.
std::string ResonancesText(const CheckReport& r) {
    std::string text = "series resonance (gap reactance rising through zero) at: ";
    if (r.resonancesMHz.empty()) text += "none in the sweep";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        text += (i ? ", " : "") + MhzText(r.resonancesMHz[i]) + " MHz";
    }
    if (r.resonanceUncertaintyPercent) text += " (" + UncertaintyWords(r) + ")";
    text += "\n";
    if (!r.antiresonances.empty()) {
        text += "anti-resonance (gap reactance falling through zero) at: ";
        for (std::size_t i = 0; i < r.antiresonances.size(); ++i) {
            text += (i ? ", " : "") + MhzText(r.antiresonances[i].mhz) + " MHz (R " +
                    Fixed(r.antiresonances[i].rOhm, 0) + " ohm)";
        }
        text += "\n";
    }
    return text;
}

// Whether the tuned loop's reactance crosses zero, or only comes near it.
std::string TunedResonanceText(const TunedDesign& t) {
    if (t.crossing && t.resonanceMHz) {
        return "the tuned loop's gap reactance crosses zero at " + MhzText(*t.resonanceMHz) + " MHz" +
               (t.reached ? "" : ", not within " + Trimmed(kTuneTolerance * 100, 3) + " % of the design frequency");
    }
    if (t.nearestApproach) {
        return "the tuned loop's gap reactance does not cross zero near the design frequency; it comes nearest at " +
               MhzText(t.nearestApproach->mhz) + " MHz (" + Fixed(t.nearestApproach->reactanceOhm, 2) + " ohm)";
    }
    return "the tuned loop's gap reactance crosses zero nowhere near the design frequency";
}

// How the sweep was made.
std::string SamplingText(const CheckReport& r) {
    const SweepSampling& s = r.sampling;
    const std::string rows = std::to_string(r.sweep.size()) + (r.sweep.size() == 1 ? " point" : " points");
    if (s.mode == SweepMode::Exact) return "sweep: " + rows + ", every one from the engine\n";
    return "sweep: " + rows + ", " + std::to_string(s.engineMHz.size()) +
           " from the engine, the rest from a rational interpolant through them (within " +
           Fixed(*s.interpolationMaxError * 100, 3) +
           " % of the engine's gap impedance at rows it had not seen: near both ends and in the widest gaps)\n";
}

}  // namespace

std::string ReportText(const ModelCheck& check, const AdviceWords& advise) {
    const LoopModel& model = check.plan.model;
    const CheckReport& r = check.report;
    std::string text = "NEC-2 check of the " + Shortest(model.designMHz) + " MHz " + std::to_string(model.sides) +
                       "-sided loop (nec2c, " + GroundName(model.placement.ground) + ", " +
                       std::to_string(model.TotalSegments()) + " segments)\n";
    const std::vector<std::string> headline = HeadlineLines(check, advise, Medium::Plain);
    for (std::size_t i = 0; i < headline.size(); ++i) text += (i ? "  " : "verdict: ") + headline[i] + "\n";
    const FeedLine& line = check.plan.line;
    text +=
        "lines: each gap feeds " + Trimmed(line.lengthMm, 4) + " mm of " + Trimmed(line.impedanceOhm, 3) +
        " ohm line, velocity factor " + Trimmed(line.velocityFactor, 3) + ", lossless, joined at one point, balanced" +
        (line.velocityFactor == kLineVelocityFactor ? " (0.82 is TV twin-lead, open ladder line is nearer 0.9)" : "") +
        "\n";
    const SweepPoint& d = r.atDesign;
    text += "at " + Shortest(d.mhz) + " MHz, the design's loop:\n";
    for (const FeedPointInfo& feed : kFeedPoints) {
        text += "  " + std::string(feed.name) + ": " + ImpedanceWords(d.At(feed.point), Medium::Plain);
        const std::vector<std::size_t> readings = ReadingsAt(feed.point);
        for (std::size_t n = 0; n < readings.size(); ++n) {
            const std::size_t i = readings[n];
            text += (n ? ", " : "; SWR ") + SwrText(d.swr[i]) + " on " + ReferenceText(kReadings[i], Medium::Plain);
        }
        text += "\n";
    }
    text += "  maximum gain " + Fixed(r.maxGainDbi, 2) + " dBi at elevation " + Fixed(r.MaxGainElevationDeg(), 0) +
            " (theta " + Fixed(r.maxGainThetaDeg, 0) + "), phi " + Fixed(r.maxGainPhiDeg, 0) + " degrees; efficiency " +
            Fixed(r.efficiencyPercent, 2) + " %" + SkyText(r, model.placement.ground) + "\n";
    text += ResonancesText(r) + SamplingText(r) + "SWR under 2:1, the design's loop\n";
    for (std::size_t i : ReadingsInView()) {
        text += "  " + ReadingLabel(kReadings[i], Medium::Plain) + ": " + RangesText(r.under2[i]) + "\n";
    }
    text += FeedText(check);
    text += "sanity checks\n";
    for (const SanityCheck& c : r.sanity) {
        const std::string verdict = VerdictName(c.verdict);
        text += "  " + verdict + std::string(8 - verdict.size(), ' ') + c.name + ": " + c.detail + "\n";
    }
    if (r.tuned) {
        const TunedDesign& t = *r.tuned;
        text += "tuned by the model (" + std::to_string(t.rounds) +
                (t.onSlope ? " rounds at the design frequency, along the sweep's slope" : " rounds of short sweeps") +
                "): HEIGHT, SIDE and GAP times " + ScaleText(t.scale) + "\n  " + ScaledDesignText(t) + "\n" + "  " +
                TunedResonanceText(t) + "; the design itself stays as COMPUTE gives it\n" + UncertaintyText(r);
    }
    if (check.measured) text += MeasuredText(*check.measured, advise);
    for (const std::string& note : r.notes) text += "note: " + note + "\n";
    for (const std::string& note : check.feed.notes) text += "note: " + note + "\n";
    for (Advice advice : r.advice) text += "note: " + advise(advice, 0) + "\n";

    // The sweep as a table: each feed point's R and X, then its SWR on
    // each of its readings; a column as wide as its heading.
    std::vector<std::string> headings = {"MHz"};
    for (const FeedPointInfo& feed : kFeedPoints) {
        headings.push_back(std::string(feed.shortName) + " R");
        headings.push_back(std::string(feed.shortName) + " X");
        for (std::size_t i : ReadingsAt(feed.point)) {
            const Reading& reading = kReadings[i];
            headings.push_back(std::string(feed.shortName) + " SWR " + Trimmed(reading.referenceOhm, 3) +
                               (reading.through.empty() ? "" : " (" + std::string(reading.through) + ")"));
        }
    }
    const auto width = [&](std::size_t column) { return std::max<std::size_t>(10, headings[column].size() + 2); };
    text += "\n";
    for (std::size_t c = 0; c < headings.size(); ++c) text += Cell(headings[c], width(c));
    text += "\n";
    for (const SweepPoint& p : r.sweep) {
        std::size_t c = 0;
        text += Cell(Fixed(p.mhz, 3), width(c++));
        for (const FeedPointInfo& feed : kFeedPoints) {
            text += Cell(Fixed(p.At(feed.point).real(), 2), width(c++));
            text += Cell(Fixed(p.At(feed.point).imag(), 2), width(c++));
            for (std::size_t i : ReadingsAt(feed.point)) text += Cell(SwrText(p.swr[i]), width(c++));
        }
        text += "\n";
    }
    return text;
}

std::string ReportJson(const ModelCheck& check, const AdviceWords& advise) {
    const LoopModel& model = check.plan.model;
    const FeedLine& line = check.plan.line;
    const CheckReport& r = check.report;
    Json json = {
        {"headline", HeadlineJson(HeadlineOf(check), advise)},
        {"design_mhz", JsonNumber(model.designMHz, 6)},
        {"sides", model.sides},
        {"ground", GroundName(model.placement.ground)},
        {"segments", model.TotalSegments()},
        {"kernel", model.kernel == Kernel::Extended ? "extended thin-wire" : "thin-wire"},
        {"line",
         {{"impedance_ohm", JsonNumber(line.impedanceOhm, 4)},
          {"velocity_factor", JsonNumber(line.velocityFactor, 4)},
          {"length_mm", JsonNumber(line.lengthMm, 4)}}},
        {"at_design", AtDesignJson(r.atDesign)},
        {"max_gain_dbi", JsonNumber(r.maxGainDbi, 2)},
        {"max_gain_theta_deg", JsonNumber(r.maxGainThetaDeg, 1)},
        {"max_gain_phi_deg", JsonNumber(r.maxGainPhiDeg, 1)},
        {"max_gain_elevation_deg", JsonNumber(r.MaxGainElevationDeg(), 1)},
        {"efficiency_percent", JsonNumber(r.efficiencyPercent, 2)},
        {"average_power_gain", JsonNumber(r.averagePowerGain, 5)},
        {"resonances_mhz", Json::array()},
    };
    for (double mhz : r.resonancesMHz) json["resonances_mhz"].push_back(JsonNumber(mhz, 4));
    json["antiresonances"] = Json::array();
    for (const AntiResonance& a : r.antiresonances) {
        json["antiresonances"].push_back({{"mhz", JsonNumber(a.mhz, 4)}, {"r_ohm", JsonNumber(a.rOhm, 2)}});
    }
    json["resonance_uncertainty_percent"] =
        r.resonanceUncertaintyPercent ? JsonNumber(*r.resonanceUncertaintyPercent, 3) : Json(nullptr);
    {
        const Convergence& c = r.convergence;
        Json levels = Json::array();
        for (double mhz : c.levelsMHz) levels.push_back(JsonNumber(mhz, 4));
        json["convergence"] = {{"resonances_mhz", levels},
                               {"settling", c.settling == Settling::Order       ? "order"
                                            : c.settling == Settling::Unsettled ? "unsettled"
                                                                                : "spread"},
                               {"order", JsonNumber(c.order, 3)},
                               {"converged_mhz", JsonNumber(c.convergedMHz, 4)},
                               {"feed_percent", JsonNumber(c.feedPercent, 3)},
                               {"even_cut_percent", JsonNumber(c.evenPercent, 3)}};
    }
    json["nearest_approach"] = nullptr;
    if (r.nearestApproach) {
        json["nearest_approach"] = {{"mhz", JsonNumber(r.nearestApproach->mhz, 4)},
                                    {"x_ohm", JsonNumber(r.nearestApproach->reactanceOhm, 3)},
                                    {"at_edge", r.nearestApproach->atEdge}};
    }
    json["sweep_mode"] = r.sampling.mode == SweepMode::Adaptive ? "adaptive" : "exact";
    json["engine_points"] = Json::array();
    for (double mhz : r.sampling.engineMHz) json["engine_points"].push_back(JsonNumber(mhz, 6));
    json["interpolation_max_error"] =
        r.sampling.interpolationMaxError ? JsonNumber(*r.sampling.interpolationMaxError, 8) : Json(nullptr);
    json["sky_percent"] = JsonNumber(r.skyPercent, 2);
    json["ground_loss_percent"] = JsonNumber(r.groundLossPercent, 2);
    for (std::size_t i : GapsFirst()) json[std::string(kReadings[i].rangesKey)] = RangesJson(r.under2[i]);
    json["tuned"] = nullptr;
    if (r.tuned) {
        const TunedDesign& t = *r.tuned;
        json["tuned"] = {{"scale", JsonNumber(t.scale, 6)}};
        json["tuned"].update(ScaledDesignJson(t));
        json["tuned"]["resonance_mhz"] = JsonNumber(t.crossing ? t.resonanceMHz : std::optional<double>(), 4);
        json["tuned"]["crossing"] = t.crossing;
        if (t.atDesign) {
            for (std::size_t i = 0; i < kReadingCount; ++i) {
                if (kReadings[i].buildable)
                    json["tuned"][std::string(kReadings[i].swrKey)] = JsonNumber(t.atDesign->swr[i], 4);
            }
        }
    }
    if (check.measured) json["measured"] = MeasuredJson(*check.measured, advise);
    json["sanity"] = Json::array();
    for (const SanityCheck& c : r.sanity) {
        json["sanity"].push_back({{"name", c.name},
                                  {"passed", c.verdict != Verdict::Failed},
                                  {"verdict", c.verdict == Verdict::Passed   ? "ok"
                                              : c.verdict == Verdict::Failed ? "failed"
                                                                             : "not applicable"},
                                  {"detail", c.detail}});
    }
    json["notes"] = r.notes;
    for (Advice advice : r.advice) json["notes"].push_back(advise(advice, 0));
    json["sweep"] = Json::array();
    for (const SweepPoint& p : r.sweep) json["sweep"].push_back(SweepPointJson(p));
    // One a segment in the engine's order, at the design frequency; the
    // engine prints five digits of each.
    json["currents"] = Json::array();
    const auto point = [](const Point3& p) {
        return Json{{"x", JsonNumber(p.x, 6)}, {"y", JsonNumber(p.y, 6)}, {"z", JsonNumber(p.z, 6)}};
    };
    for (const SegmentCurrent& c : r.currents) {
        json["currents"].push_back({{"from", point(c.segment.from)},
                                    {"to", point(c.segment.to)},
                                    {"magnitude_a", JsonNumber(c.magnitudeA, 9)},
                                    {"phase_deg", JsonNumber(c.phaseDeg, 3)}});
    }
    AddFeedJson(json, check);
    return JsonText(json);
}

}  // namespace corvanta::nec
