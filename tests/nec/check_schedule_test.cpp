// The check's engines on their schedule, through nec2c: what the check
// computes never depends on how many engines run at once, a sweep costs
// about as many engine points however finely it is divided, and the tune on
// the interpolated sweep finds the lengths that the tune on short exact
// sweeps finds.

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "nec/model_check.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

CheckOptions Coarse() {
    CheckOptions options;
    options.pattern.azimuthStepDeg = 45;
    options.pattern.elevationStepDeg = 15;
    return options;
}

// One engine or two: the same rows from the engine, the same numbers in
// every row, the same second-model search and the same tune, bit for bit;
// and the progress counts what the engines computed, far fewer than the
// sweep's rows.
TEST(CheckSchedule, OneEngineOrTwoGiveTheSameCheck) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const struct {
        const char* mhz;
        SideChoice sides;
        Placement placement;
        bool tune;
    } cases[] = {
        {"146", SideChoice::Three, {}, true},
        {"146", SideChoice::Four, {Ground::Perfect, 5}, false},
        {"3.6", SideChoice::Four, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mhz);
        const Design design = RunDesign({c.mhz, c.sides, std::nullopt});
        CheckOptions options = Coarse();
        options.placement = c.placement;
        options.tune = c.tune;
        std::vector<ModelCheck> checks;
        std::vector<std::pair<int, int>> progress;
        for (int jobs : {1, 2}) {
            options.jobs = jobs;
            std::mutex mutex;
            progress.clear();
            options.progress = [&](int done, int total) {
                std::lock_guard lock(mutex);
                progress.push_back({done, total});
            };
            checks.push_back(RunCheck(design, options));
        }
        const CheckReport &one = checks[0].report, &two = checks[1].report;
        EXPECT_EQ(one.sampling.mode, SweepMode::Adaptive);
        EXPECT_EQ(one.sampling.engineMHz, two.sampling.engineMHz);
        EXPECT_EQ(one.sampling.interpolationMaxError, two.sampling.interpolationMaxError);
        ASSERT_EQ(one.sweep.size(), two.sweep.size());
        for (std::size_t i = 0; i < one.sweep.size(); ++i) EXPECT_EQ(one.sweep[i].gaps, two.sweep[i].gaps) << i;
        EXPECT_EQ(one.resonancesMHz, two.resonancesMHz);
        EXPECT_EQ(one.resonanceUncertaintyPercent, two.resonanceUncertaintyPercent);
        EXPECT_EQ(one.atDesign.gaps, two.atDesign.gaps);
        EXPECT_EQ(one.maxGainDbi, two.maxGainDbi);
        ASSERT_EQ(one.tuned.has_value(), c.tune);
        ASSERT_EQ(two.tuned.has_value(), c.tune);
        if (c.tune) {
            EXPECT_EQ(one.tuned->scale, two.tuned->scale);
            EXPECT_EQ(one.tuned->resonanceMHz, two.tuned->resonanceMHz);
        }
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back().first, progress.back().second);
        EXPECT_LT(progress.back().first, static_cast<int>(one.sweep.size()) / 2);
        EXPECT_GE(progress.back().first, static_cast<int>(one.sampling.engineMHz.size()) + 1);
        for (const auto& [done, total] : progress) EXPECT_LE(done, total);
    }
}

// The interpolant is fitted to the engine's five digits, not closer, and
// its pole guard leaves the poles far from the sweep that a low-degree fit
// needs: a sweep of 41 rows or of 2001 costs about the engine points of 101.
TEST(CheckSchedule, EnginePointsHardlyGrowWithTheRows) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const struct {
        const char* mhz;
        SideChoice sides;
        double from, to;
    } cases[] = {
        {"146", SideChoice::Four, 120, 180},
        {"146", SideChoice::Three, 100, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mhz) + " MHz over " + std::to_string(c.from) + " to " + std::to_string(c.to));
        const Design design = RunDesign({c.mhz, c.sides, std::nullopt});
        CheckOptions options = Coarse();
        options.sweepFromMHz = c.from;
        options.sweepToMHz = c.to;
        std::vector<std::size_t> points;
        for (int rows : {101, 41, 2001}) {
            options.sweepPoints = rows;
            const ModelCheck check = RunCheck(design, options);
            EXPECT_EQ(check.report.sampling.mode, SweepMode::Adaptive) << rows;
            points.push_back(check.report.sampling.engineMHz.size());
        }
        // One round of four rows either way at most.
        EXPECT_LE(points[0], 20U);
        for (std::size_t k = 1; k < points.size(); ++k) {
            EXPECT_LE(points[k], points[0] + 4) << "against " << points[0];
            EXPECT_GE(points[k] + 4, points[0]) << "against " << points[0];
        }
    }
}

// The tune on the interpolated sweep (one engine frequency a guess, a
// Newton step along the sweep's slope for its resonance) against the tune
// on short exact sweeps: the same scale within the model's own uncertainty
// of the resonance, both within the tune's tolerance of the design
// frequency.
TEST(CheckSchedule, TheTuneOnTheInterpolantAgreesWithTheExactTune) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const struct {
        const char* mhz;
        SideChoice sides;
        Placement placement;
    } cases[] = {
        {"146", SideChoice::Four, {}},
        {"50.1", SideChoice::Three, {Ground::Average, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mhz);
        const Design design = RunDesign({c.mhz, c.sides, std::nullopt});
        CheckOptions options = Coarse();
        options.placement = c.placement;
        options.sweepPoints = 41;
        options.tune = true;
        const ModelCheck adaptive = RunCheck(design, options);
        options.sweepMode = SweepMode::Exact;
        const ModelCheck exact = RunCheck(design, options);
        ASSERT_TRUE(adaptive.report.tuned && exact.report.tuned);
        ASSERT_TRUE(exact.report.resonanceUncertaintyPercent);
        const TunedDesign &a = *adaptive.report.tuned, &e = *exact.report.tuned;
        EXPECT_TRUE(a.reached);
        EXPECT_TRUE(e.reached);
        const double uncertainty = *exact.report.resonanceUncertaintyPercent / 100;
        EXPECT_NEAR(a.scale, e.scale, e.scale * uncertainty);
        EXPECT_NEAR(a.sideMm, e.sideMm, e.sideMm * uncertainty);
        ASSERT_TRUE(a.resonanceMHz && e.resonanceMHz);
        EXPECT_NEAR(*a.resonanceMHz, *e.resonanceMHz, *e.resonanceMHz * uncertainty);
    }
}

}  // namespace
}  // namespace corvanta::nec
