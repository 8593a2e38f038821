#pragma once

#include <complex>
#include <optional>

// What a builder connects after the lines' junction: an ideal balun of N:1
// impedance ratio, then a feeder to the radio or the analyser. The feeder is
// a lossy line with a real characteristic impedance:
//     Zin = Z0 (ZL + Z0 tanh gl) / (Z0 + ZL tanh gl),   g = a + j b,
//     a = DB / 868.6 a metre x sqrt(f / design frequency),  b = 2 pi f / (c VF),
// its loss given as matched dB per 100 m at the design frequency (a
// conductor's loss grows with the square root of the frequency).

namespace corvanta::nec {

struct Feeder {
    double impedanceOhm = 50;
    double velocityFactor = 0.66;
    double lengthM = 0;
    double lossDbPer100m = 0;  // matched, at the design frequency
};

struct FeedChain {
    double balunRatio = 1;         // N of an N:1 balun; 1 without one
    std::optional<Feeder> feeder;  // none: the radio sits at the balun
};

// The feeder's input with `load` at its far end, at `mhz`.
std::complex<double> FeederInput(std::complex<double> load, const Feeder& feeder, double mhz, double designMHz);

// The load that shows `input` at the feeder's input: the inverse.
std::complex<double> FeederLoad(std::complex<double> input, const Feeder& feeder, double mhz, double designMHz);

// The power lost in the feeder, 10 log10(P in / P out), with `load` at its
// far end: dissipation only, not what the mismatch sends back.
double FeederLossDb(std::complex<double> load, const Feeder& feeder, double mhz, double designMHz);

// The radio end of the chain for the lines' junction impedance, and back.
std::complex<double> RadioEnd(std::complex<double> junction, const FeedChain& chain, double mhz, double designMHz);
std::complex<double> JunctionOf(std::complex<double> radio, const FeedChain& chain, double mhz, double designMHz);

}  // namespace corvanta::nec
