// Lengths as cut against the design: a loop cut a little small or large is
// what the trim is for; lengths typed ten times too long, in the wrong
// unit, or with HEIGHT and SIDE swapped would be trimmed into a confident
// wrong cut list, and are refused with the slip named.

#include "nec/built_lengths.h"

#include <gtest/gtest.h>

#include <string>

namespace corvanta::nec {
namespace {

// The 146 MHz designs as COMPUTE gives them (AWG 14).
constexpr BuiltLengths kThree{718.233, 266.718, 9.67};
constexpr BuiltLengths kFour{679.027, 391.212, 9.67};

TEST(BuiltLengths, TheTable) {
    struct Case {
        const char* name;
        BuiltLengths design;
        BuiltLengths built;
        bool refused;
        bool height, side, gap, proportion;
        BuiltSlip slip;
    };
    constexpr bool no = false, yes = true;
    const BuiltSlip none = BuiltSlip::None;
    // One row a line, as the table reads.
    // clang-format off
    const Case cases[] = {
        {"the design itself", kThree, kThree, no, no, no, no, no, none},
        {"a genuine 2 % small", kThree, {703.868, 261.384, 9.477}, no, no, no, no, no, none},
        {"the README's 1.2 % short", kThree, {709.6, 263.5, 9.55}, no, no, no, no, no, none},
        {"5 % long, the gap a hand's width off", kThree, {754.1, 280.1, 12.5}, no, no, no, no, no, none},
        {"the gap at twice the design's", kThree, {718.233, 266.718, 19.34}, no, no, no, no, no, none},
        {"the gap at half", kThree, {718.233, 266.718, 4.835}, no, no, no, no, no, none},
        {"four sides, 3 % long", kFour, {699.4, 402.9, 9.9}, no, no, no, no, no, none},
        {"ten times", kThree, {7096, 2635, 95.5}, yes, yes, yes, yes, no, BuiltSlip::TenTimes},
        {"ten times, the gap right", kThree, {7096, 2635, 9.55}, yes, yes, yes, no, no, BuiltSlip::TenTimes},
        {"swapped", kThree, {263.5, 709.6, 9.55}, yes, yes, yes, no, yes, BuiltSlip::Swapped},
        {"four sides swapped", kFour, {391.2, 679.0, 9.67}, yes, yes, yes, no, yes, BuiltSlip::Swapped},
        {"a tiny gap", kThree, {709.6, 263.5, 0.001}, yes, no, no, yes, no, none},
        {"a gap just over twice", kThree, {718.233, 266.718, 19.35}, yes, no, no, yes, no, none},
        {"centimetres", kThree, {71.8, 26.7, 0.97}, yes, yes, yes, yes, no, BuiltSlip::Tenth},
        {"inches", kThree, {28.277, 10.501, 0.381}, yes, yes, yes, yes, no, BuiltSlip::Inches},
        {"metres", kThree, {0.718, 0.267, 0.0097}, yes, yes, yes, yes, no, BuiltSlip::Metres},
        {"HEIGHT a third short", kThree, {480, 266.7, 9.67}, yes, yes, no, no, yes, none},
        {"in range, out of proportion", kThree, {775.7, 245.4, 9.67}, yes, no, no, no, yes, none},
        {"twice the design", kThree, {1436.5, 533.4, 19.3}, yes, yes, yes, no, no, none},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto refusal = JudgeBuiltLengths(c.built, c.design);
        ASSERT_EQ(refusal.has_value(), c.refused);
        if (!refusal) continue;
        EXPECT_EQ(refusal->height, c.height);
        EXPECT_EQ(refusal->side, c.side);
        EXPECT_EQ(refusal->gap, c.gap);
        EXPECT_EQ(refusal->proportion, c.proportion);
        EXPECT_EQ(refusal->slip, c.slip);
    }
}

TEST(BuiltLengths, TheSentenceNamesTheLengthsTheDesignsAndTheSlip) {
    const struct {
        const char* name;
        BuiltLengths built;
        std::string words;
    } cases[] = {
        {"ten times",
         {7096, 2635, 95.5},
         "HEIGHT 7096 mm, SIDE 2635 mm, GAP 95.5 mm are not lengths of this design (HEIGHT 718.233 mm, SIDE "
         "266.718 mm, GAP 9.67 mm): HEIGHT is 9.88 times the design's, SIDE 9.88 times (0.7 to 1.3 times is taken) "
         "and GAP is 9.88 times the design's (0.5 to 2 times is taken); every length is about ten times the "
         "design's: a decimal point left out?"},
        {"swapped",
         {263.5, 709.6, 9.55},
         "HEIGHT 263.5 mm, SIDE 709.6 mm, GAP 9.55 mm are not lengths of this design (HEIGHT 718.233 mm, SIDE "
         "266.718 mm, GAP 9.67 mm): HEIGHT is 0.37 times the design's, SIDE 2.66 times (0.7 to 1.3 times is "
         "taken) and HEIGHT over SIDE is 0.371 where the design's is 2.693 (within 10 % is taken); HEIGHT and "
         "SIDE look swapped"},
        {"a tiny gap",
         {709.6, 263.5, 0.001},
         "HEIGHT 709.6 mm, SIDE 263.5 mm, GAP 0.001 mm are not lengths of this design (HEIGHT 718.233 mm, SIDE "
         "266.718 mm, GAP 9.67 mm): GAP is 0.0001 times the design's (0.5 to 2 times is taken)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto refusal = JudgeBuiltLengths(c.built, kThree);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(Describe(*refusal), c.words);
    }
}

// A record's lengths are not refused, but the trim they would scale goes.
TEST(BuiltLengths, AStoredRefusalWithholdsTheTrim) {
    Measurement m;
    m.trim = ScaledDesign{0.98, 6954, 2582, 93.6};
    m.resonanceSpanMHz = std::array<double, 2>{142, 145};
    m.trimSpan = std::array<double, 2>{0.97, 0.99};
    const auto refusal = JudgeBuiltLengths({7096, 2635, 95.5}, kThree);
    ASSERT_TRUE(refusal);
    WithholdTrim(m, *refusal);
    EXPECT_FALSE(m.trim);
    EXPECT_FALSE(m.resonanceSpanMHz);
    EXPECT_FALSE(m.trimSpan);
    ASSERT_EQ(m.notes.size(), 1U);
    EXPECT_EQ(m.notes.front().rfind("no trim: the lengths as cut that the record holds, HEIGHT 7096 mm", 0), 0U)
        << m.notes.front();
}

}  // namespace
}  // namespace corvanta::nec
