#include "nec/output_reader.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/shortened.h"
#include "nec/line_split.h"
#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

std::vector<std::string_view> Words(std::string_view line) { return SplitWords(line); }

std::optional<double> ToDouble(std::string_view word) {
    double value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

// An engine's line in a message: long enough to recognise, short enough
// to read.
constexpr std::size_t kQuotedCharacters = 100;

std::string Quoted(std::string_view line) {
    const auto words = Words(line);
    std::string text;
    for (std::string_view word : words) text += (text.empty() ? "" : " ") + std::string(word);
    return "\"" + Shortened(text, kQuotedCharacters) + "\"";
}

double Finite(double value, std::string_view what, std::string_view line) {
    if (!std::isfinite(value)) {
        throw AnswerFailure("the engine's output has " + Shortest(value) + " in " + std::string(what) + ": " +
                            Quoted(line));
    }
    return value;
}

// A count or a number of the structure (segments, tags): a whole number
// from `least` that an int holds.
int Whole(double value, int least, std::string_view what, std::string_view line) {
    if (!(value >= least && value <= std::numeric_limits<int>::max()) || value != std::floor(value)) {
        throw AnswerFailure("the engine's output has " + Shortest(value) + " as " + std::string(what) + ": " +
                            Quoted(line));
    }
    return static_cast<int>(value);
}

// The number after `label` on the line, if the line has the label.
std::optional<double> After(std::string_view line, std::string_view label) {
    const std::size_t at = line.find(label);
    if (at == std::string_view::npos) return std::nullopt;
    const auto words = Words(line.substr(at + label.size()));
    const auto value = words.empty() ? std::nullopt : ToDouble(words.front());
    if (!value) throw AnswerFailure("the engine's output has an unreadable line: " + Quoted(line));
    return Finite(*value, label, line);
}

std::optional<SourceReading> SourceRow(std::string_view line) {
    const auto words = Words(line);
    if (words.size() < 8 || !ToDouble(words[0]) || !ToDouble(words[1])) return std::nullopt;
    std::array<double, 8> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const auto value = ToDouble(words[i]);
        if (!value) throw AnswerFailure("the engine's output has an unreadable source row: " + Quoted(line));
        v[i] = Finite(*value, "a source's input parameters", line);
    }
    // A wire without a tag has tag 0.
    return SourceReading{Whole(v[0], 0, "a source's tag", line),
                         Whole(v[1], 1, "a source's segment", line),
                         {v[2], v[3]},
                         {v[4], v[5]},
                         {v[6], v[7]}};
}

// THETA PHI MAJOR MINOR TOTAL AXIAL TILT [SENSE] E(THETA) PHASE E(PHI) PHASE:
// the sense is blank where there is no field, so the field magnitudes are
// counted from the end.
std::optional<PatternPoint> PatternRow(std::string_view line) {
    const auto words = Words(line);
    if (words.size() < 5) return std::nullopt;
    const auto theta = ToDouble(words[0]);
    const auto phi = ToDouble(words[1]);
    if (!theta || !phi) return std::nullopt;
    const auto total = ToDouble(words[4]);
    const auto thetaField = words.size() >= 11 ? ToDouble(words[words.size() - 4]) : std::nullopt;
    const auto phiField = words.size() >= 11 ? ToDouble(words[words.size() - 2]) : std::nullopt;
    if (!total || !thetaField || !phiField) {
        throw AnswerFailure("the engine's output has an unreadable pattern row: " + Quoted(line));
    }
    return PatternPoint{Finite(*theta, "the pattern", line), Finite(*phi, "the pattern", line),
                        Finite(*total, "the pattern", line), Finite(*thetaField, "the pattern", line),
                        Finite(*phiField, "the pattern", line)};
}

// SEG TAG X Y Z LENGTH REAL IMAGINARY MAGNITUDE PHASE, distances in
// wavelengths.
std::optional<CurrentReading> CurrentRow(std::string_view line) {
    const auto words = Words(line);
    if (words.size() < 10 || !ToDouble(words[0]) || !ToDouble(words[1])) return std::nullopt;
    std::array<double, 10> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        const auto value = ToDouble(words[i]);
        if (!value) throw AnswerFailure("the engine's output has an unreadable current row: " + Quoted(line));
        v[i] = Finite(*value, "a segment's current", line);
    }
    return CurrentReading{Whole(v[0], 1, "a segment's number", line),
                          Whole(v[1], 0, "a segment's tag", line),
                          v[2],
                          v[3],
                          v[4],
                          v[5],
                          {v[6], v[7]},
                          v[8],
                          v[9]};
}

std::string Mhz(double mhz) { return Shortest(mhz) + " MHz"; }

}  // namespace

EngineOutput ReadOutput(std::string_view text) {
    enum class Section { None, Sources, Currents, Pattern };
    EngineOutput output;
    Section section = Section::None;
    for (const std::string_view line : SplitLines(text)) {
        if (line.find("TOTAL SEGMENTS USED:") != std::string_view::npos) {
            output.totalSegments = Whole(*After(line, "TOTAL SEGMENTS USED:"), 1, "the segment count", line);
        } else if (line.find("FREQUENCY :") != std::string_view::npos ||
                   line.find("FREQUENCY=") != std::string_view::npos) {
            const bool colon = line.find("FREQUENCY :") != std::string_view::npos;
            output.frequencies.push_back({});
            output.frequencies.back().echoedMHz = *After(line, colon ? "FREQUENCY :" : "FREQUENCY=");
            section = Section::None;
        } else if (output.frequencies.empty()) {
            continue;
        } else if (line.find("ANTENNA INPUT PARAMETERS") != std::string_view::npos) {
            section = Section::Sources;
        } else if (line.find("CURRENTS AND LOCATION") != std::string_view::npos) {
            section = Section::Currents;
        } else if (line.find("RADIATION PATTERNS") != std::string_view::npos) {
            section = Section::Pattern;
        } else if (line.find("EFFICIENCY    =") != std::string_view::npos) {
            output.frequencies.back().efficiencyPercent = After(line, "EFFICIENCY    =");
            section = Section::None;
        } else if (line.find("AVERAGE POWER GAIN:") != std::string_view::npos) {
            output.frequencies.back().averagePowerGain = After(line, "AVERAGE POWER GAIN:");
            section = Section::None;
        } else if (section == Section::Sources) {
            if (auto row = SourceRow(line)) output.frequencies.back().sources.push_back(*row);
            else if (Words(line).empty() && !output.frequencies.back().sources.empty()) section = Section::None;
        } else if (section == Section::Currents) {
            if (auto row = CurrentRow(line)) output.frequencies.back().currents.push_back(*row);
            else if (Words(line).empty() && !output.frequencies.back().currents.empty()) section = Section::None;
        } else if (section == Section::Pattern) {
            if (auto row = PatternRow(line)) output.frequencies.back().pattern.push_back(*row);
        }
    }
    if (!output.totalSegments) throw AnswerFailure("the engine's output has no segment count");
    return output;
}

void CheckOutput(const EngineOutput& output, const Expected& expected) {
    const auto& got = output.frequencies;
    const auto& asked = expected.frequenciesMHz;
    if (got.size() != asked.size()) {
        throw AnswerFailure("the engine answered " + std::to_string(got.size()) + " frequencies of the " +
                            std::to_string(asked.size()) + " asked for" +
                            (got.size() < asked.size() ? "; its output ends early" : ""));
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        const FrequencyResult& f = got[i];
        // The engine echoes 5 significant digits.
        if (std::abs(f.echoedMHz - asked[i]) > 6e-5 * asked[i]) {
            throw AnswerFailure("the engine answered " + Mhz(f.echoedMHz) + " where " + Mhz(asked[i]) +
                                " was asked for");
        }
        if (f.sources.size() != expected.sources) {
            throw AnswerFailure("the engine's output at " + Mhz(asked[i]) + " has " + std::to_string(f.sources.size()) +
                                " of the " + std::to_string(expected.sources) + " sources' input parameters");
        }
        if (!f.efficiencyPercent) {
            throw AnswerFailure("the engine's output at " + Mhz(asked[i]) + " has no power budget");
        }
    }
    if (expected.patternPoints > 0) {
        const FrequencyResult& last = got.back();
        if (last.pattern.size() != expected.patternPoints || !last.averagePowerGain) {
            throw AnswerFailure("the engine's pattern has " + std::to_string(last.pattern.size()) + " of the " +
                                std::to_string(expected.patternPoints) + " directions" +
                                (last.averagePowerGain ? "" : " and no average gain"));
        }
    }
    if (expected.currents > 0) {
        // Numbered in order, each once: a segment's current belongs to the
        // segment the program laid there.
        const std::vector<CurrentReading>& currents = got.back().currents;
        bool ordered = currents.size() == expected.currents;
        for (std::size_t i = 0; ordered && i < currents.size(); ++i) {
            ordered = currents[i].segment == static_cast<int>(i) + 1;
        }
        if (!ordered) {
            throw AnswerFailure("the engine's currents cover " + std::to_string(currents.size()) + " of the " +
                                std::to_string(expected.currents) + " segments in order");
        }
    }
}

}  // namespace corvanta::nec
