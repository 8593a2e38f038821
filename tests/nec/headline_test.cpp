// The verdict's choices: which lengths to cut, in the order trimmed, tuned,
// design; when to advise a tune or cutting long; and which feed a builder
// can make comes closest to 1:1, the 4:1 balun taking near ties.

#include <gtest/gtest.h>

#include <optional>

#include "nec/headline.h"
#include "nec/model_check.h"

namespace corvanta::nec {
namespace {

// SWRs in kReadings' order: parallel 300, parallel 50, lines 50, lines 200,
// lines 300, gap 300.
PerReading<double> Swrs(double parallel300, double parallel50, double lines50, double lines200, double lines300,
                        double gap300) {
    return {parallel300, parallel50, lines50, lines200, lines300, gap300};
}

TEST(Headline, TheBestReadingIsOneABuilderMakes) {
    const struct {
        const char* name;
        PerReading<double> swr;
        const char* best;
    } cases[] = {
        {"the gap alone and the gaps in parallel never head it", Swrs(1.0, 1.01, 1.8, 1.5, 1.3, 1.0), "swr_lines_300"},
        {"on 50 ohm coax", Swrs(3, 3, 1.1, 2.5, 4, 3), "swr_lines_50"},
        {"a tie within 0.05 goes to the balun", Swrs(3, 3, 1.20, 1.25, 1.9, 3), "swr_lines_200"},
        {"further than 0.05 it does not", Swrs(3, 3, 1.20, 1.26, 1.9, 3), "swr_lines_50"},
        {"the balun lowest", Swrs(3, 3, 1.9, 1.1, 1.5, 3), "swr_lines_200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kReadings[BestReading(c.swr)].swrKey, c.best);
    }
}

ModelCheck Check(std::optional<double> resonanceMHz, std::optional<double> uncertaintyPercent, bool tuned,
                 bool trimmed) {
    ModelCheck check;
    check.plan.model.designMHz = 146;
    check.plan.model.heightMm = 718.233;
    check.plan.model.sideMm = 266.718;
    check.plan.model.gapMm = 9.67;
    if (resonanceMHz) check.report.resonancesMHz = {120, *resonanceMHz};
    check.report.resonanceUncertaintyPercent = uncertaintyPercent;
    check.report.atDesign.swr = Swrs(9, 9, 3.0, 2.0, 2.5, 9);
    check.report.sweep.resize(2);
    check.report.sweep[0].mhz = 100;
    check.report.sweep[0].swr = Swrs(9, 9, 3.0, 2.0, 2.5, 9);
    check.report.sweep[1].mhz = 200;
    check.report.sweep[1].swr = Swrs(9, 9, 3.0, 2.0, 2.5, 9);
    if (tuned) {
        TunedDesign t;
        static_cast<ScaledDesign&>(t) = ScaledDesign::Of(check.plan.model, 0.97);
        t.atDesign = SweepPoint{};
        t.atDesign->swr = Swrs(9, 9, 1.4, 1.3, 1.2, 9);
        check.report.tuned = t;
    }
    if (trimmed) {
        check.measured = Measurement{};
        check.measured->trim = ScaledDesign{0.99, 700, 260, 9.5};
    }
    return check;
}

TEST(Headline, CutsInTheOrderTrimmedTunedDesign) {
    const struct {
        const char* name;
        ModelCheck check;
        CutChoice cut;
        double heightMm;
        std::optional<double> offsetPercent;
        bool adviseTune;
        std::optional<double> cutLong;
        const char* best;
    } cases[] = {
        {"a measurement's trim comes first", Check(142.204, 0.1, true, true), CutChoice::Trimmed, 700, -2.6, false,
         std::nullopt, "swr_lines_300"},
        {"then the tune, where the offset is beyond the uncertainty", Check(142.204, 0.1, true, false),
         CutChoice::Tuned, 718.233 * 0.97, -2.6, false, std::nullopt, "swr_lines_300"},
        {"the design within the uncertainty, tuned or not", Check(145.9, 0.2, true, false), CutChoice::Design, 718.233,
         100 * (145.9 - 146) / 146, false, std::nullopt, "swr_lines_200"},
        {"the design without a tune, with advice to tune", Check(142.204, 0.1, false, false), CutChoice::Design,
         718.233, -2.6, true, std::nullopt, "swr_lines_200"},
        {"no resonance in the sweep", Check(std::nullopt, std::nullopt, false, false), CutChoice::Design, 718.233,
         std::nullopt, true, std::nullopt, "swr_lines_200"},
        {"an unsure model: cut long", Check(142.204, 0.8, false, false), CutChoice::Design, 718.233, -2.6, true, 0.8,
         "swr_lines_200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Headline h = HeadlineOf(c.check);
        EXPECT_EQ(h.cut, c.cut);
        EXPECT_NEAR(h.lengths.heightMm, c.heightMm, 1e-9);
        ASSERT_EQ(h.resonanceOffsetPercent.has_value(), c.offsetPercent.has_value());
        if (c.offsetPercent) {
            EXPECT_NEAR(*h.resonanceOffsetPercent, *c.offsetPercent, 0.001);
        }
        EXPECT_EQ(h.advice.size(), c.adviseTune ? 1U : 0U);
        EXPECT_EQ(h.cutLongPercent, c.cutLong);
        EXPECT_EQ(kReadings[h.bestReading].swrKey, c.best);
    }
}

}  // namespace
}  // namespace corvanta::nec
