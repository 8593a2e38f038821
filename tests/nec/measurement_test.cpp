// What a measurement must show before it is turned into a trim: a loop's
// own resonance is its gap reactance rising through zero, and a sweep whose
// S11 barely moves shows nothing that resonates. Undoing a quarter-wave
// line turns any flat impedance into a reactance that crosses zero at the
// line's quarter-wave frequency (145.90 MHz for 421.2329 mm at 0.82), so
// without these rules a load, an open or a short read as a loop.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>

#include "nec/feed_line.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/touchstone.h"

namespace corvanta::nec {
namespace {

using Impedance = std::complex<double>;

// One gap of a loop that resonates at `resonanceMHz`: a series circuit of
// 120 ohm whose reactance rises by about 20 ohm a MHz there.
Impedance LoopGap(double mhz, double resonanceMHz) {
    const double l = 20.0 / (4 * std::numbers::pi * 1e6);  // dX/df = 2 x 2 pi L at resonance
    const double w = 2 * std::numbers::pi * mhz * 1e6, w0 = 2 * std::numbers::pi * resonanceMHz * 1e6;
    return {120, w * l - w0 * w0 * l / w};
}

// The three-sided 146 MHz design with the matching lines, and a model
// sweep of the loop resonating at 142 MHz.
ModelCheck Check() {
    ModelCheck check;
    check.plan.model.sides = 3;
    check.plan.model.designMHz = 146;
    check.plan.model.heightMm = 718.233;
    check.plan.model.sideMm = 266.718;
    check.plan.model.gapMm = 9.67;
    check.plan.line = {300, 0.82, 421.2329};
    for (double mhz = 120; mhz <= 200; mhz += 1) {
        SweepPoint point;
        point.mhz = mhz;
        point.gaps.assign(3, LoopGap(mhz, 142));
        point.lines = Junction(point.gaps, check.plan.line, mhz);
        check.report.sweep.push_back(point);
    }
    return check;
}

// 161 points from 120 to 200 MHz, S11 on 50 ohm as `s11` gives it.
OnePortSweep Measured(const std::function<Impedance(double)>& s11) {
    OnePortSweep sweep;
    sweep.referenceOhm = 50;
    for (int i = 0; i <= 160; ++i) {
        const double mhz = 120 + 0.5 * i;
        sweep.mhz.push_back(mhz);
        sweep.reflection.push_back(s11(mhz));
    }
    return sweep;
}

// The junction of three gaps, each through its line, as S11 on 50 ohm.
Impedance ThroughTheLines(const ModelCheck& check, double mhz, Impedance gap) {
    return ReflectionOf(Junction({gap, gap, gap}, check.plan.line, mhz), 50);
}

struct Case {
    const char* name;
    std::function<Impedance(double)> s11;
    std::optional<double> resonanceMHz;  // worked out by hand; none: no trim
};

TEST(Measurement, OnlyALoopsSeriesResonanceGivesATrim) {
    const ModelCheck check = Check();
    const Case cases[] = {
        {"a 50 ohm load", [](double) { return Impedance(0); }, std::nullopt},
        {"an open", [](double) { return Impedance(0.98); }, std::nullopt},
        {"a short", [](double) { return Impedance(-0.98); }, std::nullopt},
        {"a flat 200 ohm", [](double) { return Impedance(0.6); }, std::nullopt},
        // Barely moving: an open with a little loss that grows, 0.04 across.
        {"an open drifting by 0.04", [](double mhz) { return Impedance(0.98 - 0.0005 * (mhz - 120)); }, std::nullopt},
        // The loop itself, built 2 % small: it resonates at 142 x 1.02.
        {"a loop built 2 % small", [&check](double mhz) { return ThroughTheLines(check, mhz, LoopGap(mhz, 144.84)); },
         144.84},
        // A parallel resonance (gap reactance falling through zero near 160
        // MHz, kilohms of resistance) is not where the loop resonates.
        {"an anti-resonance only",
         [&check](double mhz) {
             const Impedance y(1.0 / 3000, (mhz - 160) * 1e-5);  // a parallel circuit, inductive below
             return ThroughTheLines(check, mhz, 1.0 / y);
         },
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Measurement m = CompareMeasurement(check, Measured(c.s11), "made-up.s1p");
        EXPECT_TRUE(m.assumesDesignLengths);
        ASSERT_TRUE(m.modelResonanceMHz);
        EXPECT_NEAR(*m.modelResonanceMHz, 142, 0.01);
        if (c.resonanceMHz) {
            ASSERT_TRUE(m.resonanceMHz);
            // The lines undone at the fitted velocity factor: within 0.1 %.
            EXPECT_NEAR(*m.resonanceMHz, *c.resonanceMHz, 0.145);
            ASSERT_TRUE(m.trim);
            ASSERT_TRUE(m.fitResonanceMHz);
            EXPECT_NEAR(m.trim->scale, *m.fitResonanceMHz / 146, 1e-12);
            EXPECT_NEAR(m.trim->heightMm, 718.233 * m.trim->scale, 1e-9);
        } else {
            EXPECT_FALSE(m.resonanceMHz);
            EXPECT_FALSE(m.trim);
            ASSERT_FALSE(m.notes.empty());
            EXPECT_NE(m.notes.back().find("no trim"), std::string::npos) << m.notes.back();
            EXPECT_NE(m.notes.back().find("connect"), std::string::npos) << m.notes.back();
        }
    }
}

TEST(Measurement, SpreadIsTheSmallestCircleAroundThePoints) {
    const struct {
        const char* name;
        std::vector<Impedance> points;
        double spread;
    } cases[] = {
        {"one point", {{0.3, 0.1}}, 0},
        {"two points", {{-0.5, 0}, {0.5, 0}}, 0.5},
        {"a triangle's circumcircle", {{1, 0}, {-0.5, 0.8660254037844386}, {-0.5, -0.8660254037844386}}, 1},
        // An obtuse triangle: its longest side's circle holds the third.
        {"obtuse", {{-1, 0}, {1, 0}, {0, 0.2}}, 1},
        {"in a line", {{0, 0}, {0.1, 0.1}, {0.2, 0.2}, {0.05, 0.05}}, std::sqrt(0.02)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(Spread(c.points), c.spread, 1e-12);
    }
    // A sweep round the whole chart, in order: the unit circle.
    std::vector<Impedance> rim;
    for (int i = 0; i < 2000; ++i) rim.push_back(std::polar(1.0, 2 * std::numbers::pi * i / 2000));
    EXPECT_NEAR(Spread(rim), 1, 1e-9);
}

// The lowest SWR at the first or last point may lie beyond the measurement.
TEST(Measurement, ALowestSwrAtEitherEndIsAtTheEdge) {
    const ModelCheck check = Check();
    // A junction that matches 50 ohm at 150 MHz.
    const auto matched = [](double mhz) { return ReflectionOf({50, 4 * (mhz - 150)}, 50); };
    const struct {
        double fromMHz, toMHz;
        bool atEdge;
        double minMHz;
    } cases[] = {{120, 140, true, 140}, {160, 200, true, 160}, {140, 160, false, 150}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fromMHz);
        OnePortSweep sweep;
        sweep.referenceOhm = 50;
        for (double mhz = c.fromMHz; mhz <= c.toMHz; mhz += 0.5) {
            sweep.mhz.push_back(mhz);
            sweep.reflection.push_back(matched(mhz));
        }
        const Measurement m = CompareMeasurement(check, sweep, "edge.s1p");
        EXPECT_EQ(m.minSwrAtEdge, c.atEdge);
        EXPECT_DOUBLE_EQ(m.minSwrMHz, c.minMHz);
    }
}

}  // namespace
}  // namespace corvanta::nec

namespace corvanta::nec {
namespace {

// An analyser's sweep of any length is fitted on at most kFitMostPoints of
// the points the model reaches, evenly spread, and says so; the resonance
// and the curves keep every point. Up to that many, nothing is left out.
TEST(Measurement, ALongSweepIsFittedOnAThousandPointsAndSaysSo) {
    const ModelCheck check = Check();
    // The loop built 2 % small, from 130 to 160 MHz: all of it within the
    // model's reach (120 to 200 MHz at +-10 %).
    const auto sweepOf = [&check](int points) {
        OnePortSweep sweep;
        for (int i = 0; i < points; ++i) {
            const double mhz = 130 + 30.0 * i / (points - 1);
            sweep.mhz.push_back(mhz);
            sweep.reflection.push_back(ThroughTheLines(check, mhz, LoopGap(mhz, 144.84)));
        }
        return sweep;
    };
    const struct {
        int points;
        std::size_t fitted;  // at most
        bool thinned;
    } cases[] = {{61, 61, false}, {1000, 1000, false}, {1001, 1000, true}, {100000, 1000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        const Measurement m = CompareMeasurement(check, sweepOf(c.points), "long.s1p");
        ASSERT_TRUE(m.fit);
        EXPECT_EQ(m.fit->pointsInReach, static_cast<std::size_t>(c.points));
        EXPECT_EQ(m.fit->Thinned(), c.thinned);
        EXPECT_LE(m.fit->pointsCompared, c.fitted);
        EXPECT_GT(m.fit->pointsCompared, c.fitted * 9 / 10);
        EXPECT_EQ(m.points.size(), static_cast<std::size_t>(c.points));
        const std::string said = "the model was fitted to " + std::to_string(m.fit->pointsCompared) + " of the " +
                                 std::to_string(c.points) + " measured points within its reach";
        const bool told = std::any_of(m.notes.begin(), m.notes.end(),
                                      [&](const std::string& note) { return note.starts_with(said); });
        EXPECT_EQ(told, c.thinned);
        // The resonance worked by hand: the series circuit's, 144.84 MHz.
        ASSERT_TRUE(m.resonanceMHz);
        EXPECT_NEAR(*m.resonanceMHz, 144.84, 0.145);
        EXPECT_NEAR(m.fit->velocityFactor, 0.82, 0.005);
    }
}

}  // namespace
}  // namespace corvanta::nec
