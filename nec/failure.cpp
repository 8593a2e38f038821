#include "nec/failure.h"

#include <utility>

#include "nec/number_text.h"

namespace corvanta::nec {

Failure::Failure(FailureFacts facts) : std::runtime_error(Describe(facts)), facts_(std::move(facts)) {}

Failure::Failure(FailureKind kind, std::string detail)
    : Failure([&] {
          FailureFacts facts;
          facts.kind = kind;
          facts.detail = std::move(detail);
          return facts;
      }()) {}

Failure ModelFailure(std::string detail) { return Failure(FailureKind::Model, std::move(detail)); }

Failure AnswerFailure(std::string detail) { return Failure(FailureKind::Answer, std::move(detail)); }

Failure StoppedFailure() { return Failure(FailureKind::Stopped, {}); }

std::string Describe(const FailureFacts& facts) {
    const auto said = [&] {
        std::string text;
        std::size_t start = 0;
        while (start < facts.said.size()) {
            std::size_t end = facts.said.find('\n', start);
            if (end == std::string::npos) end = facts.said.size();
            text += "\n  " + facts.said.substr(start, end - start);
            start = end + 1;
        }
        return text.empty() ? text : "; it said:" + text;
    };
    switch (facts.kind) {
        case FailureKind::Model:
        case FailureKind::Answer:
        case FailureKind::System:
            return facts.detail;
        case FailureKind::TooNearGround:
            return facts.detail + "; the ground model holds the loop from " + Fixed(facts.limit.value_or(0), 3) +
                   " m up";
        case FailureKind::EngineMissing:
            return facts.program + " is not installed";
        case FailureKind::EngineNotStarted:
            return facts.program + " could not be started: " + facts.detail;
        case FailureKind::EngineTimedOut:
            // The limit is the whole check's, every run and the tune
            // together: one slow run among many is not what ran out.
            return "the check did not finish within its time budget of " + Shortest(facts.limit.value_or(0)) +
                   " s for all of " + facts.program + "'s runs together; every engine was stopped";
        case FailureKind::EngineCrashed:
            return facts.program + " crashed on the model (signal " + std::to_string(facts.status) + ", " +
                   facts.detail + ")" + said();
        case FailureKind::EngineFailed:
            return facts.program + " failed on the model (exit status " + std::to_string(facts.status) + ")" + said();
        case FailureKind::Stopped:
            return "the model check was stopped";
        case FailureKind::SegmentsPerGap:
            if (facts.fewest > facts.most) return facts.detail + "; no count above 1 can be modelled here";
            return facts.detail + "; the gap's length may be cut into " + std::to_string(facts.fewest) +
                   (facts.fewest == facts.most ? "" : " to " + std::to_string(facts.most)) + " segments here";
        case FailureKind::Record:
            if (facts.line != 0) return "line " + std::to_string(facts.line) + ": " + facts.detail;
            if (facts.text.empty()) return facts.detail;
            return facts.text + ": " + facts.detail;
        case FailureKind::RecordNewer:
            return "the record was made by a newer corvanta (format " +
                   (facts.text.empty() ? std::to_string(facts.count) : facts.text) + "; this one reads format " +
                   std::to_string(facts.most) + " and older)";
        case FailureKind::File:
            return "cannot read " + facts.text + ": " + facts.detail;
        case FailureKind::Measurement:
            if (facts.line == 0) return facts.detail;
            return "line " + std::to_string(facts.line) + ": " + facts.detail + ": \"" + facts.text + "\"";
    }
    return facts.detail;
}

}  // namespace corvanta::nec
