#include "conductor/wire_gauge_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/field_conversion.h"

namespace corvanta {
namespace {

TEST(WireGaugeTable, RowsRiseStrictlyWithDistinctCodes) {
    const auto& rows = WireGaugeTable::Rows();
    ASSERT_EQ(rows.size(), 44U);
    EXPECT_EQ(rows.front().code, 40);
    EXPECT_EQ(rows.back().code, 900009);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_LT(rows[i - 1].inch, rows[i].inch) << rows[i].code;
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(rows[i].code, rows[j].code);
    }
}

TEST(WireGaugeTable, GaugeToInchMatchesCodesExactly) {
    const std::pair<double, std::optional<double>> cases[] = {
        {14, 0.064},    {14.0, 0.064},  {0, 0.325},     {9009, 0.365},   {90009, 0.41},
        {900009, 0.46}, {40, 0.0031},   {41, std::nullopt}, {14.5, std::nullopt},
        {-1, std::nullopt}, {99999, std::nullopt}, {-0.0, 0.325},
    };
    for (const auto& [gauge, inch] : cases) {
        EXPECT_EQ(WireGaugeTable::GaugeToInch(gauge), inch) << gauge;
    }
    // "00" and "0000" are typed as gauge 0.
    EXPECT_EQ(WireGaugeTable::GaugeToInch(*ParseDouble("0000").value), 0.325);
}

TEST(WireGaugeTable, InchToGaugeClassifiesByLowerBound) {
    const std::pair<double, int> cases[] = {
        {0.0639, 15},   {0.064, 14},      {0.0031, 40},    {0.0029, 99999}, {0.0, 99999},
        {-0.064, 99999}, {0.46, 900009},  {0.479, 900009}, {0.48, 99999},   {1.0, 99999},
        {0.0045, 37},   {0.04, 18},       {0.325, 0},      {0.364, 0},
        // Between 0.003 and the thinnest wire: off the table, never no code.
        {0.003, 99999}, {0.00309, 99999},
    };
    for (const auto& [inch, code] : cases) {
        EXPECT_EQ(WireGaugeTable::InchToGauge(inch), code) << inch;
    }
}

TEST(WireGaugeTable, EveryRowMapsBackToItselfFromItsText) {
    for (const GaugeRow& row : WireGaugeTable::Rows()) {
        const double read = *ParseDouble(FormatDouble(row.inch)).value;
        EXPECT_EQ(WireGaugeTable::InchToGauge(read), row.code) << row.inch;
        EXPECT_EQ(WireGaugeTable::GaugeToInch(row.code), row.inch);
        // Just below the bound is the next thinner wire (or off the table).
        const int below = WireGaugeTable::InchToGauge(std::nextafter(row.inch, 0.0));
        EXPECT_NE(below, row.code);
    }
}

}  // namespace
}  // namespace corvanta
