#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "nec/feed_line.h"
#include "nec/model_check.h"
#include "nec/number_text.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

// The tuned 146 MHz designs: about the scale that the resonances the
// formulas leave (142.2 MHz for three sides, 132.5 MHz for four) suggest,
// and the tuned dimensions, written into the design's fields and checked
// afresh on a fine sweep, resonate within 0.1 % of 146 MHz.
TEST(Tune, The146MHzDesignsResonateAtTheirFrequency) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        SideChoice sides;
        double untunedResonanceMHz;
    };
    for (const Case& c : {Case{SideChoice::Three, 142.2}, Case{SideChoice::Four, 132.5}}) {
        SCOPED_TRACE(c.untunedResonanceMHz);
        const Design design = RunDesign({"146", c.sides, std::nullopt});
        CheckOptions options;
        options.sweepFromMHz = 120;
        options.sweepToMHz = 160;
        options.sweepPoints = 21;
        options.pattern.azimuthStepDeg = 45;
        options.tune = true;
        const ModelCheck check = RunCheck(design, options);
        ASSERT_TRUE(check.report.tuned);
        const TunedDesign& tuned = *check.report.tuned;
        EXPECT_TRUE(tuned.reached);
        ASSERT_TRUE(tuned.resonanceMHz);
        EXPECT_NEAR(*tuned.resonanceMHz, 146, 146 * kTuneTolerance);
        // The thick wire, which does not scale, keeps it from 1/f exactly.
        EXPECT_NEAR(tuned.scale, c.untunedResonanceMHz / 146, 0.005);

        Design scaled = design;
        scaled.sheet.Replace(Field::Text13, Fixed(tuned.heightMm, 4));
        scaled.sheet.Replace(Field::Text17, Fixed(tuned.sideMm, 4));
        scaled.sheet.Replace(Field::Text20, Fixed(tuned.gapMm, 4));
        CheckOptions fine;
        fine.sweepFromMHz = 145;
        fine.sweepToMHz = 147;
        fine.sweepPoints = 21;
        fine.pattern.azimuthStepDeg = 45;
        const ModelCheck again = RunCheck(scaled, fine);
        ASSERT_EQ(again.report.resonancesMHz.size(), 1U);
        EXPECT_NEAR(again.report.resonancesMHz.front(), 146, 146 * kTuneTolerance);
    }
}

// The loop with every copy written out (no GR symmetry), each gap joined
// by a TL card to one short wire on the loop's axis that carries the
// source. The TL card has no velocity factor: its length is the electrical
// one, the physical length over the velocity factor, in metres (the GS card
// scales only the geometry).
std::string TransmissionLineDeck(const LoopModel& m, const FeedLine& line, const Sweep& sweep) {
    std::string deck = "CM lines from every gap to one junction\nCE\n";
    const auto number = [](double v) { return Fixed(v, 4); };
    const double r = m.CircumradiusMm(), half = m.heightMm / 2;
    for (int k = 0; k < m.sides; ++k) {
        const double a0 = 2 * std::numbers::pi * k / m.sides, a1 = 2 * std::numbers::pi * (k + 1) / m.sides;
        const std::string x0 = number(r * std::cos(a0)), y0 = number(r * std::sin(a0));
        const std::string x1 = number(r * std::cos(a1)), y1 = number(r * std::sin(a1));
        const std::string radius = Shortest(m.radiusMm);
        const auto wire = [&](int tag, int segments, const std::string& from, const std::string& to) {
            deck += "GW " + std::to_string(tag) + " " + std::to_string(segments) + " " + from + " " + to + " " +
                    radius + "\n";
        };
        wire(3 * k + 1, m.verticalSegments, x0 + " " + y0 + " " + number(-half), x0 + " " + y0 + " " + number(half));
        wire(3 * k + 2, m.edgeSegments, x0 + " " + y0 + " " + number(half), x1 + " " + y1 + " " + number(half));
        wire(3 * k + 3, m.edgeSegments, x0 + " " + y0 + " " + number(-half), x1 + " " + y1 + " " + number(-half));
    }
    const std::string junction = std::to_string(3 * m.sides + 1);
    deck += "GW " + junction + " 1 0 0 -1 0 0 1 0.1\nGS 0 0 0.001\nGE 0\nLD 5 0 0 0 5.8e7\n";
    const double electrical = line.lengthMm / line.velocityFactor / 1000;
    for (int k = 0; k < m.sides; ++k) {
        deck += "TL " + std::to_string(3 * k + 1) + " " + std::to_string(m.FeedSegment()) + " " + junction + " 1 " +
                Shortest(line.impedanceOhm) + " " + Fixed(electrical, 7) + " 0 0 0 0\n";
    }
    deck += "EX 0 " + junction + " 1 0 1 0\nPT -1 0 0 0\nFR 0 " + std::to_string(sweep.points) + " 0 0 " +
            Shortest(sweep.fromMHz) + " " + Shortest(sweep.stepMHz) + "\nXQ\nEN\n";
    return deck;
}

// The transform on the gap impedances of the symmetric model against the
// engine's own lines: the same junction impedance within 0.5 %. What is
// left between them is the 2 mm junction wire, itself in parallel with the
// lines: a capacitor of the order of -j100 kohm at 146 MHz that moves the
// junction by about 0.1 % (half that with a 1 mm wire), and the 5 digits
// nec2c prints.
TEST(FeedLine, AgreesWithTheEnginesTransmissionLines) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    for (SideChoice sides : {SideChoice::Three, SideChoice::Four}) {
        const Design design = RunDesign({"146", sides, std::nullopt});
        CheckOptions options;
        const CheckPlan plan = PlanCheck(design, options);
        // Even segments, the gap the middle one, as the lines' deck writes
        // them: the same loop in both decks.
        LoopModel even = plan.model;
        even.verticalMm.clear();
        even.verticalSegments = 2 * (even.verticalSegments / 2) + 1;
        even.gapSegments = 1;
        const Sweep sweep{140, 6, 3};
        const std::vector<double> mhz = {140, 146, 152};
        const auto sources = static_cast<std::size_t>(plan.model.sides);
        const std::vector<EngineOutput> outputs =
            RunEngines({{WriteDeck(even, sweep, plan.pattern, {0, 3, false}), {mhz, sources, 0}},
                        {TransmissionLineDeck(even, plan.line, sweep), {mhz, 1, 0}}},
                       EngineSettings{});
        for (std::size_t i = 0; i < mhz.size(); ++i) {
            SCOPED_TRACE(mhz[i]);
            std::vector<std::complex<double>> gaps;
            for (const SourceReading& s : outputs[0].frequencies[i].sources) gaps.push_back(s.impedance);
            const std::complex<double> ours = Junction(gaps, plan.line, mhz[i]);
            const std::complex<double> engines = outputs[1].frequencies[i].sources.front().impedance;
            EXPECT_LT(std::abs(ours - engines), 0.005 * std::abs(engines)) << ours << " against " << engines;
        }
    }
}

}  // namespace
}  // namespace corvanta::nec
