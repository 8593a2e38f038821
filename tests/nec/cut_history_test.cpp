// Cut and measure again: the MHz per 1 % and the next cut from sweeps of
// one loop trimmed between them, against numbers worked by hand.

#include "nec/cut_history.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvanta::nec {
namespace {

struct Worked {
    const char* name;
    std::vector<CutSweep> sweeps;
    double targetMHz;
    double mhzPerPercent, nextScale;
    BuiltLengths next;
};

// Two cuts: height + side 1100 then 1078 mm, 2.0408 % larger than the
// last, resonating 3 MHz lower: -3 / 2.0408 = -1.47 MHz per 1 %. Another
// 0.5 MHz up is 0.5 / 1.47 = 0.34014 % off: 1 - 0.5 / 147 = 0.9965986,
// 686 - 686 / 294 = 683.6667, 392 - 392 / 294 = 390.6667, 10 - 10 / 294.
// Three cuts, evenly apart and the middle one 0.1 MHz above the line:
// the slope of the outer two, -1.47; the line 0.0333 MHz up at the mean,
// so 0.46667 MHz to go, 0.46667 / 147 off: 0.9968254, 683.8222 mm.
const Worked kWorked[] = {
    {"two_cuts",
     {{{700, 400, 10}, 143.0}, {{686, 392, 10}, 146.0}},
     146.5,
     -1.47,
     0.9965986,
     {683.6667, 390.6667, 9.965986}},
    {"three_cuts",
     {{{700, 400, 10}, 143.0}, {{693, 396, 10}, 144.6}, {{686, 392, 10}, 146.0}},
     146.5,
     -1.47,
     0.9968254,
     {683.8222, 390.7556, 9.968254}},
    // Cut too short: 1.47 MHz down is 1 % more than the last cut.
    {"cut_too_short", {{{700, 400, 10}, 143.0}, {{686, 392, 10}, 146.0}}, 144.53, -1.47, 1.01, {692.86, 395.92, 10.1}},
};

class WorkedByHand : public testing::TestWithParam<Worked> {};

TEST_P(WorkedByHand, AsByHand) {
    const Worked& w = GetParam();
    const CutTrendResult result = CutAndMeasure(w.sweeps, w.targetMHz);
    ASSERT_TRUE(result.trend) << result.why;
    EXPECT_NEAR(result.trend->mhzPerPercent, w.mhzPerPercent, 1e-9);
    EXPECT_NEAR(result.trend->nextScale, w.nextScale, 1e-7);
    EXPECT_NEAR(result.trend->next.heightMm, w.next.heightMm, 1e-4);
    EXPECT_NEAR(result.trend->next.sideMm, w.next.sideMm, 1e-4);
    EXPECT_NEAR(result.trend->next.gapMm, w.next.gapMm, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(CutHistory, WorkedByHand, testing::ValuesIn(kWorked),
                         [](const testing::TestParamInfo<Worked>& each) { return std::string(each.param.name); });

// A loop whose resonance goes as 1 / size, as a scaled loop's does: two
// sweeps 1.4 % apart, both below the target, give the size that resonates
// there within 0.3 %.
TEST(CutHistory, NextCutOfAScaledLoopWithinAFewTenthsOfAPerCent) {
    const auto resonance = [](double size) { return 146.0 * 1074.0 / size; };
    for (const double first : {1100.0, 1120.0, 1090.0}) {
        const double second = first * 0.986;
        const CutTrendResult result = CutAndMeasure(
            {{{first * 0.6, first * 0.4, 10}, resonance(first)}, {{second * 0.6, second * 0.4, 10}, resonance(second)}},
            146.0);
        ASSERT_TRUE(result.trend);
        const double size = second * result.trend->nextScale;
        EXPECT_LT(std::abs(size / 1074.0 - 1), 0.003) << first;
    }
}

struct Refused {
    const char* name;
    std::vector<CutSweep> sweeps;
    const char* why;
};

class Refusals : public testing::TestWithParam<Refused> {};

TEST_P(Refusals, SayWhy) {
    const CutTrendResult result = CutAndMeasure(GetParam().sweeps, 146);
    EXPECT_FALSE(result.trend);
    EXPECT_NE(result.why.find(GetParam().why), std::string::npos) << result.why;
}

INSTANTIATE_TEST_SUITE_P(
    CutHistory, Refusals,
    testing::Values(Refused{"one_sweep", {{{700, 400, 10}, 143.0}}, "two sweeps"},
                    Refused{"one_cut_twice", {{{700, 400, 10}, 143.0}, {{700, 400, 10}, 143.2}}, "all of one cut"},
                    Refused{"rising_with_size", {{{700, 400, 10}, 146.0}, {{686, 392, 10}, 143.0}}, "did not fall"},
                    Refused{"no_resonance", {{{700, 400, 10}, 143.0}, {{686, 392, 10}, std::nan("")}}, "resonance"}),
    [](const testing::TestParamInfo<Refused>& each) { return std::string(each.param.name); });

// The cut from the sweeps beside a measurement's trim: the sweeps above,
// the trim's size (height + side) set apart, the difference worked by
// hand. Two cuts: 1078 (1 - 1/294) = 1074.33333 mm against 1075 is
// -0.062016 %; against the last cut 1 % small, 0.9965986 / 0.99 is
// 0.666529 % more. Three cuts: 1078 x 0.9968254 = 1074.57778 mm, -0.039276 %.
struct BesideTrim {
    const char* name;
    std::vector<CutSweep> sweeps;
    ScaledDesign trim;
    std::size_t count;
    double mhzPerPercent, heightMm, differencePercent;
};

const BesideTrim kBeside[] = {
    {"two_cuts", {{{700, 400, 10}, 143.0}, {{686, 392, 10}, 146.0}}, {1, 684, 391, 10}, 2, -1.47, 683.6667, -0.0620155},
    {"trim_one_percent_small",
     {{{700, 400, 10}, 143.0}, {{686, 392, 10}, 146.0}},
     {0.99, 686 * 0.99, 392 * 0.99, 9.9},
     2,
     -1.47,
     683.6667,
     0.6665292},
    {"three_cuts",
     {{{700, 400, 10}, 143.0}, {{693, 396, 10}, 144.6}, {{686, 392, 10}, 146.0}},
     {1, 684, 391, 10},
     3,
     -1.47,
     683.8222,
     -0.0392765},
};

class TwoSweepsBesideTrim : public testing::TestWithParam<BesideTrim> {};

TEST_P(TwoSweepsBesideTrim, AsByHand) {
    const BesideTrim& w = GetParam();
    const std::optional<TwoSweepCut> cut = TwoSweepCutOf(w.sweeps, w.trim, 146.5);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->sweeps, w.count);
    EXPECT_NEAR(cut->mhzPerPercent, w.mhzPerPercent, 1e-9);
    EXPECT_NEAR(cut->lengths.heightMm, w.heightMm, 1e-4);
    EXPECT_NEAR(cut->differencePercent, w.differencePercent, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(CutHistory, TwoSweepsBesideTrim, testing::ValuesIn(kBeside),
                         [](const testing::TestParamInfo<BesideTrim>& each) { return std::string(each.param.name); });

// No trend, or no trim to set it beside: nothing, rather than a number.
TEST(CutHistory, NoTwoSweepCutWithoutATrendOrATrim) {
    const ScaledDesign trim{1, 684, 391, 10};
    EXPECT_FALSE(TwoSweepCutOf({{{686, 392, 10}, 146.0}}, trim, 146.5));
    EXPECT_FALSE(TwoSweepCutOf({{{700, 400, 10}, 146.0}, {{686, 392, 10}, 143.0}}, trim, 146.5));
    EXPECT_FALSE(TwoSweepCutOf({{{700, 400, 10}, 143.0}, {{686, 392, 10}, 146.0}}, {1, 0, 0, 0}, 146.5));
}

}  // namespace
}  // namespace corvanta::nec
