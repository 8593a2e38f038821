// The range an analyser sweeps when the builder names none: the model's
// resonance within its uncertainty and 5 % more, the design frequency and
// the band, within the analyser's limits; worked by hand.

#include "nec/measure_range.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace corvanta::nec {
namespace {

struct Chosen {
    const char* name;
    MeasureRangeInput input;
    double fromMHz, toMHz;
    double widthPercent;
    bool aroundModel, limited;
};

const BandChoice kTwoMetres{"2m", 144, 148};

// 146 x 0.947 = 138.262, 146 x 1.053 = 153.738; 150 x 0.94 = 141,
// 150 x 1.06 = 159; 160 x 0.95 = 152, above the design frequency, which
// then starts it; 146 x 0.95 = 138.7, x 1.05 = 153.3.
const Chosen kChosen[] = {
    {"resonance_and_uncertainty", {146, 0.3, 146, std::nullopt, 101, std::nullopt}, 138.262, 153.738, 5.3, true, false},
    {"resonance_high", {150, 1, 146, std::nullopt, 101, std::nullopt}, 141, 159, 6, true, false},
    {"design_outside_the_width", {160, std::nullopt, 146, std::nullopt, 101, std::nullopt}, 146, 168, 5, true, false},
    {"band_inside", {146, std::nullopt, 146, kTwoMetres, 101, std::nullopt}, 138.7, 153.3, 5, true, false},
    {"band_wider", {146, 0, 146, BandChoice{"", 130, 170}, 201, std::nullopt}, 130, 170, 5, true, false},
    {"no_resonance", {std::nullopt, 0.3, 146, std::nullopt, 101, std::nullopt}, 138.262, 153.738, 5.3, false, false},
    {"negative_uncertainty_counts_as_its_size",
     {146, -0.3, 146, std::nullopt, 11, std::nullopt},
     138.262,
     153.738,
     5.3,
     true,
     false},
    {"within_limits", {146, 0, 146, std::nullopt, 101, FrequencyLimits{140, 150}}, 140, 150, 5, true, true},
    {"limits_wider", {146, 0, 146, std::nullopt, 101, FrequencyLimits{0.05, 1500}}, 138.7, 153.3, 5, true, false},
    {"one_point", {146.5, 0, 146, std::nullopt, 1, std::nullopt}, 146.5, 146.5, 5, true, false},
};

class MeasureRanges : public testing::TestWithParam<Chosen> {};

TEST_P(MeasureRanges, AsByHand) {
    const Chosen& c = GetParam();
    const MeasureRangeResult result = ChooseMeasureRange(c.input);
    ASSERT_TRUE(result.range) << result.why;
    const MeasureRange& r = *result.range;
    EXPECT_NEAR(r.fromMHz, c.fromMHz, 1e-9);
    EXPECT_NEAR(r.toMHz, c.toMHz, 1e-9);
    EXPECT_NEAR(r.widthPercent, c.widthPercent, 1e-12);
    EXPECT_EQ(r.points, c.input.points);
    EXPECT_EQ(r.aroundModel, c.aroundModel);
    EXPECT_EQ(r.limited, c.limited);
}

INSTANTIATE_TEST_SUITE_P(MeasureRange, MeasureRanges, testing::ValuesIn(kChosen),
                         [](const testing::TestParamInfo<Chosen>& each) { return std::string(each.param.name); });

struct Refused {
    const char* name;
    MeasureRangeInput input;
    const char* why;
};

class MeasureRangeRefusals : public testing::TestWithParam<Refused> {};

TEST_P(MeasureRangeRefusals, SayWhy) {
    const MeasureRangeResult result = ChooseMeasureRange(GetParam().input);
    EXPECT_FALSE(result.range);
    EXPECT_NE(result.why.find(GetParam().why), std::string::npos) << result.why;
}

INSTANTIATE_TEST_SUITE_P(MeasureRange, MeasureRangeRefusals,
                         testing::Values(Refused{"resonance_out_of_reach",
                                                 {146, 0, 146, std::nullopt, 101, FrequencyLimits{50, 140}},
                                                 "the analyser sweeps 50 to 140 MHz, which does not reach 146.00 MHz"},
                                         Refused{"no_design_frequency",
                                                 {std::nullopt, 0, 0, std::nullopt, 101, std::nullopt},
                                                 "no design frequency"},
                                         Refused{
                                             "no_points", {146, 0, 146, std::nullopt, 0, std::nullopt}, "no points"}),
                         [](const testing::TestParamInfo<Refused>& each) { return std::string(each.param.name); });

// The text names the range, what it is around and the band.
TEST(MeasureRange, TextSaysWhatWasSwept) {
    const MeasureRangeResult result =
        ChooseMeasureRange({146.1, 0.28, 146, kTwoMetres, 101, FrequencyLimits{140, 150}});
    ASSERT_TRUE(result.range);
    EXPECT_EQ(MeasureRangeText(*result.range),
              "the analyser swept 140 to 150 MHz in 101 points: the model's resonance 146.10 MHz within "
              "5.28 % (its uncertainty and 5 % more), the design frequency and the band 2m (144 to 148 MHz), as far "
              "as the analyser reaches");
}

}  // namespace
}  // namespace corvanta::nec
