#pragma once

// One failure of every kind, with the facts a real one carries: the table
// the library's, the command line's and the window's wording tests share.

#include <vector>

#include "nec/failure.h"

namespace corvanta::nec::testing {

inline FailureFacts Facts(FailureKind kind, const char* detail = "") {
    FailureFacts facts;
    facts.kind = kind;
    facts.detail = detail;
    facts.program = "nec2c";
    return facts;
}

// In the order of FailureKind, one of each.
inline std::vector<Failure> FailureSamples() {
    std::vector<Failure> samples;
    samples.emplace_back(Facts(FailureKind::Model, "the conductor is too thick to model"));
    FailureFacts low =
        Facts(FailureKind::TooNearGround, "at a height of 0.36 m the lowest wire is 0.1 mm above the ground");
    low.limit = 0.37;
    samples.emplace_back(low);
    samples.emplace_back(Facts(FailureKind::EngineMissing));
    samples.emplace_back(Facts(FailureKind::EngineNotStarted, "Permission denied"));
    FailureFacts slow = Facts(FailureKind::EngineTimedOut);
    slow.limit = 12.5;
    samples.emplace_back(slow);
    FailureFacts crashed = Facts(FailureKind::EngineCrashed, "Segmentation fault");
    crashed.status = 11;
    crashed.said = "reading the deck\nGW card 3";
    samples.emplace_back(crashed);
    FailureFacts failed = Facts(FailureKind::EngineFailed);
    failed.status = 1;
    failed.said = "GW card: the segment count is out of range";
    samples.emplace_back(failed);
    samples.emplace_back(Facts(FailureKind::Stopped));
    samples.emplace_back(Facts(FailureKind::Answer, "the engine's output has no segment count"));
    FailureFacts line = Facts(FailureKind::Measurement, "a number does not read");
    line.line = 4;
    line.text = "147 0.1 oops";
    samples.emplace_back(line);
    samples.emplace_back(Facts(FailureKind::System,
                               "cannot make a temporary directory /nowhere/corvanta-nec-XXXXXX: No such file or "
                               "directory"));
    FailureFacts fine = Facts(FailureKind::SegmentsPerGap,
                              "segments of 3.223 mm (the 9.67 mm gap in 3) would be under 4 wire radii "
                              "(3.252 mm), the least the extended thin-wire kernel holds");
    fine.count = 3;
    fine.fewest = 2;
    fine.most = 2;
    samples.emplace_back(fine);
    return samples;
}

inline constexpr std::size_t kFailureKinds = static_cast<std::size_t>(FailureKind::SegmentsPerGap) + 1;

}  // namespace corvanta::nec::testing
