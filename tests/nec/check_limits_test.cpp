#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "nec/check_limits.h"

namespace corvanta::nec {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The header's examples, and each limit's edges: its least (taken or not),
// the next value below it, its most and the next value above.
TEST(CheckLimits, HoldAtTheirEdges) {
    struct Case {
        const char* name;
        Limit limit;
        double value;
        bool holds;
    };
    const Case cases[] = {
        {"balun 4", kBalunRatio, 4, true},
        {"balun 1", kBalunRatio, 1, true},
        {"balun below 1", kBalunRatio, std::nextafter(1.0, 0.0), false},
        {"balun 100", kBalunRatio, 100, true},
        {"balun above 100", kBalunRatio, std::nextafter(100.0, 200.0), false},
        {"impedance 0", kFeederImpedanceOhm, 0, false},
        {"impedance tiny", kFeederImpedanceOhm, 1e-300, true},
        {"impedance 10000", kFeederImpedanceOhm, 10000, true},
        {"impedance above", kFeederImpedanceOhm, std::nextafter(10000.0, 1e9), false},
        {"velocity 0", kFeederVelocityFactor, 0, false},
        {"velocity -0", kFeederVelocityFactor, -0.0, false},
        {"velocity 1e-300", kFeederVelocityFactor, 1e-300, false},
        {"velocity below 0.1", kFeederVelocityFactor, std::nextafter(0.1, 0.0), false},
        {"velocity 0.1", kFeederVelocityFactor, 0.1, true},
        {"lines' velocity 1e-300", kLinesVelocityFactor, 1e-300, false},
        {"lines' velocity 0.1", kLinesVelocityFactor, 0.1, true},
        {"lines' velocity 1", kLinesVelocityFactor, 1, true},
        {"height 0", kHeightM, 0, false},
        {"height 100000", kHeightM, 100000, true},
        {"height 1e300", kHeightM, 1e300, false},
        {"height 1e308", kHeightM, 1e308, false},
        {"velocity 1", kFeederVelocityFactor, 1, true},
        {"velocity above 1", kFeederVelocityFactor, std::nextafter(1.0, 2.0), false},
        {"length 0", kFeederLengthM, 0, true},
        {"length -0", kFeederLengthM, -0.0, true},
        {"length below 0", kFeederLengthM, -1e-300, false},
        {"length 10000", kFeederLengthM, 10000, true},
        {"loss 0", kFeederLossDbPer100m, 0, true},
        {"loss 1000", kFeederLossDbPer100m, 1000, true},
        {"loss above", kFeederLossDbPer100m, std::nextafter(1000.0, 2000.0), false},
        {"loss nan", kFeederLossDbPer100m, kNan, false},
        {"impedance infinite", kFeederImpedanceOhm, kInfinity, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.limit.Holds(c.value), c.holds);
    }
}

TEST(CheckLimits, Sweeps) {
    struct Case {
        double from, to, points;
        bool holds;
    };
    const Case cases[] = {
        {140, 130, 5, false},  // TO below FROM
        {140, 140, 1, true},      {116.8, 204.4, 101, true}, {0, 10, 5, false},    {-1, 10, 5, false},
        {1, kInfinity, 5, false}, {kNan, 10, 5, false},      {1, 10, 0, false},    {1, 10, 10000, true},
        {1, 10, 10001, false},    {1, 10, 10.5, false},      {1, 10, kNan, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ":" << c.to << ":" << c.points);
        EXPECT_EQ(SweepHolds(c.from, c.to, c.points), c.holds);
    }
}

}  // namespace
}  // namespace corvanta::nec
