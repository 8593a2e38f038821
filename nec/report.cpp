#include "nec/report.h"

#include <cmath>

#include "nec/text_format.h"

namespace corvanta::nec {

namespace {

std::string Impedance(std::complex<double> z) { return ImpedanceText(z, 2); }

// A number for JSON: null where it is not finite, which JSON cannot hold.
std::string JsonNumber(double value, int decimals) {
    return std::isfinite(value) ? Fixed(value, decimals) : "null";
}

std::string SwrJson(double swr) { return JsonNumber(swr, 4); }

// Frequencies in text to 5 significant digits, at least 2 decimals: 146.00,
// 14.000, 0.13750 MHz.
std::string MhzText(double mhz) {
    const int magnitude = mhz > 0 ? static_cast<int>(std::floor(std::log10(mhz))) : 0;
    return Fixed(mhz, std::max(2, 4 - magnitude));
}

std::string RangesText(const std::vector<Range>& ranges) {
    if (ranges.empty()) return "none in the sweep";
    std::string text;
    for (const Range& range : ranges) {
        if (!text.empty()) text += ", ";
        text += range.fromMHz ? MhzText(*range.fromMHz) : "below the sweep's start";
        text += " to ";
        text += range.toMHz ? MhzText(*range.toMHz) + " MHz" : "beyond the sweep's end";
    }
    return text;
}

std::string RangesJson(const std::vector<Range>& ranges) {
    const auto edge = [](const std::optional<double>& mhz) { return mhz ? Fixed(*mhz, 4) : "null"; };
    std::string json = "[";
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        json += (i ? ", " : "") + std::string("[") + edge(ranges[i].fromMHz) + ", " +
                edge(ranges[i].toMHz) + "]";
    }
    return json + "]";
}

std::string VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Passed: return "ok";
    case Verdict::Failed: return "FAILED";
    case Verdict::NotApplicable: return "n/a";
    }
    return "";
}

std::string Cell(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string OptionalJson(const std::optional<double>& value, int decimals) {
    return value ? JsonNumber(*value, decimals) : "null";
}

std::string MeasuredText(const Measurement& m) {
    const auto mhz = [](const std::optional<double>& value) {
        return value ? Fixed(*value, 3) + " MHz" : std::string("none");
    };
    const auto size = [](double mm) { return Fixed(mm, 2) + " mm (" + Fixed(mm / kMmPerInch, 3) + " in)"; };
    std::string text = "measured (" + m.source + ", " + std::to_string(m.points.size()) +
                       (m.points.size() == 1 ? " point" : " points") + ", where the lines join; the lines undone for the gap)\n";
    text += "  gap resonance " + mhz(m.resonanceMHz) + ", the model's " + mhz(m.modelResonanceMHz);
    if (const auto shift = m.ShiftMHz()) {
        text += ": shifted " + Fixed(*shift, 3) + " MHz (" + Fixed(*m.ShiftPercent(), 2) + " %)";
    }
    text += "\n  lowest SWR on " + Trimmed(m.referenceOhm, 3) + " ohm " + SwrText(m.minSwr, 2) +
            (m.minSwrAtEdge ? " at the edge of the measurement (" + Fixed(m.minSwrMHz, 3) + " MHz)"
                            : " at " + Fixed(m.minSwrMHz, 3) + " MHz") +
            "; the model's lowest at " + mhz(m.modelMinSwrMHz) + "\n";
    if (m.trim) {
        text += "  trim: HEIGHT, SIDE and GAP times " + Fixed(m.trim->scale, 5) + " bring the built loop to "
                "resonance at the design frequency\n  HEIGHT " + size(m.trim->heightMm) + ", SIDE " +
                size(m.trim->sideMm) + ", GAP " + size(m.trim->gapMm) + "\n";
        if (m.assumesDesignLengths) {
            text += "  the trim assumes the loop was cut to the design's lengths; a loop cut otherwise needs "
                    "its own lengths scaled by the same factor\n";
        }
    }
    for (const std::string& note : m.notes) text += "  note: " + note + "\n";
    return text;
}

std::string MeasuredJson(const Measurement& m) {
    std::string json = "{\"points\": " + std::to_string(m.points.size()) +
                       ", \"resonance_mhz\": " + OptionalJson(m.resonanceMHz, 4) +
                       ", \"model_resonance_mhz\": " + OptionalJson(m.modelResonanceMHz, 4) +
                       ", \"shift_mhz\": " + OptionalJson(m.ShiftMHz(), 4) +
                       ", \"shift_percent\": " + OptionalJson(m.ShiftPercent(), 3) +
                       ", \"min_swr\": " + SwrJson(m.minSwr) +
                       ", \"min_swr_mhz\": " + JsonNumber(m.minSwrMHz, 4) +
                       ", \"min_swr_at_edge\": " + (m.minSwrAtEdge ? "true" : "false") +
                       ", \"model_min_swr_mhz\": " + OptionalJson(m.modelMinSwrMHz, 4) +
                       ", \"reference_ohm\": " + Trimmed(m.referenceOhm, 6) +
                       ", \"assumes_design_lengths\": " + (m.assumesDesignLengths ? "true" : "false") +
                       ", \"trim_scale\": " + (m.trim ? JsonNumber(m.trim->scale, 6) : "null") + ", \"trimmed\": ";
    if (m.trim) {
        const Trim& t = *m.trim;
        json += "{\"height_mm\": " + JsonNumber(t.heightMm, 3) + ", \"side_mm\": " + JsonNumber(t.sideMm, 3) +
                ", \"gap_mm\": " + JsonNumber(t.gapMm, 3) + ", \"height_in\": " + JsonNumber(t.heightMm / kMmPerInch, 4) +
                ", \"side_in\": " + JsonNumber(t.sideMm / kMmPerInch, 4) +
                ", \"gap_in\": " + JsonNumber(t.gapMm / kMmPerInch, 4) + "}";
    } else {
        json += "null";
    }
    json += ", \"notes\": [";
    for (std::size_t i = 0; i < m.notes.size(); ++i) json += (i ? ", " : "") + JsonString(m.notes[i]);
    return json + "]}";
}

}  // namespace

std::string GroundName(Ground ground) {
    switch (ground) {
    case Ground::Free: return "free space";
    case Ground::Average: return "average ground";
    case Ground::Perfect: return "perfect ground";
    }
    return "";
}

std::string ReportText(const ModelCheck& check, const AdviceWords& advise) {
    const LoopModel& model = check.plan.model;
    const CheckReport& r = check.report;
    std::string text = "NEC-2 check of the " + Shortest(model.designMHz) + " MHz " +
                       std::to_string(model.sides) + "-sided loop (nec2c, " +
                       GroundName(model.placement.ground) + ", " +
                       std::to_string(model.TotalSegments()) + " segments)\n";
    const FeedLine& line = check.plan.line;
    text += "lines: each gap feeds " + Trimmed(line.lengthMm, 4) + " mm of " +
            Trimmed(line.impedanceOhm, 3) + " ohm line, velocity factor " +
            Trimmed(line.velocityFactor, 3) + ", lossless, joined at one point" +
            (line.velocityFactor == kLineVelocityFactor ? " (0.82 is TV twin-lead, open ladder line is nearer 0.9)"
                                                        : "") +
            "\n";
    const SweepPoint& d = r.atDesign;
    text += "at " + Shortest(d.mhz) + " MHz: one gap " + Impedance(d.gaps.front()) +
            " ohm, the gaps in parallel " + Impedance(d.parallel) + " ohm\n";
    text += "  SWR of the parallel feed: " + SwrText(d.swrParallel300, 2) + " on 300 ohm, " +
            SwrText(d.swrParallel50, 2) + " on 50 ohm; one gap on 300 ohm: " +
            SwrText(d.swrGap300, 2) + "\n";
    text += "  where the lines join (balanced): " + Impedance(d.lines) + " ohm; SWR " +
            SwrText(d.swrLines50, 2) + " on 50 ohm, " + SwrText(d.swrLines200, 2) +
            " on 200 ohm (4:1 balun), " + SwrText(d.swrLines300, 2) + " on 300 ohm\n";
    text += "  maximum gain " + Fixed(r.maxGainDbi, 2) + " dBi at elevation " +
            Fixed(r.MaxGainElevationDeg(), 0) + " (theta " + Fixed(r.maxGainThetaDeg, 0) + "), phi " +
            Fixed(r.maxGainPhiDeg, 0) + " degrees; efficiency " + Fixed(r.efficiencyPercent, 2) + " %\n";
    text += "gap reactance crosses zero at: ";
    if (r.resonancesMHz.empty()) text += "none in the sweep";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        text += (i ? ", " : "") + MhzText(r.resonancesMHz[i]) + " MHz";
    }
    text += "\nSWR under 2:1\n  lines' junction on 50 ohm: " + RangesText(r.under2Lines50) +
            "\n  lines' junction on 200 ohm (4:1 balun): " + RangesText(r.under2Lines200) +
            "\n  lines' junction on 300 ohm: " + RangesText(r.under2Lines300) +
            "\n  parallel feed on 300 ohm: " + RangesText(r.under2Parallel300) +
            "\n  parallel feed on 50 ohm: " + RangesText(r.under2Parallel50) +
            "\n  one gap on 300 ohm: " + RangesText(r.under2Gap300) + "\nsanity checks\n";
    for (const SanityCheck& c : r.sanity) {
        const std::string verdict = VerdictName(c.verdict);
        text += "  " + verdict + std::string(8 - verdict.size(), ' ') + c.name + ": " + c.detail + "\n";
    }
    if (r.tuned) {
        const TunedDesign& t = *r.tuned;
        const auto size = [](double mm) {
            return Fixed(mm, 2) + " mm (" + Fixed(mm / kMmPerInch, 3) + " in)";
        };
        text += "tuned by the model (" + std::to_string(t.rounds) + " rounds of short sweeps): HEIGHT, SIDE and GAP times " +
                Fixed(t.scale, 5) + "\n  HEIGHT " + size(t.heightMm) + ", SIDE " + size(t.sideMm) + ", GAP " +
                size(t.gapMm) + "\n" +
                "  the tuned loop's gap reactance crosses zero " +
                (t.resonanceMHz ? "at " + Fixed(*t.resonanceMHz, 3) + " MHz" : "nowhere near the design frequency") +
                (t.reached ? "" : ", not within " + Trimmed(kTuneTolerance * 100, 3) + " % of it") +
                "; the design itself stays as COMPUTE gives it\n";
    }
    if (check.measured) text += MeasuredText(*check.measured);
    for (const std::string& note : r.notes) text += "note: " + note + "\n";
    for (Advice advice : r.advice) text += "note: " + advise(advice) + "\n";
    text += "\n       MHz     gap R     gap X     par R     par X  SWR 300 par  SWR 50 par  SWR 300 gap"
            "   lines R   lines X  SWR 50 ln  SWR 200 ln  SWR 300 ln\n";
    for (const SweepPoint& p : r.sweep) {
        text += Cell(Fixed(p.mhz, 3), 10) + Cell(Fixed(p.gaps.front().real(), 2), 10) +
                Cell(Fixed(p.gaps.front().imag(), 2), 10) + Cell(Fixed(p.parallel.real(), 2), 10) +
                Cell(Fixed(p.parallel.imag(), 2), 10) + Cell(SwrText(p.swrParallel300, 2), 13) +
                Cell(SwrText(p.swrParallel50, 2), 12) + Cell(SwrText(p.swrGap300, 2), 13) +
                Cell(Fixed(p.lines.real(), 2), 10) + Cell(Fixed(p.lines.imag(), 2), 10) +
                Cell(SwrText(p.swrLines50, 2), 11) + Cell(SwrText(p.swrLines200, 2), 12) +
                Cell(SwrText(p.swrLines300, 2), 12) + "\n";
    }
    return text;
}

std::string ReportJson(const ModelCheck& check, const AdviceWords& advise) {
    const LoopModel& model = check.plan.model;
    const FeedLine& line = check.plan.line;
    const CheckReport& r = check.report;
    const auto complex = [](std::complex<double> z) {
        return "{\"r\": " + JsonNumber(z.real(), 4) + ", \"x\": " + JsonNumber(z.imag(), 4) + "}";
    };
    std::string json = "{\n  \"design_mhz\": " + JsonNumber(model.designMHz, 6) +
                       ",\n  \"sides\": " + std::to_string(model.sides) +
                       ",\n  \"ground\": " + JsonString(GroundName(model.placement.ground)) +
                       ",\n  \"segments\": " + std::to_string(model.TotalSegments()) +
                       ",\n  \"kernel\": " +
                       JsonString(model.kernel == Kernel::Extended ? "extended thin-wire" : "thin-wire") +
                       ",\n  \"line\": {\"impedance_ohm\": " + Trimmed(line.impedanceOhm, 4) +
                       ", \"velocity_factor\": " + Trimmed(line.velocityFactor, 4) +
                       ", \"length_mm\": " + Trimmed(line.lengthMm, 4) + "}" +
                       ",\n  \"at_design\": {\"gap\": " + complex(r.atDesign.gaps.front()) +
                       ", \"parallel\": " + complex(r.atDesign.parallel) +
                       ", \"swr_parallel_300\": " + SwrJson(r.atDesign.swrParallel300) +
                       ", \"swr_parallel_50\": " + SwrJson(r.atDesign.swrParallel50) +
                       ", \"swr_gap_300\": " + SwrJson(r.atDesign.swrGap300) +
                       ", \"lines\": " + complex(r.atDesign.lines) +
                       ", \"swr_lines_50\": " + SwrJson(r.atDesign.swrLines50) +
                       ", \"swr_lines_200\": " + SwrJson(r.atDesign.swrLines200) +
                       ", \"swr_lines_300\": " + SwrJson(r.atDesign.swrLines300) + "}" +
                       ",\n  \"max_gain_dbi\": " + JsonNumber(r.maxGainDbi, 2) +
                       ",\n  \"max_gain_theta_deg\": " + JsonNumber(r.maxGainThetaDeg, 1) +
                       ",\n  \"max_gain_phi_deg\": " + JsonNumber(r.maxGainPhiDeg, 1) +
                       ",\n  \"max_gain_elevation_deg\": " + JsonNumber(r.MaxGainElevationDeg(), 1) +
                       ",\n  \"efficiency_percent\": " + JsonNumber(r.efficiencyPercent, 2) +
                       ",\n  \"average_power_gain\": " + JsonNumber(r.averagePowerGain, 5) +
                       ",\n  \"resonances_mhz\": [";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        json += (i ? ", " : "") + JsonNumber(r.resonancesMHz[i], 4);
    }
    json += "],\n  \"under_2_parallel_300\": " + RangesJson(r.under2Parallel300) +
            ",\n  \"under_2_parallel_50\": " + RangesJson(r.under2Parallel50) +
            ",\n  \"under_2_gap_300\": " + RangesJson(r.under2Gap300) +
            ",\n  \"under_2_lines_50\": " + RangesJson(r.under2Lines50) +
            ",\n  \"under_2_lines_200\": " + RangesJson(r.under2Lines200) +
            ",\n  \"under_2_lines_300\": " + RangesJson(r.under2Lines300) + ",\n  \"tuned\": ";
    if (r.tuned) {
        const TunedDesign& t = *r.tuned;
        json += "{\"scale\": " + JsonNumber(t.scale, 6) + ", \"height_mm\": " + JsonNumber(t.heightMm, 3) +
                ", \"side_mm\": " + JsonNumber(t.sideMm, 3) + ", \"gap_mm\": " + JsonNumber(t.gapMm, 3) +
                ", \"height_in\": " + JsonNumber(t.heightMm / kMmPerInch, 4) +
                ", \"side_in\": " + JsonNumber(t.sideMm / kMmPerInch, 4) +
                ", \"gap_in\": " + JsonNumber(t.gapMm / kMmPerInch, 4) +
                ", \"resonance_mhz\": " + (t.resonanceMHz ? JsonNumber(*t.resonanceMHz, 4) : "null") + "}";
    } else {
        json += "null";
    }
    if (check.measured) json += ",\n  \"measured\": " + MeasuredJson(*check.measured);
    json += ",\n  \"sanity\": [";
    for (std::size_t i = 0; i < r.sanity.size(); ++i) {
        const SanityCheck& c = r.sanity[i];
        json += std::string(i ? ", " : "") + "{\"name\": " + JsonString(c.name) +
                ", \"passed\": " + (c.verdict == Verdict::Failed ? "false" : "true") +
                ", \"verdict\": " +
                JsonString(c.verdict == Verdict::Passed   ? "ok"
                           : c.verdict == Verdict::Failed ? "failed"
                                                          : "not applicable") +
                ", \"detail\": " + JsonString(c.detail) + "}";
    }
    json += "],\n  \"notes\": [";
    for (std::size_t i = 0; i < r.notes.size(); ++i) json += (i ? ", " : "") + JsonString(r.notes[i]);
    for (std::size_t i = 0; i < r.advice.size(); ++i) {
        json += (i + r.notes.size() ? ", " : "") + JsonString(advise(r.advice[i]));
    }
    json += "],\n  \"sweep\": [";
    for (std::size_t i = 0; i < r.sweep.size(); ++i) {
        const SweepPoint& p = r.sweep[i];
        json += std::string(i ? ",\n    " : "\n    ") + "{\"mhz\": " + JsonNumber(p.mhz, 6) + ", \"gaps\": [";
        for (std::size_t g = 0; g < p.gaps.size(); ++g) json += (g ? ", " : "") + complex(p.gaps[g]);
        json += "], \"parallel\": " + complex(p.parallel) +
                ", \"swr_parallel_300\": " + SwrJson(p.swrParallel300) +
                ", \"swr_parallel_50\": " + SwrJson(p.swrParallel50) +
                ", \"swr_lines_50\": " + SwrJson(p.swrLines50) + ", \"swr_lines_200\": " + SwrJson(p.swrLines200) +
                ", \"swr_lines_300\": " + SwrJson(p.swrLines300) +
                ", \"swr_gap_300\": " + SwrJson(p.swrGap300) + ", \"lines\": " + complex(p.lines) + "}";
    }
    return json + "\n  ]\n}\n";
}

}  // namespace corvanta::nec
