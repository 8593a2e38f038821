#include "nec/line_stub.h"

#include <cmath>
#include <vector>

#include "nec/analysis.h"
#include "nec/failure.h"
#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

constexpr double kLightMPerS = 299792458.0;

// The frequency whose wave in free space is `waves` times the stub's length,
// for a velocity factor: where the stub's first dip lies.
double DipMHz(double lengthMm, double waves, double velocityFactor) {
    return velocityFactor * kLightMPerS / (lengthMm / 1000 / waves) / 1e6;
}

}  // namespace

StubReading ReadStub(const OnePortSweep& sweep, double lengthMm, StubEnd end, double lineImpedanceOhm) {
    if (sweep.mhz.size() < 2 || sweep.reflection.size() != sweep.mhz.size()) {
        throw Failure(FailureKind::Measurement, "the stub's sweep needs two points at least");
    }
    // The first dip is a quarter wave open, a half wave shorted.
    const double waves = end == StubEnd::Open ? 0.25 : 0.5;
    const double from = DipMHz(lengthMm, waves, kStubLeastVelocityFactor) * 0.9;
    const double to = DipMHz(lengthMm, waves, kStubMostVelocityFactor) * 1.1;
    const std::string measure = "measure the stub from " + Trimmed(from, 3) + " to " + Trimmed(to, 3) +
                                " MHz, where its first dip lies for a velocity factor from " +
                                Fixed(kStubLeastVelocityFactor, 2) + " to " + Fixed(kStubMostVelocityFactor, 2);
    std::vector<double> reactance, resistance;
    for (std::complex<double> s : sweep.reflection) {
        const std::complex<double> z = ImpedanceOf(s, sweep.referenceOhm);
        reactance.push_back(z.imag());
        resistance.push_back(z.real());
    }
    const std::vector<double> dips = RisingZeroCrossings(sweep.mhz, reactance);
    if (dips.empty()) {
        throw Failure(FailureKind::Measurement, "the stub's reactance does not rise through zero between " +
                                                    Fixed(sweep.mhz.front(), 3) + " and " + Fixed(sweep.mhz.back(), 3) +
                                                    " MHz, so it shows no dip: " + measure);
    }
    StubReading reading;
    reading.mhz = dips.front();
    reading.velocityFactor = lengthMm / 1000 / waves * reading.mhz * 1e6 / kLightMPerS;
    if (reading.velocityFactor < kStubLeastVelocityFactor || reading.velocityFactor > kStubMostVelocityFactor) {
        throw Failure(FailureKind::Measurement,
                      "the stub's first dip in the sweep, at " + Fixed(reading.mhz, 3) +
                          " MHz, would need a velocity factor of " + Fixed(reading.velocityFactor, 3) +
                          ", which no line has: check the stub's length and its end, or " + measure);
    }
    // R between the two points either side of the dip.
    std::size_t hi = 1;
    while (hi + 1 < sweep.mhz.size() && sweep.mhz[hi] < reading.mhz) ++hi;
    const double t = (reading.mhz - sweep.mhz[hi - 1]) / (sweep.mhz[hi] - sweep.mhz[hi - 1]);
    reading.rOhm = resistance[hi - 1] + t * (resistance[hi] - resistance[hi - 1]);
    const double share = std::min(std::max(reading.rOhm / lineImpedanceOhm, 0.0), 0.999);
    const double nepersPerMetre = std::atanh(share) / (lengthMm / 1000);
    reading.lossDbPer100m = 20 / std::log(10.0) * nepersPerMetre * 100;
    return reading;
}

std::string StubWords(const StubReading& reading, double lengthMm, StubEnd end, double lineImpedanceOhm,
                      const std::string& source) {
    const bool open = end == StubEnd::Open;
    return "stub: " + Trimmed(lengthMm, 6) + " mm, " + (open ? "open" : "shorted") + " at its far end (" + source +
           ")\nfirst dip: " + Fixed(reading.mhz, 3) + " MHz, " + (open ? "a quarter" : "a half") +
           " wave\nvelocity factor: " + Fixed(reading.velocityFactor, 3) +
           "\nloss: " + Fixed(reading.lossDbPer100m, 2) + " dB per 100 m at " + Fixed(reading.mhz, 3) + " MHz (R " +
           Fixed(reading.rOhm, 2) + " ohm there, lines of " + Trimmed(lineImpedanceOhm, 4) + " ohm)\n";
}

}  // namespace corvanta::nec
