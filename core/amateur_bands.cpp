#include "core/amateur_bands.h"

#include <array>
#include <charconv>

namespace corvanta {

namespace {

constexpr std::array<Band, 17> kBands = {{
    {"160m", "1.8", "1.9", "2"},
    {"80m", "3.5", "3.75", "4"},
    {"60m", "5.3515", "5.359", "5.3665"},
    {"40m", "7", "7.15", "7.3"},
    {"30m", "10.1", "10.125", "10.15"},
    {"20m", "14", "14.175", "14.35"},
    {"17m", "18.068", "18.118", "18.168"},
    {"15m", "21", "21.225", "21.45"},
    {"12m", "24.89", "24.94", "24.99"},
    {"10m", "28", "28.85", "29.7"},
    {"6m", "50", "52", "54"},
    {"4m", "70", "70.25", "70.5"},
    {"2m", "144", "146", "148"},
    {"1.25m", "222", "223.5", "225"},
    {"70cm", "420", "435", "450"},
    {"33cm", "902", "915", "928"},
    {"23cm", "1240", "1270", "1300"},
}};

// The table's own texts: plain decimals with a point.
double Number(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

double Band::LowMHz() const { return Number(low); }
double Band::HighMHz() const { return Number(high); }

std::span<const Band> Bands() { return kBands; }

std::optional<Band> FindBand(std::string_view name) {
    for (const Band& band : kBands) {
        if (band.name == name) return band;
    }
    return std::nullopt;
}

std::optional<Band> BandHolding(double mhz) {
    for (const Band& band : kBands) {
        if (band.Holds(mhz)) return band;
    }
    return std::nullopt;
}

}  // namespace corvanta
