#pragma once

#include <optional>
#include <span>
#include <string_view>

// The amateur bands, 160 m to 23 cm: each band's edges and a centre in MHz,
// as texts, so that they go into the frequency field exactly as written
// here. The HF bands take the widest edges of the three IARU regions.

namespace corvanta {

struct Band {
    std::string_view name;
    std::string_view low;
    std::string_view centre;
    std::string_view high;

    double LowMHz() const;
    double HighMHz() const;
    // Both edges belong to the band.
    bool Holds(double mhz) const { return mhz >= LowMHz() && mhz <= HighMHz(); }
};

// In order of frequency.
std::span<const Band> Bands();

// The band of that name ("2m", "70cm"), none for another name.
std::optional<Band> FindBand(std::string_view name);

// The band that holds the frequency, none between the bands.
std::optional<Band> BandHolding(double mhz);

}  // namespace corvanta
