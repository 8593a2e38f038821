#include "conductor/wire_gauge_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/field_conversion.h"

namespace corvanta {
namespace {

// The gauge number n of a code: 40 to 0 as they are, 00, 000 and 0000 as -1 to -3.
struct Gauge {
    std::int32_t code;
    int number;
};

std::vector<Gauge> EveryGauge() {
    std::vector<Gauge> gauges;
    for (int n = 40; n >= 0; --n) gauges.push_back({n, n});
    gauges.insert(gauges.end(), {{9009, -1}, {90009, -2}, {900009, -3}});
    return gauges;
}

// The American Wire Gauge formula: 0.005 inch for AWG 36, 92 times that for
// AWG 0000, in 39 equal ratios. The table's short decimals lie within 1.5 %
// of it, and neighbouring gauges differ by 12 %, so a wrong digit or a row
// out of place falls outside 2 %.
double FormulaInch(int number) { return 0.005 * std::pow(92.0, (36.0 - number) / 39.0); }
constexpr double kTableTolerance = 0.02;

TEST(WireGaugeTable, EveryGaugeHasItsDiameter) {
    const std::vector<Gauge> gauges = EveryGauge();
    ASSERT_EQ(gauges.size(), WireGaugeTable::kRowCount);
    for (const Gauge& gauge : gauges) {
        const std::optional<double> inch = WireGaugeTable::GaugeToInch(gauge.code);
        ASSERT_TRUE(inch) << gauge.code;
        EXPECT_NEAR(*inch / FormulaInch(gauge.number), 1.0, kTableTolerance) << gauge.code;
    }
    // The rows run from the thinnest wire up, each code once.
    const auto& rows = WireGaugeTable::Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].code, gauges[i].code);
}

TEST(WireGaugeTable, GaugeToInchMatchesCodesExactly) {
    for (double unlisted : {41.0, 14.5, -1.0, 99999.0, 9008.0, 14.000000000000002}) {
        EXPECT_FALSE(WireGaugeTable::GaugeToInch(unlisted)) << unlisted;
    }
    // "00", "0000" and "-0" are typed as gauge 0.
    for (const char* zero : {"00", "0000", "-0"}) {
        EXPECT_EQ(WireGaugeTable::GaugeToInch(*ParseDouble(zero).value), WireGaugeTable::GaugeToInch(0)) << zero;
    }
}

TEST(WireGaugeTable, InchToGaugeClassifiesByLowerBound) {
    const std::pair<double, int> cases[] = {
        {0.0639, 15},
        {0.064, 14},
        {0.0031, 40},
        {0.0029, 99999},
        {0.0, 99999},
        {-0.064, 99999},
        {0.46, 900009},
        {0.479, 900009},
        {0.48, 99999},
        {1.0, 99999},
        {0.0045, 37},
        {0.04, 18},
        {0.325, 0},
        {0.364, 0},
        // Between 0.003 and the thinnest wire: off the table, never no code.
        {0.003, 99999},
        {0.00309, 99999},
    };
    for (const auto& [inch, code] : cases) {
        EXPECT_EQ(WireGaugeTable::InchToGauge(inch), code) << inch;
    }
}

TEST(WireGaugeTable, EveryRowMapsBackToItselfFromItsText) {
    for (const GaugeRow& row : WireGaugeTable::Rows()) {
        const double read = *ParseDouble(FormatDouble(row.inch)).value;
        EXPECT_EQ(WireGaugeTable::InchToGauge(read), row.code) << row.inch;
        // Just below the bound is the next thinner wire (or off the table).
        const int below = WireGaugeTable::InchToGauge(std::nextafter(row.inch, 0.0));
        EXPECT_NE(below, row.code);
    }
}

}  // namespace
}  // namespace corvanta
