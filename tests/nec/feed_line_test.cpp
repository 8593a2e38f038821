#include <gtest/gtest.h>

#include <complex>

#include "nec/feed_line.h"

namespace corvanta::nec {
namespace {

using Z = std::complex<double>;

// c / f in mm at 100 MHz: 2997.92458.
constexpr double kWavelength100 = 2997.92458;

// Worked out by hand (quarter, half and eighth waves) and, for the general
// cases, with the tan form of the equation in a few lines of Python.
TEST(FeedLine, TransformsTheLoad) {
    struct Case {
        const char* what;
        Z load;
        FeedLine line;
        double mhz;
        Z expected;
    };
    const Case cases[] = {
        {"quarter wave: Z0^2 / ZL", {150, 50}, {300, 1, kWavelength100 / 4}, 100, {540, -180}},
        {"half wave in 0.66 line: ZL again", {73, 42.5}, {300, 0.66, kWavelength100 / 2 * 0.66}, 100, {73, 42.5}},
        {"matched: Z0 at any length", {450, 0}, {450, 0.8, 123.4}, 146, {450, 0}},
        {"eighth wave shorted: j Z0", {0, 0}, {300, 1, kWavelength100 / 8}, 100, {0, 300}},
        {"the 146 MHz gap on the matching section",
         {185.03, 26.466},
         {300, 0.82, 421.2329},
         146,
         {476.419149546217, -68.65901357645055}},
        {"10 m band coax", {20, -5}, {75, 0.66, 1000}, 28.5, {40.56712274871618, 70.71678148344449}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Z got = LineInput(c.load, c.line, c.mhz);
        EXPECT_NEAR(got.real(), c.expected.real(), 1e-9 * std::abs(c.expected) + 1e-9);
        EXPECT_NEAR(got.imag(), c.expected.imag(), 1e-9 * std::abs(c.expected) + 1e-9);
    }
    // Three equal gaps: a third of one line's end; 900 and 300 ohm ends in
    // parallel: 225.
    const Z three = Junction({{185.03, 26.466}, {185.03, 26.466}, {185.03, 26.466}}, {300, 0.82, 421.2329}, 146);
    EXPECT_NEAR(three.real(), 158.8063831820723, 1e-9);
    EXPECT_NEAR(three.imag(), -22.886337858816916, 1e-9);
    const Z two = Junction({{100, 0}, {300, 0}}, {300, 1, kWavelength100 / 4}, 100);
    EXPECT_NEAR(two.real(), 225, 1e-9);
    EXPECT_NEAR(two.imag(), 0, 1e-9);
}

}  // namespace
}  // namespace corvanta::nec
