#include "cli/nec_check.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fcntl.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/output.h"
#include "cli/svg_writer.h"
#include "core/field_conversion.h"

extern char** environ;

namespace corvanta::cli {

namespace {

constexpr double kSymmetryTolerance = 0.01;    // all gaps within 1 %
constexpr double kAverageGainTolerance = 0.05;  // within 5 % of 1 in free space
constexpr double kSwrLimit = 2.0;

std::string Fixed(double value, int decimals) { return SvgWriter::Number(value, decimals); }

std::string Impedance(std::complex<double> z) {
    return Fixed(z.real(), 2) + (z.imag() < 0 ? " -j" : " +j") + Fixed(std::abs(z.imag()), 2);
}

// Removes the temporary directory on every way out.
struct TemporaryDirectory {
    std::filesystem::path path;
    TemporaryDirectory() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/corvanta-nec-XXXXXX";
        if (!mkdtemp(pattern.data())) throw EngineError("cannot make a temporary directory");
        path = pattern;
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::vector<Range> RangesUnder(const std::vector<SweepPoint>& sweep, double SweepPoint::*swr) {
    std::vector<Range> ranges;
    bool inside = false;
    double start = 0;
    for (std::size_t i = 0; i < sweep.size(); ++i) {
        const bool under = sweep[i].*swr < kSwrLimit;
        // Where the SWR crosses 2 between two points, by linear interpolation.
        const auto crossing = [&] {
            const double a = sweep[i - 1].*swr, b = sweep[i].*swr;
            return sweep[i - 1].mhz + (sweep[i].mhz - sweep[i - 1].mhz) * (kSwrLimit - a) / (b - a);
        };
        if (under && !inside) {
            start = i == 0 ? sweep[i].mhz : crossing();
            inside = true;
        } else if (!under && inside) {
            ranges.push_back({start, crossing()});
            inside = false;
        }
    }
    if (inside) ranges.push_back({start, sweep.back().mhz});
    return ranges;
}

std::string RangesText(const std::vector<Range>& ranges) {
    if (ranges.empty()) return "none";
    std::string text;
    for (const Range& range : ranges) {
        if (!text.empty()) text += ", ";
        text += Fixed(range.fromMHz, 2) + " to " + Fixed(range.toMHz, 2) + " MHz";
    }
    return text;
}

std::string RangesJson(const std::vector<Range>& ranges) {
    std::string json = "[";
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        json += (i ? ", " : "") + std::string("[") + Fixed(ranges[i].fromMHz, 4) + ", " +
                Fixed(ranges[i].toMHz, 4) + "]";
    }
    return json + "]";
}

std::string GroundText(Ground ground) {
    switch (ground) {
    case Ground::Free: return "free space";
    case Ground::Average: return "average ground";
    case Ground::Perfect: return "perfect ground";
    }
    return "";
}

SweepPoint ToSweepPoint(const FrequencyResult& result) {
    SweepPoint point;
    point.mhz = result.mhz;
    std::complex<double> current;
    std::complex<double> voltage{1, 0};
    for (const SourceReading& source : result.sources) {
        point.gaps.push_back(source.impedance);
        current += source.current;
        voltage = source.voltage;
    }
    point.parallel = voltage / current;
    point.swrParallel300 = Swr(point.parallel, 300);
    point.swrParallel50 = Swr(point.parallel, 50);
    point.swrGap300 = point.gaps.empty() ? 0 : Swr(point.gaps.front(), 300);
    return point;
}

}  // namespace

std::string RunEngine(const std::string& deck) {
    TemporaryDirectory directory;
    const std::string input = (directory.path / "deck.nec").string();
    const std::string output = (directory.path / "out.txt").string();
    std::ofstream(input) << deck;

    std::vector<std::string> words = {"nec2c", "-i", input, "-o", output};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "nec2c", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned == ENOENT) {
        throw EngineError("nec2c is not installed; install Debian's package nec2c "
                          "(sudo apt-get install nec2c)");
    }
    if (spawned != 0) throw EngineError("nec2c could not be started");
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw EngineError("nec2c failed on the model");
    }
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double Swr(std::complex<double> impedance, double reference) {
    const double reflection = std::abs((impedance - reference) / (impedance + reference));
    return reflection >= 1 ? INFINITY : (1 + reflection) / (1 - reflection);
}

bool CheckReport::Sane() const {
    return std::all_of(sanity.begin(), sanity.end(), [](const SanityCheck& c) { return c.passed; });
}

CheckReport Analyse(const NecModel& model, const NecOutput& output) {
    CheckReport report;
    report.designMHz = model.designMHz;
    const auto expected = static_cast<std::size_t>(model.sweepPoints) + 1;
    if (output.frequencies.size() != expected) {
        throw EngineError("the engine answered " + std::to_string(output.frequencies.size()) +
                          " frequencies, not " + std::to_string(expected));
    }
    for (std::size_t i = 0; i + 1 < expected; ++i) report.sweep.push_back(ToSweepPoint(output.frequencies[i]));

    const FrequencyResult& design = output.frequencies.back();
    report.atDesign = ToSweepPoint(design);
    report.efficiencyPercent = design.efficiencyPercent;
    report.averagePowerGain = design.averagePowerGain;
    for (const PatternPoint& p : design.pattern) {
        if (!report.maxGainDbi || p.totalGainDb > *report.maxGainDbi) {
            report.maxGainDbi = p.totalGainDb;
            report.maxGainThetaDeg = p.thetaDeg;
            report.maxGainPhiDeg = p.phiDeg;
        }
    }

    for (std::size_t i = 1; i < report.sweep.size(); ++i) {
        const double a = report.sweep[i - 1].gaps.front().imag();
        const double b = report.sweep[i].gaps.front().imag();
        if ((a < 0) != (b < 0)) {
            const double f0 = report.sweep[i - 1].mhz, f1 = report.sweep[i].mhz;
            report.resonancesMHz.push_back(f0 + (f1 - f0) * (-a) / (b - a));
        }
    }
    report.under2Parallel300 = RangesUnder(report.sweep, &SweepPoint::swrParallel300);
    report.under2Parallel50 = RangesUnder(report.sweep, &SweepPoint::swrParallel50);
    report.under2Gap300 = RangesUnder(report.sweep, &SweepPoint::swrGap300);

    const int segments = output.totalSegments.value_or(0);
    report.sanity.push_back({"segments", segments == model.TotalSegments(),
                             "the engine used " + std::to_string(segments) + ", the deck asked for " +
                                 std::to_string(model.TotalSegments())});

    double worst = 0;
    bool everyGap = true;
    for (const SweepPoint& point : report.sweep) {
        everyGap = everyGap && point.gaps.size() == static_cast<std::size_t>(model.sides);
        for (const auto& gap : point.gaps) {
            worst = std::max(worst, std::abs(gap - point.gaps.front()) / std::abs(point.gaps.front()));
        }
    }
    report.sanity.push_back({"symmetry", everyGap && worst <= kSymmetryTolerance,
                             "the gaps differ by at most " + Fixed(worst * 100, 3) + " %"});

    if (model.ground == Ground::Free) {
        const double average = report.averagePowerGain.value_or(0);
        report.sanity.push_back({"average gain",
                                 std::abs(average - 1) <= kAverageGainTolerance,
                                 "the average power gain over the sphere is " + Fixed(average, 4)});
    }
    return report;
}

std::string ReportText(const NecModel& model, const CheckReport& r) {
    std::string text = "NEC-2 check of the " + FormatDouble(model.designMHz) + " MHz " +
                       std::to_string(model.sides) + "-sided loop (nec2c, " + GroundText(model.ground) +
                       ", " + std::to_string(model.TotalSegments()) + " segments)\n";
    const SweepPoint& d = r.atDesign;
    if (!d.gaps.empty()) {
        text += "at " + FormatDouble(d.mhz) + " MHz: one gap " + Impedance(d.gaps.front()) +
                " ohm, the gaps in parallel " + Impedance(d.parallel) + " ohm\n";
        text += "  SWR of the parallel feed: " + Fixed(d.swrParallel300, 2) + " on 300 ohm, " +
                Fixed(d.swrParallel50, 2) + " on 50 ohm; one gap on 300 ohm: " +
                Fixed(d.swrGap300, 2) + "\n";
    }
    if (r.maxGainDbi) {
        text += "  maximum gain " + Fixed(*r.maxGainDbi, 2) + " dBi at theta " +
                Fixed(r.maxGainThetaDeg, 0) + ", phi " + Fixed(r.maxGainPhiDeg, 0) + " degrees";
        if (r.efficiencyPercent) text += "; efficiency " + Fixed(*r.efficiencyPercent, 2) + " %";
        text += "\n";
    }
    text += "gap reactance crosses zero at: ";
    if (r.resonancesMHz.empty()) text += "none in the sweep";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        text += (i ? ", " : "") + Fixed(r.resonancesMHz[i], 2) + " MHz";
    }
    text += "\nSWR under 2:1\n  parallel feed on 300 ohm: " + RangesText(r.under2Parallel300) +
            "\n  parallel feed on 50 ohm: " + RangesText(r.under2Parallel50) +
            "\n  one gap on 300 ohm: " + RangesText(r.under2Gap300) + "\nsanity checks\n";
    for (const SanityCheck& check : r.sanity) {
        text += std::string(check.passed ? "  ok      " : "  FAILED  ") + check.name + ": " +
                check.detail + "\n";
    }
    text += "\n       MHz     gap R     gap X     par R     par X  SWR 300 par  SWR 50 par  SWR 300 gap\n";
    for (const SweepPoint& p : r.sweep) {
        const auto cell = [](const std::string& s, std::size_t width) {
            return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
        };
        text += cell(Fixed(p.mhz, 3), 10) + cell(Fixed(p.gaps.front().real(), 2), 10) +
                cell(Fixed(p.gaps.front().imag(), 2), 10) + cell(Fixed(p.parallel.real(), 2), 10) +
                cell(Fixed(p.parallel.imag(), 2), 10) + cell(Fixed(p.swrParallel300, 2), 13) +
                cell(Fixed(p.swrParallel50, 2), 12) + cell(Fixed(p.swrGap300, 2), 13) + "\n";
    }
    return text;
}

std::string ReportJson(const NecModel& model, const CheckReport& r) {
    const auto complex = [](std::complex<double> z) {
        return "{\"r\": " + Fixed(z.real(), 4) + ", \"x\": " + Fixed(z.imag(), 4) + "}";
    };
    const auto optional = [](const std::optional<double>& v, int decimals) {
        return v ? Fixed(*v, decimals) : std::string("null");
    };
    std::string json = "{\n  \"design_mhz\": " + Fixed(model.designMHz, 6) +
                       ",\n  \"sides\": " + std::to_string(model.sides) +
                       ",\n  \"ground\": " + JsonString(GroundText(model.ground)) +
                       ",\n  \"segments\": " + std::to_string(model.TotalSegments()) +
                       ",\n  \"at_design\": {\"gap\": " + complex(r.atDesign.gaps.empty() ? 0 : r.atDesign.gaps.front()) +
                       ", \"parallel\": " + complex(r.atDesign.parallel) +
                       ", \"swr_parallel_300\": " + Fixed(r.atDesign.swrParallel300, 4) +
                       ", \"swr_parallel_50\": " + Fixed(r.atDesign.swrParallel50, 4) +
                       ", \"swr_gap_300\": " + Fixed(r.atDesign.swrGap300, 4) + "}" +
                       ",\n  \"max_gain_dbi\": " + optional(r.maxGainDbi, 2) +
                       ",\n  \"max_gain_theta_deg\": " + Fixed(r.maxGainThetaDeg, 1) +
                       ",\n  \"max_gain_phi_deg\": " + Fixed(r.maxGainPhiDeg, 1) +
                       ",\n  \"efficiency_percent\": " + optional(r.efficiencyPercent, 2) +
                       ",\n  \"average_power_gain\": " + optional(r.averagePowerGain, 5) +
                       ",\n  \"resonances_mhz\": [";
    for (std::size_t i = 0; i < r.resonancesMHz.size(); ++i) {
        json += (i ? ", " : "") + Fixed(r.resonancesMHz[i], 4);
    }
    json += "],\n  \"under_2_parallel_300\": " + RangesJson(r.under2Parallel300) +
            ",\n  \"under_2_parallel_50\": " + RangesJson(r.under2Parallel50) +
            ",\n  \"under_2_gap_300\": " + RangesJson(r.under2Gap300) + ",\n  \"sanity\": [";
    for (std::size_t i = 0; i < r.sanity.size(); ++i) {
        json += std::string(i ? ", " : "") + "{\"name\": " + JsonString(r.sanity[i].name) +
                ", \"passed\": " + (r.sanity[i].passed ? "true" : "false") +
                ", \"detail\": " + JsonString(r.sanity[i].detail) + "}";
    }
    json += "],\n  \"sweep\": [";
    for (std::size_t i = 0; i < r.sweep.size(); ++i) {
        const SweepPoint& p = r.sweep[i];
        json += std::string(i ? ",\n    " : "\n    ") + "{\"mhz\": " + Fixed(p.mhz, 6) + ", \"gaps\": [";
        for (std::size_t g = 0; g < p.gaps.size(); ++g) json += (g ? ", " : "") + complex(p.gaps[g]);
        json += "], \"parallel\": " + complex(p.parallel) +
                ", \"swr_parallel_300\": " + Fixed(p.swrParallel300, 4) +
                ", \"swr_parallel_50\": " + Fixed(p.swrParallel50, 4) +
                ", \"swr_gap_300\": " + Fixed(p.swrGap300, 4) + "}";
    }
    return json + "\n  ]\n}\n";
}

std::string PlotSvg(const NecModel& model, const CheckReport& r) {
    constexpr double kWidth = 760, kHeight = 580, kLeft = 70, kRight = 30, kPanel = 210;
    constexpr double kTops[] = {50, 320};
    constexpr double kSwrTop = 6;  // the SWR axis ends here; higher values sit on the edge
    SvgWriter svg(kWidth, kHeight);
    svg.Rect(0, 0, kWidth, kHeight, "#fff");
    svg.Text(kWidth / 2, 24, "NEC-2 check: " + FormatDouble(model.designMHz) + " MHz, " +
                                 std::to_string(model.sides) + " sides, " + GroundText(model.ground),
             "middle", 15);
    if (r.sweep.size() < 2) return svg.Finish();

    const double f0 = r.sweep.front().mhz, f1 = r.sweep.back().mhz;
    const double plotWidth = kWidth - kLeft - kRight;
    const auto x = [&](double mhz) { return kLeft + (mhz - f0) / (f1 - f0) * plotWidth; };

    double low = 0, high = 0;
    for (const SweepPoint& p : r.sweep) {
        low = std::min({low, p.parallel.real(), p.parallel.imag()});
        high = std::max({high, p.parallel.real(), p.parallel.imag()});
    }
    if (high - low < 1) high = low + 1;
    struct Axis { double min, max; const char* label; };
    const Axis axes[] = {{1, kSwrTop, "SWR"}, {low, high, "ohm"}};

    for (int panel = 0; panel < 2; ++panel) {
        const double top = kTops[panel];
        const Axis& axis = axes[panel];
        const auto y = [&](double v) {
            const double clamped = std::clamp(v, axis.min, axis.max);
            return top + kPanel - (clamped - axis.min) / (axis.max - axis.min) * kPanel;
        };
        svg.Rect(kLeft, top, plotWidth, kPanel, "none", "#444");
        for (int i = 0; i <= 5; ++i) {
            const double value = axis.min + (axis.max - axis.min) * i / 5;
            svg.Line(kLeft, y(value), kLeft + plotWidth, y(value), "#ddd");
            svg.Text(kLeft - 6, y(value) + 4, Fixed(value, panel == 0 ? 1 : 0), "end", 11);
        }
        for (int i = 0; i <= 6; ++i) {
            const double mhz = f0 + (f1 - f0) * i / 6;
            svg.Text(x(mhz), top + kPanel + 16, Fixed(mhz, 1), "middle", 11);
        }
        svg.Text(18, top + kPanel / 2, axis.label, "middle", 12);
        if (panel == 0) {
            svg.Line(kLeft, y(2), kLeft + plotWidth, y(2), "#999", 1, "6 4");
        } else if (low < 0) {
            svg.Line(kLeft, y(0), kLeft + plotWidth, y(0), "#999", 1);
        }
        const auto series = [&](auto value, const char* colour) {
            std::vector<std::pair<double, double>> points;
            for (const SweepPoint& p : r.sweep) points.emplace_back(x(p.mhz), y(value(p)));
            svg.Polyline(points, colour);
        };
        if (panel == 0) {
            series([](const SweepPoint& p) { return p.swrParallel300; }, "#c00");
            series([](const SweepPoint& p) { return p.swrParallel50; }, "#06c");
            svg.Text(kLeft + 10, top + 16, "parallel feed on 300 ohm", "start", 12, "#c00");
            svg.Text(kLeft + 10, top + 32, "parallel feed on 50 ohm", "start", 12, "#06c");
        } else {
            series([](const SweepPoint& p) { return p.parallel.real(); }, "#080");
            series([](const SweepPoint& p) { return p.parallel.imag(); }, "#a0a");
            svg.Text(kLeft + 10, top + 16, "R of the gaps in parallel", "start", 12, "#080");
            svg.Text(kLeft + 10, top + 32, "X of the gaps in parallel", "start", 12, "#a0a");
        }
        if (model.designMHz >= f0 && model.designMHz <= f1) {
            svg.Line(x(model.designMHz), top, x(model.designMHz), top + kPanel, "#000", 1, "3 3");
        }
    }
    svg.Text(kLeft + plotWidth / 2, kHeight - 8, "MHz (the dashed line is the design frequency)",
             "middle", 12);
    return svg.Finish();
}

}  // namespace corvanta::cli
