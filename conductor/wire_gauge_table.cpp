#include "conductor/wire_gauge_table.h"

namespace corvanta {

namespace {

constexpr std::array<GaugeRow, WireGaugeTable::kRowCount> kRows = {{
    {40, 0.0031}, {39, 0.0035},  {38, 0.004},   {37, 0.0045},   {36, 0.005},  {35, 0.0056}, {34, 0.0063}, {33, 0.0071},
    {32, 0.008},  {31, 0.0089},  {30, 0.01},    {29, 0.0113},   {28, 0.0126}, {27, 0.0142}, {26, 0.0159}, {25, 0.0179},
    {24, 0.0201}, {23, 0.0226},  {22, 0.0253},  {21, 0.0285},   {20, 0.032},  {19, 0.036},  {18, 0.04},   {17, 0.045},
    {16, 0.051},  {15, 0.057},   {14, 0.064},   {13, 0.072},    {12, 0.081},  {11, 0.091},  {10, 0.102},  {9, 0.114},
    {8, 0.128},   {7, 0.144},    {6, 0.162},    {5, 0.182},     {4, 0.204},   {3, 0.229},   {2, 0.258},   {1, 0.289},
    {0, 0.325},   {9009, 0.365}, {90009, 0.41}, {900009, 0.46},
}};

// From this diameter up a conductor is off the table again.
constexpr double kUpperLimitInch = 0.48;

}  // namespace

const std::array<GaugeRow, WireGaugeTable::kRowCount>& WireGaugeTable::Rows() { return kRows; }

std::optional<double> WireGaugeTable::GaugeToInch(double gauge) {
    for (const GaugeRow& row : kRows) {
        if (static_cast<double>(row.code) == gauge) return row.inch;
    }
    return std::nullopt;
}

std::int32_t WireGaugeTable::InchToGauge(double inch) {
    // Ordered rules; each one that holds overrides the one before. Anything
    // below the thinnest wire is off the table. (An older rule set only
    // started at 0.003, which left 0.003 up to 0.0031 with no code at all and
    // a stale gauge beside a new diameter; such a wire is off the table too.)
    std::int32_t code = kOffTable;
    for (const GaugeRow& row : kRows) {
        if (inch >= row.inch) code = row.code;
    }
    if (inch >= kUpperLimitInch) code = kOffTable;
    return code;
}

}  // namespace corvanta
