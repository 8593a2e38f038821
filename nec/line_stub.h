#pragma once

#include <optional>
#include <string>

#include "nec/touchstone.h"

// A line's own velocity factor and loss, from an analyser's sweep of a stub
// of it: a length of the line, open or shorted at its far end. Its
// impedance dips at its first series resonance, where its reactance rises
// through zero: a quarter wave for an open end (VF = 4 L f / c), a half wave
// for a short (VF = 2 L f / c). There the stub shows Z0 tanh(a L), its loss
// alone, and a (nepers a metre) follows from R with the line's impedance.

namespace corvanta::nec {

enum class StubEnd { Open, Short };

struct StubReading {
    double mhz = 0;  // the first dip
    double velocityFactor = 0;
    double rOhm = 0;  // the resistance at the dip
    double lossDbPer100m = 0;
};

// The velocities a stub of real line may have; a dip that needs another
// is not the stub's first, or the length or the end is not as given.
inline constexpr double kStubLeastVelocityFactor = 0.5;
inline constexpr double kStubMostVelocityFactor = 1.0;

// Throws a Measurement failure that says why and what to do where the sweep
// shows no dip, or one that no velocity factor of a real line explains.
StubReading ReadStub(const OnePortSweep& sweep, double lengthMm, StubEnd end, double lineImpedanceOhm);

// The reading in the words every front end prints, a line each, `source`
// the sweep's file; what to do with the velocity factor is the front end's:
//     stub: 1000 mm, open at its far end (stub.s1p)
//     first dip: 73.241 MHz, a quarter wave
//     velocity factor: 0.977
//     loss: 3.75 dB per 100 m at 73.241 MHz (R 1.31 ohm there, lines of 300 ohm)
std::string StubWords(const StubReading& reading, double lengthMm, StubEnd end, double lineImpedanceOhm,
                      const std::string& source);

}  // namespace corvanta::nec
