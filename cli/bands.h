#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace corvanta::cli {

// An amateur band from 6 m up to 23 cm, edges and centre in MHz as texts,
// so that they go into the frequency field exactly as written here.
struct Band {
    std::string_view name;
    std::string_view low;
    std::string_view centre;
    std::string_view high;
};

inline constexpr std::array<Band, 7> kBands = {{
    {"6m", "50", "52", "54"},
    {"4m", "70", "70.25", "70.5"},
    {"2m", "144", "146", "148"},
    {"1.25m", "222", "223.5", "225"},
    {"70cm", "420", "435", "450"},
    {"33cm", "902", "915", "928"},
    {"23cm", "1240", "1270", "1300"},
}};

inline std::optional<Band> FindBand(std::string_view name) {
    for (const Band& band : kBands) {
        if (band.name == name) return band;
    }
    return std::nullopt;
}

}  // namespace corvanta::cli
