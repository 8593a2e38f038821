#include "nec/feed_chain.h"

#include <cmath>
#include <numbers>

#include "nec/loop_model.h"

namespace corvanta::nec {

namespace {

// Nepers a metre from dB per 100 m: one neper is 20 / ln 10 = 8.686 dB.
constexpr double kDbPer100mPerNeperPerMetre = 868.6;

// The propagation constant times the length.
std::complex<double> Gl(const Feeder& feeder, double mhz, double designMHz) {
    const double alpha = feeder.lossDbPer100m / kDbPer100mPerNeperPerMetre * std::sqrt(mhz / designMHz);
    const double beta = 2 * std::numbers::pi * mhz / (kSpeedOfLight * feeder.velocityFactor);
    return std::complex<double>(alpha, beta) * feeder.lengthM;
}

}  // namespace

std::complex<double> FeederInput(std::complex<double> load, const Feeder& feeder, double mhz, double designMHz) {
    const std::complex<double> t = std::tanh(Gl(feeder, mhz, designMHz));
    const double z0 = feeder.impedanceOhm;
    return z0 * (load + z0 * t) / (z0 + load * t);
}

std::complex<double> FeederLoad(std::complex<double> input, const Feeder& feeder, double mhz, double designMHz) {
    const std::complex<double> t = std::tanh(Gl(feeder, mhz, designMHz));
    const double z0 = feeder.impedanceOhm;
    return z0 * (input - z0 * t) / (z0 - input * t);
}

double FeederLossDb(std::complex<double> load, const Feeder& feeder, double mhz, double designMHz) {
    // Voltage and current at the input for 1 V across the load.
    const std::complex<double> gl = Gl(feeder, mhz, designMHz);
    const double z0 = feeder.impedanceOhm;
    const std::complex<double> vLoad = 1, iLoad = vLoad / load;
    const std::complex<double> vIn = vLoad * std::cosh(gl) + iLoad * z0 * std::sinh(gl);
    const std::complex<double> iIn = iLoad * std::cosh(gl) + vLoad / z0 * std::sinh(gl);
    const double in = (vIn * std::conj(iIn)).real(), out = (vLoad * std::conj(iLoad)).real();
    return 10 * std::log10(in / out);
}

std::complex<double> RadioEnd(std::complex<double> junction, const FeedChain& chain, double mhz, double designMHz) {
    const std::complex<double> balun = junction / chain.balunRatio;
    return chain.feeder ? FeederInput(balun, *chain.feeder, mhz, designMHz) : balun;
}

std::complex<double> JunctionOf(std::complex<double> radio, const FeedChain& chain, double mhz, double designMHz) {
    const std::complex<double> balun = chain.feeder ? FeederLoad(radio, *chain.feeder, mhz, designMHz) : radio;
    return balun * chain.balunRatio;
}

}  // namespace corvanta::nec
