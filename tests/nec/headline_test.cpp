// The verdict's choices: which lengths to cut, in the order trimmed, tuned,
// design; when to advise a tune or cutting long; and which feed a builder
// can make comes closest to 1:1, the 4:1 balun taking near ties.

#include <gtest/gtest.h>

#include <optional>

#include "nec/headline.h"
#include "nec/model_check.h"
#include "nec/report.h"

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

// A sweep that misses the model's resonance: the verdict says where the
// resonance lies against the sweep (found by runs of its own) and a sweep
// that shows it; "far off" is said only of a resonance the sweep found
// further from the design frequency than the model's uncertainty and 2 %.
// A reactance that only comes near zero in the sweep is worded as its
// nearest approach, unless the runs of its own found the resonance.
ModelCheck Swept(double fromMHz, double toMHz, std::vector<double> resonances, std::optional<double> uncertainty,
                 std::optional<double> outside, std::optional<NearestApproach> near = std::nullopt) {
    ModelCheck check = Check(std::nullopt, uncertainty, false, false);
    check.report.resonancesMHz = std::move(resonances);
    check.report.sweep[0].mhz = fromMHz;
    check.report.sweep[1].mhz = toMHz;
    check.report.outsideResonanceMHz = outside;
    check.report.nearestApproach = near;
    return check;
}

TEST(Headline, ASweepThatMissesTheResonanceSaysWhereItLies) {
    const struct {
        const char* name;
        ModelCheck check;
        const char* verdict;
        std::optional<SweepSide> side;
    } cases[] = {
        {"below the sweep", Swept(144, 148, {}, std::nullopt, 142.21),
         "the model resonates at 142.21 MHz, 2.60 % below the design frequency, below the sweep (144.00 to 148.00 "
         "MHz), found by runs of its own; a sweep from 130 to 160 MHz shows it",
         SweepSide::Below},
        {"above a sweep of one frequency", Swept(140, 140, {}, std::nullopt, 142.21),
         "the model resonates at 142.21 MHz, 2.60 % below the design frequency, above the sweep (140.00 to 140.00 "
         "MHz), found by runs of its own; a sweep from 130 to 160 MHz shows it",
         SweepSide::Above},
        {"far below the resonance", Swept(14, 15, {}, std::nullopt, 142.21),
         "the model resonates at 142.21 MHz, 2.60 % below the design frequency, above the sweep (14.000 to 15.000 "
         "MHz), found by runs of its own; a sweep from 130 to 160 MHz shows it",
         SweepSide::Above},
        {"above the design and the sweep", Swept(100, 140, {}, std::nullopt, 151.3),
         "the model resonates at 151.30 MHz, 3.63 % above the design frequency, above the sweep (100.00 to 140.00 "
         "MHz), found by runs of its own; a sweep from 130 to 160 MHz shows it",
         SweepSide::Above},
        {"none found either", Swept(144, 148, {}, std::nullopt, std::nullopt),
         "the model shows no resonance in the sweep (144.00 to 148.00 MHz), and runs from the design frequency found "
         "none near it",
         std::nullopt},
        {"nearly resonant, the runs found the resonance", Swept(144, 148, {}, std::nullopt, 143.9, {{144, -2.5, true}}),
         "the model resonates at 143.90 MHz, 1.44 % below the design frequency, below the sweep (144.00 to 148.00 "
         "MHz), found by runs of its own; a sweep from 130 to 160 MHz shows it",
         SweepSide::Below},
        {"nearly resonant, the runs found none",
         Swept(140, 150, {}, std::nullopt, std::nullopt, {{144.6, -3.21, false}}),
         "the model's gap reactance does not cross zero in the sweep; it comes nearest at 144.60 MHz (-3.21 ohm): "
         "the loop is nearly resonant there",
         std::nullopt},
        {"nearest at the sweep's edge, the runs found none",
         Swept(144, 148, {}, std::nullopt, std::nullopt, {{144, -12.5, true}}),
         "the model's gap reactance does not cross zero in the sweep; it comes nearest at 144.00 MHz (-12.50 ohm), "
         "at the sweep's edge: the resonance may lie beyond it",
         std::nullopt},
        {"found by the sweep, 2.6 % off, sure within 0.28 %: far off", Swept(100, 200, {142.21}, 0.28, std::nullopt),
         "the model resonates at 142.21 MHz, 2.60 % below the design frequency; the model is sure of it within "
         "0.28 %: the design's lengths are far off",
         std::nullopt},
        {"2.6 % off, sure within 1 %: not far off", Swept(100, 200, {142.21}, 1.0, std::nullopt),
         "the model resonates at 142.21 MHz, 2.60 % below the design frequency; the model is sure of it within "
         "1.00 %",
         std::nullopt},
        {"1.7 % off: not far off", Swept(100, 200, {143.5}, 0.28, std::nullopt),
         "the model resonates at 143.50 MHz, 1.71 % below the design frequency; the model is sure of it within "
         "0.28 %",
         std::nullopt},
    };
    const AdviceWords advise = [](Advice, double) { return std::string("advice"); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HeadlineLines(c.check, advise, Medium::Plain).front(), c.verdict);
        const Headline h = HeadlineOf(c.check);
        ASSERT_EQ(h.outside.has_value(), c.side.has_value());
        if (c.side) {
            EXPECT_EQ(h.outside->side, *c.side);
        }
    }
}

TEST(Headline, TheSweepThatReachesBothFrequencies) {
    const struct {
        double a, b, from, to;
    } cases[] = {
        {142.21, 146, 130, 160}, {146, 142.21, 130, 160}, {14.2, 14.6, 13, 16},
        {432, 440, 410, 470},    {1.84, 1.9, 1.7, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " and " << c.b);
        const auto [from, to] = SweepReaching(c.a, c.b);
        EXPECT_NEAR(from, c.from, 1e-9);
        EXPECT_NEAR(to, c.to, 1e-9);
        EXPECT_LT(from, std::min(c.a, c.b));
        EXPECT_GT(to, std::max(c.a, c.b));
    }
}

}  // namespace
}  // namespace corvanta::nec
