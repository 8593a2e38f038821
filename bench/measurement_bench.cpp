// The cost of laying a measurement beside a check, apart from the engine:
// a made-up three-sided 146 MHz loop's model (81 frequencies, resonating at
// 142 MHz) and a measurement of it built 1.4 % small, of any point count.
//
//     measurement_bench write POINTS FILE.s1p   writes such a measurement
//     measurement_bench compare FILE.s1p        reads it as the programs do and compares it

#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>

#include "nec/feed_line.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/outside_file.h"
#include "nec/touchstone.h"

namespace {

using namespace corvanta::nec;
using Impedance = std::complex<double>;

// A series circuit of 120 ohm whose reactance rises by 20 ohm a MHz there.
Impedance LoopGap(double mhz, double resonanceMHz) {
    const double l = 20.0 / (4 * std::numbers::pi * 1e6);
    const double w = 2 * std::numbers::pi * mhz * 1e6, w0 = 2 * std::numbers::pi * resonanceMHz * 1e6;
    return {120, w * l - w0 * w0 * l / w};
}

ModelCheck Check(int sides) {
    ModelCheck check;
    check.plan.model.sides = sides;
    check.plan.model.designMHz = 146;
    check.plan.model.heightMm = 718.233;
    check.plan.model.sideMm = 266.718;
    check.plan.model.gapMm = 9.67;
    check.plan.line = {300, 0.82, 421.2329};
    for (double mhz = 120; mhz <= 200; mhz += 1) {
        SweepPoint point;
        point.mhz = mhz;
        point.gaps.assign(static_cast<std::size_t>(sides), LoopGap(mhz, sides == 3 ? 142 : 150));
        point.lines = Junction(point.gaps, check.plan.line, mhz);
        check.report.sweep.push_back(point);
    }
    return check;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) {
        const long points = std::strtol(argv[2], nullptr, 10);
        if (points < 2) return 2;
        const ModelCheck check = Check(3);
        std::vector<double> mhz;
        std::vector<Impedance> junction;
        for (long i = 0; i < points; ++i) {
            const double f = 130 + 30.0 * static_cast<double>(i) / static_cast<double>(points - 1);
            mhz.push_back(f);
            const Impedance gap = LoopGap(f, 142 * 1.014);
            junction.push_back(Junction({gap, gap, gap}, check.plan.line, f));
        }
        std::ofstream(argv[3], std::ios::binary) << WriteTouchstone(mhz, junction, 50, {"made up"});
        return 0;
    }
    if (command == "compare" && argc == 3) {
        try {
            const OnePortSweep sweep = ReadTouchstone(ReadOutsideFile(argv[2]));
            const ModelCheck check = Check(3);
            MeasurementSetting setting;
            setting.otherShape = OtherShapeOf(check.plan, Check(4).report);
            setting.otherShape->sides = 4;
            const Measurement m = CompareMeasurement(check, sweep, argv[2], setting);
            std::cout << m.points.size() << " points; resonance "
                      << (m.resonanceMHz ? std::to_string(*m.resonanceMHz) : std::string("none")) << " MHz; fit "
                      << (m.fit ? std::to_string(m.fit->pointsCompared) : std::string("none")) << "\n";
            for (const std::string& note : m.notes) std::cout << "  " << note << "\n";
        } catch (const Failure& failure) {
            std::cerr << failure.what() << "\n";
            return 1;
        }
        return 0;
    }
    std::cerr << "usage: measurement_bench write POINTS FILE.s1p | compare FILE.s1p\n";
    return 2;
}
