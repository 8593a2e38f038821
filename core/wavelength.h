#pragma once

#include "core/checked_arithmetic.h"

// The two formulas that COMPUTE and ACCEPT share. A frequency in MHz is
// always a float read from the frequency field (or corrected from it);
// the arithmetic is double and checked.

namespace corvanta {

// Wavelength in millimetres = 300000 / frequency in MHz.
inline constexpr double kMillimetreMegahertz = 300000.0;

// The recommended minimum conductor diameter is the wavelength / 1263.7.
inline constexpr double kWavelengthsPerMinimumDiameter = 1263.7;

inline double WavelengthMm(float frequencyMHz) { return checked::Divide(kMillimetreMegahertz, frequencyMHz); }

// Not rounded; ACCEPT rounds it to three decimals for the millimetre field,
// COMPUTE stores it as a float.
inline double MinimumDiameterMm(float frequencyMHz) {
    return checked::Divide(WavelengthMm(frequencyMHz), kWavelengthsPerMinimumDiameter);
}

}  // namespace corvanta
