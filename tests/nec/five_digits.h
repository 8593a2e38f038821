#pragma once

#include <cmath>
#include <complex>

// Rounds both parts to five significant digits, as the engine prints them:
// the made-up engines of the sweep tests answer no better than nec2c does.

namespace corvanta::nec::testing {

inline std::complex<double> FiveDigits(std::complex<double> z) {
    const auto round = [](double v) {
        if (v == 0) return v;
        const double scale = std::pow(10.0, 4 - std::floor(std::log10(std::abs(v))));
        return std::round(v * scale) / scale;
    };
    return {round(z.real()), round(z.imag())};
}

}  // namespace corvanta::nec::testing
