#include "nec/report.h"

#include <cmath>

#include "nec/text_format.h"

namespace corvanta::nec {

namespace {

std::string Impedance(std::complex<double> z) {
    return Fixed(z.real(), 2) + (z.imag() < 0 ? " -j" : " +j") + Fixed(std::abs(z.imag()), 2);
}

// An SWR as text: "inf" would not be a number to read.
std::string SwrText(double swr, int decimals) {
    return std::isfinite(swr) ? Fixed(swr, decimals) : "over 1000";
}

std::string SwrJson(double swr) { return std::isfinite(swr) ? Fixed(swr, 4) : "null"; }

std::string RangesText(const std::vector<Range>& ranges) {
    if (ranges.empty()) return "none in the sweep";
    std::string text;
    for (const Range& range : ranges) {
        if (!text.empty()) text += ", ";
        text += range.fromMHz ? Fixed(*range.fromMHz, 2) : "below the sweep's start";
        text += " to ";
        text += range.toMHz ? Fixed(*range.toMHz, 2) + " MHz" : "beyond the sweep's end";
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

}  // namespace

std::string GroundName(Ground ground) {
    switch (ground) {
    case Ground::Free: return "free space";
    case Ground::Average: return "average ground";
    case Ground::Perfect: return "perfect ground";
    }
    return "";
}

std::string ReportText(const ModelCheck& check) {
    const LoopModel& model = check.plan.model;
    const CheckReport& r = check.report;
    std::string text = "NEC-2 check of the " + Shortest(model.designMHz) + " MHz " +
                       std::to_string(model.sides) + "-sided loop (nec2c, " +
                       GroundName(model.placement.ground) + ", " +
                       std::to_string(model.TotalSegments()) + " segments)\n";
    const FeedLine& line = check.plan.line;
    text += "lines: each gap feeds " + Trimmed(line.lengthMm, 4) + " mm of " +
            Trimmed(line.impedanceOhm, 3) + " ohm line, velocity factor " +
            Trimmed(line.velocityFactor, 3) + ", lossless, joined at one point (0.82 is TV " +
            "twin-lead, open ladder line is nearer 0.9)\n";
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
        text += (i ? ", " : "") + Fixed(r.resonancesMHz[i], 2) + " MHz";
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
    for (const std::string& note : r.notes) text += "note: " + note + "\n";
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

std::string ReportJson(const ModelCheck& check) {
    const LoopModel& model = check.plan.model;
    const FeedLine& line = check.plan.line;
    const CheckReport& r = check.report;
    const auto complex = [](std::complex<double> z) {
        return "{\"r\": " + Fixed(z.real(), 4) + ", \"x\": " + Fixed(z.imag(), 4) + "}";
    };
    std::string json = "{\n  \"design_mhz\": " + Fixed(model.designMHz, 6) +
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
                       ",\n  \"max_gain_dbi\": " + Fixed(r.maxGainDbi, 2) +
                       ",\n  \"max_gain_theta_deg\": " + Fixed(r.maxGainThetaDeg, 1) +
                       ",\n  \"max_gain_phi_deg\": " + Fixed(r.maxGainPhiDeg, 1) +
                       ",\n  \"max_gain_elevation_deg\": " + Fixed(r.MaxGainElevationDeg(), 1) +
                       ",\n  \"efficiency_percent\": " + Fixed(r.efficiencyPercent, 2) +
                       ",\n  \"average_power_gain\": " + Fixed(r.averagePowerGain, 5) +
                       ",\n  \"resonances_mhz\": [";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        json += (i ? ", " : "") + Fixed(r.resonancesMHz[i], 4);
    }
    json += "],\n  \"under_2_parallel_300\": " + RangesJson(r.under2Parallel300) +
            ",\n  \"under_2_parallel_50\": " + RangesJson(r.under2Parallel50) +
            ",\n  \"under_2_gap_300\": " + RangesJson(r.under2Gap300) +
            ",\n  \"under_2_lines_50\": " + RangesJson(r.under2Lines50) +
            ",\n  \"under_2_lines_200\": " + RangesJson(r.under2Lines200) +
            ",\n  \"under_2_lines_300\": " + RangesJson(r.under2Lines300) + ",\n  \"tuned\": ";
    if (r.tuned) {
        const TunedDesign& t = *r.tuned;
        json += "{\"scale\": " + Fixed(t.scale, 6) + ", \"height_mm\": " + Fixed(t.heightMm, 3) +
                ", \"side_mm\": " + Fixed(t.sideMm, 3) + ", \"gap_mm\": " + Fixed(t.gapMm, 3) +
                ", \"height_in\": " + Fixed(t.heightMm / kMmPerInch, 4) +
                ", \"side_in\": " + Fixed(t.sideMm / kMmPerInch, 4) +
                ", \"gap_in\": " + Fixed(t.gapMm / kMmPerInch, 4) +
                ", \"resonance_mhz\": " + (t.resonanceMHz ? Fixed(*t.resonanceMHz, 4) : "null") + "}";
    } else {
        json += "null";
    }
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
    json += "],\n  \"sweep\": [";
    for (std::size_t i = 0; i < r.sweep.size(); ++i) {
        const SweepPoint& p = r.sweep[i];
        json += std::string(i ? ",\n    " : "\n    ") + "{\"mhz\": " + Fixed(p.mhz, 6) + ", \"gaps\": [";
        for (std::size_t g = 0; g < p.gaps.size(); ++g) json += (g ? ", " : "") + complex(p.gaps[g]);
        json += "], \"parallel\": " + complex(p.parallel) +
                ", \"swr_parallel_300\": " + SwrJson(p.swrParallel300) +
                ", \"swr_parallel_50\": " + SwrJson(p.swrParallel50) +
                ", \"swr_gap_300\": " + SwrJson(p.swrGap300) + ", \"lines\": " + complex(p.lines) + "}";
    }
    return json + "\n  ]\n}\n";
}

}  // namespace corvanta::nec
