#pragma once

#include <complex>
#include <string>
#include <string_view>
#include <vector>

#include "nec/failure.h"

// One-port Touchstone (version 1) files, as network analysers and their PC
// programs save a sweep: S11 against frequency.

namespace corvanta::nec {

struct OnePortSweep {
    std::vector<double> mhz;                       // ascending
    std::vector<std::complex<double>> reflection;  // S11 against referenceOhm
    double referenceOhm = 50;
};

// Reads the option line in any of its forms (Hz, kHz, MHz or GHz; S; RI, MA
// or DB; R and any reference; the defaults GHz S MA R 50 for what it leaves
// out, or when there is none), comments and blank lines; refuses other
// parameters than S, more than one port, Touchstone 2 keywords and anything
// else that does not read with a Measurement failure that names the line.
OnePortSweep ReadTouchstone(std::string_view text);

// MHz, S, RI against `referenceOhm`; comments first, one a line.
std::string WriteTouchstone(const std::vector<double>& mhz, const std::vector<std::complex<double>>& impedance,
                            double referenceOhm, const std::vector<std::string>& comments);

std::complex<double> ReflectionOf(std::complex<double> impedance, double referenceOhm);
std::complex<double> ImpedanceOf(std::complex<double> reflection, double referenceOhm);

}  // namespace corvanta::nec
