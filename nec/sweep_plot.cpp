#include "nec/sweep_plot.h"

#include <algorithm>

#include "nec/report.h"
#include "nec/svg_writer.h"
#include "nec/text_format.h"

namespace corvanta::nec {

std::string PlotSvg(const ModelCheck& check) {
    const LoopModel& model = check.plan.model;
    const CheckReport& r = check.report;
    constexpr double kWidth = 760, kHeight = 580, kLeft = 70, kRight = 30, kPanel = 210;
    constexpr double kTops[] = {50, 320};
    constexpr double kSwrTop = 6;  // the SWR axis ends here; higher values sit on the edge
    SvgWriter svg(kWidth, kHeight);
    svg.Rect(0, 0, kWidth, kHeight, "#fff");
    svg.Text(kWidth / 2, 24, "NEC-2 check: " + Shortest(model.designMHz) + " MHz, " +
                                 std::to_string(model.sides) + " sides, " + GroundName(model.placement.ground),
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

}  // namespace corvanta::nec
