// Any text as the engine's output. What reads must have a segment count
// above 0 and only finite numbers; held against what runs ask for, an
// answer that passes must have exactly the frequencies asked for (so above
// 0, in the order asked), a power budget and as many sources and pattern
// directions as asked, and the currents of every segment in order where
// asked. What is refused must be refused with the library's Failure, of the
// engine's answer, and its message must speak of the engine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "nec/output_reader.h"

namespace {

using namespace corvanta::nec;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

bool Finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

void CheckRefusal(const Failure& failure) {
    Check(failure.Kind() == FailureKind::Answer, "a refusal of another kind");
    Check(std::string_view(failure.what()).rfind("the engine", 0) == 0, "a refusal that does not speak of the engine");
}

// What the seed corpus answers: a sweep, one frequency alone, each with and
// without a short pattern cut after it, and the pattern's run with the
// currents of five segments.
const Expected kAsked[] = {
    {{140, 146, 152, 146}, 3, 7, 0}, {{140, 146, 152}, 3, 0, 0}, {{146}, 3, 7, 0}, {{146}, 3, 0, 0}, {{146}, 3, 7, 5},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    EngineOutput output;
    try {
        output = ReadOutput(text);
    } catch (const Failure& failure) {
        CheckRefusal(failure);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Check(false, "refused with another exception than the library's Failure");
    }
    Check(output.totalSegments.has_value() && *output.totalSegments > 0, "no segment count above 0");
    for (const FrequencyResult& f : output.frequencies) {
        Check(std::isfinite(f.echoedMHz), "a frequency not finite");
        for (const SourceReading& s : f.sources) {
            Check(Finite(s.voltage) && Finite(s.current) && Finite(s.impedance), "a source not finite");
        }
        Check(!f.efficiencyPercent || std::isfinite(*f.efficiencyPercent), "efficiency not finite");
        Check(!f.averagePowerGain || std::isfinite(*f.averagePowerGain), "average gain not finite");
        for (const PatternPoint& p : f.pattern) {
            Check(std::isfinite(p.thetaDeg) && std::isfinite(p.phiDeg) && std::isfinite(p.totalGainDb) &&
                      std::isfinite(p.thetaFieldVPerM) && std::isfinite(p.phiFieldVPerM),
                  "a pattern point not finite");
        }
        for (const CurrentReading& c : f.currents) {
            Check(std::isfinite(c.xWavelengths) && std::isfinite(c.yWavelengths) && std::isfinite(c.zWavelengths) &&
                      Finite(c.current) && std::isfinite(c.magnitudeA) && std::isfinite(c.phaseDeg),
                  "a current not finite");
        }
    }

    for (const Expected& asked : kAsked) {
        try {
            CheckOutput(output, asked);
        } catch (const Failure& failure) {
            CheckRefusal(failure);
            continue;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
            Check(false, "refused with another exception than the library's Failure");
        }
        Check(output.frequencies.size() == asked.frequenciesMHz.size(), "frequencies other than asked for");
        for (std::size_t i = 0; i < output.frequencies.size(); ++i) {
            const FrequencyResult& f = output.frequencies[i];
            const double mhz = asked.frequenciesMHz[i];
            Check(f.echoedMHz > 0 && std::abs(f.echoedMHz - mhz) <= 6e-5 * mhz, "a frequency other than asked for");
            Check(f.sources.size() == asked.sources, "sources other than asked for");
            Check(f.efficiencyPercent.has_value(), "no power budget");
        }
        if (asked.patternPoints > 0) {
            Check(output.frequencies.back().pattern.size() == asked.patternPoints &&
                      output.frequencies.back().averagePowerGain.has_value(),
                  "a pattern other than asked for");
        }
        if (asked.currents > 0) {
            const std::vector<CurrentReading>& currents = output.frequencies.back().currents;
            Check(currents.size() == asked.currents, "currents of other segments than asked for");
            for (std::size_t i = 0; i < currents.size(); ++i) {
                Check(currents[i].segment == static_cast<int>(i) + 1, "currents out of the segments' order");
            }
        }
    }
    return 0;
}
