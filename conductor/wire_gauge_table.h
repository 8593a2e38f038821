#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace corvanta {

// American Wire Gauge 40 to 0, then 00, 000 and 0000. Those three cannot be
// typed as numbers ("00" reads as 0), so they are coded 9009, 90009 and
// 900009. The diameters are the short decimals the program has always used,
// not values from the AWG formula, and they rise strictly.
struct GaugeRow {
    std::int32_t code;
    double inch;
};

class WireGaugeTable {
public:
    static constexpr std::int32_t kOffTable = 99999;  // a diameter outside the table
    static constexpr std::size_t kRowCount = 44;

    static const std::array<GaugeRow, kRowCount>& Rows();

    // The diameter of the row whose code equals `gauge` exactly
    // (14 and 14.0 match; 14.5, 41, 99999 and negatives do not).
    static std::optional<double> GaugeToInch(double gauge);

    // The code of the largest listed wire whose diameter does not exceed
    // `inch`; kOffTable below the thinnest wire (0.0031) and from 0.48 up.
    //     0.0639 -> 15    0.064 -> 14    0.46, 0.479 -> 900009    0.48 -> 99999
    static std::int32_t InchToGauge(double inch);
};

}  // namespace corvanta
