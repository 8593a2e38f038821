#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "nec/analysis.h"
#include "nec/output_reader.h"

namespace corvanta::nec {
namespace {

// Crossings worked out by hand: a straight line between neighbours.
TEST(Analysis, RangesUnderTwoAndResonances) {
    const std::vector<double> mhz = {100, 110, 120, 130, 140};
    struct Case {
        std::vector<double> swr;
        std::vector<Range> ranges;
    };
    const Case cases[] = {
        {{3, 1.5, 1.5, 2.5, 3}, {{106.0 + 2.0 / 3, 125.0}}},
        {{1.5, 1.8, 3, 1, 1}, {{std::nullopt, 110.0 + 1.0 / 6 * 10}, {125.0, std::nullopt}}},
        {{3, 3, 3, 3, 3}, {}},
        {{1, 1, 1, 1, 1}, {{std::nullopt, std::nullopt}}},
        {{INFINITY, 1, 1, 1, INFINITY}, {{110.0, 130.0}}},
    };
    for (const Case& c : cases) {
        const std::vector<Range> ranges = RangesUnder(mhz, c.swr, 2);
        ASSERT_EQ(ranges.size(), c.ranges.size());
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            ASSERT_EQ(ranges[i].fromMHz.has_value(), c.ranges[i].fromMHz.has_value());
            ASSERT_EQ(ranges[i].toMHz.has_value(), c.ranges[i].toMHz.has_value());
            if (ranges[i].fromMHz) {
                EXPECT_NEAR(*ranges[i].fromMHz, *c.ranges[i].fromMHz, 1e-9);
            }
            if (ranges[i].toMHz) {
                EXPECT_NEAR(*ranges[i].toMHz, *c.ranges[i].toMHz, 1e-9);
            }
        }
    }
    EXPECT_EQ(ZeroCrossings(mhz, {-10, -5, 5, 10, -10}), (std::vector<double>{115, 135}));
    EXPECT_DOUBLE_EQ(Swr({150, 0}, 300), 2.0);
    EXPECT_DOUBLE_EQ(Swr({100, 0}, 50), 2.0);
    EXPECT_DOUBLE_EQ(Swr({40, 30}, 50), 2.0);  // |(-10+30j)/(90+30j)| = 1/3
    EXPECT_TRUE(std::isinf(Swr({0, 50}, 50)));
}

std::string Fixture() {
    std::ifstream file(CORVANTA_TEST_DATA "/nec2c_146_three.out");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// nec2c's answer to nec2c_146_three.nec: a sweep of 140, 146 and 152 MHz,
// then 146 MHz with a 30-degree pattern.
const Expected kAsked{{140, 146, 152, 146}, 3, 7 * 13};

TEST(OutputReader, ReadsTheEnginesAnswer) {
    const EngineOutput output = ReadOutput(Fixture());
    ASSERT_NO_THROW(CheckOutput(output, kAsked));
    EXPECT_EQ(output.totalSegments, 393);
    const SourceReading& first = output.frequencies[0].sources[0];
    EXPECT_EQ(first.segment, 38);
    EXPECT_DOUBLE_EQ(first.impedance.real(), 163.25);
    EXPECT_DOUBLE_EQ(first.impedance.imag(), -15.703);
    EXPECT_DOUBLE_EQ(first.current.real(), 6.0692e-3);
    EXPECT_EQ(output.frequencies[1].sources[2].tag, 7);
    EXPECT_DOUBLE_EQ(*output.frequencies[0].efficiencyPercent, 99.80);
    EXPECT_DOUBLE_EQ(*output.frequencies[3].averagePowerGain, 0.9877);
    // Rows with and without a polarisation sense: the fields count from the end.
    const std::vector<PatternPoint>& pattern = output.frequencies[3].pattern;
    EXPECT_DOUBLE_EQ(pattern[3].thetaDeg, 90);
    EXPECT_DOUBLE_EQ(pattern[3].thetaFieldVPerM, 8.6798E-01);
    EXPECT_DOUBLE_EQ(pattern[3].phiFieldVPerM, 1.9370E-14);
    EXPECT_DOUBLE_EQ(pattern[0].thetaFieldVPerM, 1.2585E-11);
    EXPECT_DOUBLE_EQ(pattern[0].phiFieldVPerM, 2.1399E-11);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// Doctored answers: each ends in a message that names what is wrong.
TEST(OutputReader, BrokenAnswersAreNamed) {
    const std::string good = Fixture();
    struct Case {
        const char* what;
        std::function<std::string()> text;
        Expected asked;
        const char* message;
    };
    const Case cases[] = {
        {"garbage", [] { return std::string("not an engine's output\n"); }, kAsked, "no segment count"},
        {"no source block",
         [&] {
             std::string text = good;
             for (std::size_t at; (at = text.find("ANTENNA INPUT PARAMETERS")) != std::string::npos;) {
                 text.replace(at, 24, "");
             }
             return text;
         },
         kAsked, "has 0 of the 3 sources"},
        {"nan", [&] { return Replace(good, "1.6325E+02", "nan"); }, kAsked, "nan in a source's input parameters"},
        {"inf efficiency", [&] { return Replace(good, "99.80 Percent", "inf Percent"); }, kAsked, "inf in EFFICIENCY"},
        {"unreadable frequency", [&] { return Replace(good, "1.4600E+02 MHz", "1.46OOE+02 MHz"); }, kAsked,
         "unreadable line"},
        {"truncated", [&] { return good.substr(0, good.find('\n', good.find("RADIATION PATTERNS") + 3000)); }, kAsked,
         "of the 91 directions"},
        {"row cut short", [&] { return good.substr(0, good.find("RADIATION PATTERNS") + 3000); }, kAsked,
         "unreadable pattern row"},
        {"no segments", [&] { return Replace(good, "USED: 393", "USED: 0"); }, kAsked, "has 0 as the segment count"},
        {"segments past an int", [&] { return Replace(good, "USED: 393", "USED: 1e300"); }, kAsked,
         "has 1e+300 as the segment count"},
        {"part of a segment", [&] { return Replace(good, "USED: 393", "USED: 392.5"); }, kAsked,
         "has 392.5 as the segment count"},
        {"a tag past an int", [&] { return Replace(good, "    4   169  1.0000E+00", "    4e10   169  1.0000E+00"); },
         kAsked, "as a source's tag"},
        {"ends early", [&] { return good.substr(0, good.rfind("--- FREQUENCY", good.find("1.5200E+02"))); }, kAsked,
         "ends early"},
        {"another frequency", [&] { return good; }, Expected{{140, 146.5, 152, 146}, 3, 91},
         "answered 146 MHz where 146.5 MHz was asked for"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            CheckOutput(ReadOutput(c.text()), c.asked);
            ADD_FAILURE() << "accepted";
        } catch (const Failure& error) {
            EXPECT_EQ(error.Kind(), FailureKind::Answer);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace corvanta::nec
