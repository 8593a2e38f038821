// What the check may claim: only a rising gap reactance is the loop's own
// resonance, the model states how far its resonance moves when the
// segments change, and over real ground only the upward share counts.

#include <gtest/gtest.h>

#include <cmath>

#include "nec/analysis.h"
#include "nec/model_check.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

SweepPoint Point(double mhz, std::complex<double> gap) {
    SweepPoint point;
    point.mhz = mhz;
    point.gaps = {gap, gap, gap};
    return point;
}

// A made-up sweep: the reactance rises through zero at 142.5 MHz, falls
// through it at 257.5 MHz (R 1190 there, as a loop a wavelength and a half
// round) and rises again at 360 MHz.
TEST(ModelLimits, ResonancesRiseAndAntiResonancesFall) {
    const std::vector<SweepPoint> sweep = {
        Point(140, {170, -10}), Point(145, {175, 10}),    // rises at 142.5
        Point(255, {1180, 40}), Point(260, {1200, -40}),  // falls at 257.5, R 1190
        Point(350, {100, -20}), Point(370, {120, 20}),    // rises at 360
    };
    std::vector<double> mhz, reactance;
    for (const SweepPoint& p : sweep) {
        mhz.push_back(p.mhz);
        reactance.push_back(p.gaps.front().imag());
    }
    EXPECT_EQ(RisingZeroCrossings(mhz, reactance), (std::vector<double>{142.5, 360}));
    const std::vector<AntiResonance> anti = AntiResonances(sweep);
    ASSERT_EQ(anti.size(), 1U);
    EXPECT_DOUBLE_EQ(anti[0].mhz, 257.5);
    EXPECT_DOUBLE_EQ(anti[0].rOhm, 1190);
    // Between 145 and 255 MHz the reactance stays above zero: no crossing
    // of either kind there.
}

// The second model's short sweep: a crossing inside it, or one the slope
// puts outside it, or none where the reactance does not rise.
TEST(ModelLimits, ResonanceOfAShortSweep) {
    const struct {
        const char* name;
        std::vector<double> reactance;  // at 99, 100, 101 MHz
        std::optional<double> mhz;
        bool outside;
    } cases[] = {
        {"inside", {-10, 0, 10}, 100, false},           {"between points", {-15, -5, 5}, 100.5, false},
        {"above", {-30, -20, -10}, 102, true},          {"below", {10, 20, 30}, 98, true},
        {"falling", {10, 0, -10}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool outside = !c.outside;
        const std::optional<double> found = ResonanceOfShortSweep({99, 100, 101}, c.reactance, outside);
        ASSERT_EQ(found.has_value(), c.mhz.has_value());
        if (c.mhz) {
            EXPECT_NEAR(*found, *c.mhz, 1e-12);
            EXPECT_EQ(outside, c.outside);
        }
    }
}

// Over real ground the engine's efficiency counts only the wire's loss: the
// share that reaches the sky is half the average gain over the upper half.
TEST(ModelLimits, SkyShare) {
    EXPECT_NEAR(SkyPercent(Ground::Average, 99.89, 1.0838), 54.19, 1e-9);
    EXPECT_DOUBLE_EQ(SkyPercent(Ground::Free, 99.81, 0.9983), 99.81);
    EXPECT_DOUBLE_EQ(SkyPercent(Ground::Perfect, 99.81, 1.9962), 99.81);
}

// Every design is judged over three levels where it can be: finer ones
// where its segments can be cut and stay valid, else coarser ones; every
// level keeps its corners at 8 radii and neighbours within kGrowth.
TEST(ModelLimits, EveryDesignIsJudgedOverLevels) {
    const struct {
        const char* mhz;
        SideChoice sides;
        const char* mm;
        std::size_t finer;
    } cases[] = {
        {"146", SideChoice::Three, "1.626", 2}, {"146", SideChoice::Three, "20", 0}, {"432", SideChoice::Three, "6", 0},
        {"1296", SideChoice::Four, "3.264", 0}, {"3.6", SideChoice::Four, "2", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mhz) + " MHz, " + c.mm + " mm");
        const CheckPlan plan = PlanCheck(RunDesign({c.mhz, c.sides, SizeInput{SizeUnit::Mm, c.mm}}), {});
        EXPECT_EQ(plan.convergence.levels.size(), c.finer);
        for (const LoopModel* level : plan.convergence.All()) {
            const std::vector<double> lengths = level->VerticalLengths();
            const double corner = kThinWireRadii * level->radiusMm * (1 - 1e-9);
            EXPECT_GE(lengths.front(), corner);
            EXPECT_GE(lengths.back(), corner);
            EXPECT_GE(level->sideMm / level->edgeSegments, corner);
            EXPECT_GE(level->ShortestMm(), kExtendedKernelRadii * level->radiusMm * (1 - 1e-9));
            // The even cut jumps from the gap to its even segments, as a deck
            // written by hand does.
            if (plan.convergence.evenCut && level == &*plan.convergence.evenCut) {
                const std::size_t fed = static_cast<std::size_t>(level->FeedSegment() - 1);
                EXPECT_EQ(lengths[fed - 1], lengths.front());
                EXPECT_EQ(lengths[fed + static_cast<std::size_t>(level->gapSegments)], lengths.back());
                EXPECT_NEAR(level->FedMm(), plan.model.FedMm(), 1e-9);
                continue;
            }
            for (std::size_t i = 1; i < lengths.size(); ++i) {
                EXPECT_LE(std::max(lengths[i], lengths[i - 1]) / std::min(lengths[i], lengths[i - 1]), kGrowth + 1e-9);
            }
        }
        // Finer or coarser, every level feeds the same gap.
        for (const auto* group : {&plan.convergence.levels, &plan.convergence.coarser}) {
            for (const LoopModel& level : *group) EXPECT_NEAR(level.FedMm(), plan.model.FedMm(), 1e-9);
        }
    }
}

// Through nec2c: the thin wire's uncertainty is known from its levels; a
// nearly resonant 20 mm tube whose only other valid model is the longer
// feed gets the spread of the two; a 30 mm tube with no other valid model
// at all gets no uncertainty rather than a made-up one.
TEST(ModelLimits, UncertaintyOfThickAndThinConductors) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const struct {
        const char* mhz;
        const char* mm;
        bool known;
    } cases[] = {
        {"146", "1.626", true},
        {"146", "20", true},
        {"146", "30", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mhz) + " MHz, " + c.mm + " mm");
        CheckOptions options;
        options.sweepPoints = 31;
        options.pattern.azimuthStepDeg = 30;
        options.pattern.elevationStepDeg = 15;
        const ModelCheck check =
            RunCheck(RunDesign({c.mhz, SideChoice::Three, SizeInput{SizeUnit::Mm, c.mm}}), options);
        ASSERT_EQ(check.report.resonanceUncertaintyPercent.has_value(), c.known);
        const SanityCheck& convergence = check.report.sanity[1];
        EXPECT_EQ(convergence.name, "convergence");
        EXPECT_EQ(convergence.verdict == Verdict::NotApplicable, !c.known) << convergence.detail;
        if (c.known) {
            EXPECT_GT(*check.report.resonanceUncertaintyPercent, kUncertaintyFloorPercent);
        }
    }
}

// The adaptive sweep against every row from the engine, over designs from
// 3.6 to 1296 MHz, both shapes, both grounds and a wide sweep through an
// anti-resonance: every row within 1e-3, resonances and 2:1 edges within
// 0.02 %, and fewer than half the rows from the engine.
TEST(ModelLimits, AdaptiveSweepAgreesWithTheEngine) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        const char* mhz;
        SideChoice sides;
        Placement placement;
        std::optional<std::pair<double, double>> sweep;
        int points;
    };
    const Case cases[] = {
        {"3.6", SideChoice::Four, {}, std::nullopt, 101},
        {"146", SideChoice::Three, {}, std::nullopt, 101},
        {"146", SideChoice::Four, {Ground::Perfect, 5}, std::nullopt, 101},
        {"50.1", SideChoice::Three, {Ground::Average, 8}, std::nullopt, 101},
        {"1296", SideChoice::Four, {}, std::nullopt, 101},
        {"146", SideChoice::Three, {}, std::pair{40.0, 400.0}, 361},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mhz) + " MHz, " + (c.sides == SideChoice::Four ? "four" : "three"));
        CheckOptions options;
        options.placement = c.placement;
        options.sweepPoints = c.points;
        if (c.sweep) {
            options.sweepFromMHz = c.sweep->first;
            options.sweepToMHz = c.sweep->second;
        }
        options.pattern.azimuthStepDeg = 45;
        options.pattern.elevationStepDeg = 15;
        const Design design = RunDesign({c.mhz, c.sides, std::nullopt});
        const ModelCheck adaptive = RunCheck(design, options);
        options.sweepMode = SweepMode::Exact;
        const ModelCheck exact = RunCheck(design, options);
        const CheckReport &a = adaptive.report, &e = exact.report;
        EXPECT_EQ(a.sampling.mode, SweepMode::Adaptive);
        EXPECT_LT(a.sampling.engineMHz.size() * 2, a.sweep.size());
        ASSERT_TRUE(a.sampling.interpolationMaxError);
        EXPECT_LT(*a.sampling.interpolationMaxError, 1e-3);
        ASSERT_EQ(a.sweep.size(), e.sweep.size());
        for (std::size_t i = 0; i < a.sweep.size(); ++i) {
            const std::complex<double> za = a.sweep[i].gaps.front(), ze = e.sweep[i].gaps.front();
            EXPECT_LT(std::abs(za - ze) / std::abs(ze), 1e-3) << a.sweep[i].mhz;
        }
        ASSERT_EQ(a.resonancesMHz.size(), e.resonancesMHz.size());
        for (std::size_t i = 0; i < a.resonancesMHz.size(); ++i) {
            EXPECT_NEAR(a.resonancesMHz[i], e.resonancesMHz[i], 2e-4 * e.resonancesMHz[i]);
        }
        for (std::size_t r = 0; r < kReadingCount; ++r) {
            ASSERT_EQ(a.under2[r].size(), e.under2[r].size()) << kReadings[r].rangesKey;
            for (std::size_t k = 0; k < a.under2[r].size(); ++k) {
                for (const auto edge : {&Range::fromMHz, &Range::toMHz}) {
                    ASSERT_EQ((a.under2[r][k].*edge).has_value(), (e.under2[r][k].*edge).has_value());
                    if ((e.under2[r][k].*edge)) {
                        EXPECT_NEAR(*(a.under2[r][k].*edge), *(e.under2[r][k].*edge), 2e-4 * *(e.under2[r][k].*edge))
                            << kReadings[r].rangesKey;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace corvanta::nec
