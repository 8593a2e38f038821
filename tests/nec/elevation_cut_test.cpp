#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "nec/model_check.h"
#include "nec/pattern_cuts.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

TEST(ElevationCut, FoldsAzimuthsOntoThePlanesOfSymmetry) {
    struct Case {
        double sideMiddle, azimuth, folded;
    };
    for (const Case& c : {Case{60, 200, 40}, Case{45, 315, 45}, Case{45, 270, 0}, Case{60, 180, 60}, Case{45, 225, 45},
                          Case{60, -60, 60}, Case{45, 370, 10}, Case{60, 0, 0}}) {
        SCOPED_TRACE(std::to_string(c.sideMiddle) + " " + std::to_string(c.azimuth));
        EXPECT_DOUBLE_EQ(FoldedAzimuth(c.sideMiddle, c.azimuth), c.folded);
    }
}

// Steps that resolve the lobes: about eight a lobe, lambda / (2 h) apart;
// none in free space.
TEST(ElevationCut, StepsFollowTheHeight) {
    struct Case {
        const char* mhz;
        Ground ground;
        double heightM;
        std::optional<double> step;
    };
    for (const Case& c : {Case{"146", Ground::Free, 0, std::nullopt}, Case{"146", Ground::Average, 1, 0.25},
                          Case{"146", Ground::Average, 10, 0.25}, Case{"146", Ground::Perfect, 30, 0.2},
                          Case{"146", Ground::Perfect, 60, 0.1}, Case{"146", Ground::Average, 125, 0.05},
                          Case{"1296", Ground::Average, 100, 0.02}}) {
        SCOPED_TRACE(std::string(c.mhz) + " MHz " + std::to_string(c.heightM) + " m");
        CheckOptions options;
        options.placement = {c.ground, c.heightM};
        const CheckPlan plan = PlanCheck(RunDesign({c.mhz, SideChoice::Three, std::nullopt}), options);
        EXPECT_EQ(ElevationCutStepDeg(plan.model), c.step);
        const std::optional<EngineRun> run = ElevationCutRun(plan.model, plan.pattern);
        ASSERT_EQ(run.has_value(), c.step.has_value());
        if (!run) continue;
        // The model as the check's own pattern run has it, then one
        // frequency and the cut's pattern in place of the grid's.
        const std::string full = FullDeck(plan);
        const std::string model = full.substr(0, full.find("\nFR ") + 1);
        EXPECT_EQ(run->deck.substr(0, model.size()), model);
        const int thetas = static_cast<int>(std::lround(90 / *c.step)) + 1;
        EXPECT_NE(run->deck.find("\nRP 0 " + std::to_string(thetas) + " 2 1 0 0 "), std::string::npos) << run->deck;
        EXPECT_EQ(run->deck.substr(run->deck.size() - 4), "\nEN\n");
        EXPECT_EQ(run->expected.patternPoints, static_cast<std::size_t>(2 * thetas));
    }
}

// The finer cut takes the place of the grid's only toward an azimuth it
// holds; the azimuth cut and the report stay the grid's.
TEST(ElevationCut, TakesThePlaceOfTheGridsCutOnAPlane) {
    CheckReport report;
    for (double phi : {0.0, 30.0, 180.0, 210.0}) {
        for (double theta = 0; theta <= 90; theta += 1) report.pattern.push_back({theta, phi, -theta / 10, 1, 0});
    }
    report.maxGainDbi = 0;
    report.maxGainThetaDeg = 0;
    ElevationCut finer{60, 0.5, {}};
    for (double phi : {0.0, 60.0}) {
        for (double theta = 0; theta <= 90; theta += 0.5) finer.points.push_back({theta, phi, 5 + phi / 60, 1, 0});
    }
    struct Case {
        double azimuth;
        bool finer;
        double front, back;  // the gain at 45 degrees in front and behind
    };
    for (const Case& c : {Case{0, true, 5, 6}, Case{180, true, 6, 5}, Case{30, false, -4.5, -4.5}}) {
        SCOPED_TRACE(c.azimuth);
        report.maxGainPhiDeg = c.azimuth;
        const PatternCuts cuts = CutsOf(report, Ground::Average, finer);
        EXPECT_EQ(cuts.finerElevation, c.finer);
        EXPECT_EQ(cuts.elevation.size(), c.finer ? 361U : 181U);
        for (const CutPoint& p : cuts.elevation) {
            if (p.angleDeg == 45) {
                EXPECT_DOUBLE_EQ(p.gainDbi, c.front);
            } else if (p.angleDeg == 135) {
                EXPECT_DOUBLE_EQ(p.gainDbi, c.back);
            }
        }
        EXPECT_EQ(cuts.azimuth.size(), 4U);
    }
}

// From the engine: the finer cut agrees with the grid at the grid's own
// elevations, and leaves the figures worked out over the grid as they are.
TEST(ElevationCut, AgreesWithTheGridAtItsElevations) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    CheckOptions options;
    options.sweepFromMHz = 140;
    options.sweepToMHz = 152;
    options.sweepPoints = 5;
    options.placement = {Ground::Average, 10};
    const ModelCheck check = RunCheck(RunDesign({"146", SideChoice::Four, std::nullopt}), options);
    ASSERT_TRUE(check.elevationCut);
    const PatternCuts grid = CutsOf(check.report, Ground::Average);
    const PatternCuts finer = CutsOf(check.report, Ground::Average, check.elevationCut);
    ASSERT_TRUE(finer.finerElevation);
    EXPECT_EQ(finer.elevation.size(), 721U);
    int compared = 0;
    for (const CutPoint& g : grid.elevation) {
        for (const CutPoint& f : finer.elevation) {
            if (std::abs(f.angleDeg - g.angleDeg) > 1e-6 || g.gainDbi < -100) continue;
            EXPECT_NEAR(f.gainDbi, g.gainDbi, 0.011) << g.angleDeg;
            ++compared;
        }
    }
    EXPECT_GE(compared, 170);
    EXPECT_EQ(check.report.pattern.size(), 91U * 73U);
}

}  // namespace
}  // namespace corvanta::nec
