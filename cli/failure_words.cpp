#include "cli/failure_words.h"

#include "nec/number_text.h"

namespace corvanta::cli {

std::string FailureWords(const nec::Failure& failure, std::string_view file) {
    const nec::FailureFacts& facts = failure.Facts();
    switch (facts.kind) {
        case nec::FailureKind::TooNearGround:
            return facts.detail + ": give a --height of " + nec::Fixed(facts.limit.value_or(0), 3) + " m or more";
        case nec::FailureKind::SegmentsPerGap:
            return "--segments-per-gap " + std::to_string(facts.count) + ": " + facts.detail + ": " +
                   (facts.fewest > facts.most    ? std::string("leave --segments-per-gap out")
                    : facts.fewest == facts.most ? "give --segments-per-gap " + std::to_string(facts.most)
                                                 : "give --segments-per-gap from " + std::to_string(facts.fewest) +
                                                       " to " + std::to_string(facts.most));
        case nec::FailureKind::EngineMissing:
            return std::string(failure.what()) + "; install Debian's package nec2c (sudo apt-get install nec2c)";
        case nec::FailureKind::EngineTimedOut:
            return std::string(failure.what()) + " (--timeout SECONDS gives the whole check longer)";
        case nec::FailureKind::Measurement:
        case nec::FailureKind::Record:
        case nec::FailureKind::RecordNewer:
            if (!file.empty()) return std::string(file) + ": " + failure.what();
            break;
        case nec::FailureKind::Model:
        case nec::FailureKind::EngineNotStarted:
        case nec::FailureKind::EngineCrashed:
        case nec::FailureKind::EngineFailed:
        case nec::FailureKind::Stopped:
        case nec::FailureKind::Answer:
        case nec::FailureKind::System:
        case nec::FailureKind::File:
            break;
    }
    return failure.what();
}

std::string RecordFailureWords(const nec::Failure& failure, std::string_view record) {
    if (failure.Kind() == nec::FailureKind::TooNearGround) {
        return std::string(record) + ": placement.height_m: " + failure.what();
    }
    return FailureWords(failure);
}

std::string AdviceWords(nec::Advice advice, double value) {
    switch (advice) {
        case nec::Advice::FinerSweep:
            return "a finer --sweep places a resonance better";
        case nec::Advice::Tune:
            return "check --tune gives the lengths that resonate at the design frequency";
        case nec::Advice::LineImpedance:
            return "give --line-impedance " + nec::Trimmed(value, 4);
        case nec::Advice::StubVelocityFactor:
            return "line --measured STUB.s1p --line-length MM --end open|short reads the lines' velocity factor from "
                   "a stub of them; give it as --velocity-factor";
    }
    return {};
}

int ExitStatusOf(const nec::Failure& failure) {
    const nec::FailureKind kind = failure.Kind();
    return kind == nec::FailureKind::TooNearGround || kind == nec::FailureKind::SegmentsPerGap ? 2 : 1;
}

}  // namespace corvanta::cli
