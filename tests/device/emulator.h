#pragma once

#include <sys/types.h>

#include <complex>
#include <string>
#include <vector>

// The analyser emulator (analyser_emulator.cpp) run for a test: started
// with its options, its device file read from its first line, killed when
// this goes.

namespace corvanta::test {

class Emulator {
public:
    explicit Emulator(const std::vector<std::string>& options = {});
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // The device file; empty when the emulator did not start.
    const std::string& Path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

// The emulator's loop, as it computes it: S11 at `hz` of a series resonant
// circuit (R 60 ohm, Q 20) at `resonanceMHz`, against 50 ohm.
std::complex<double> EmulatedReflection(double hz, double resonanceMHz = 147.46);

}  // namespace corvanta::test
