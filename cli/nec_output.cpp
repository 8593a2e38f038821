#include "cli/nec_output.h"

#include <array>
#include <charconv>
#include <stdexcept>
#include <string>

namespace corvanta::cli {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

std::optional<double> ToDouble(std::string_view word) {
    double value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size()) return std::nullopt;
    return value;
}

// The number after `label` on the line, if the line has the label.
std::optional<double> After(std::string_view line, std::string_view label) {
    const std::size_t at = line.find(label);
    if (at == std::string_view::npos) return std::nullopt;
    const auto words = Words(line.substr(at + label.size()));
    if (words.empty()) return std::nullopt;
    return ToDouble(words.front());
}

std::optional<SourceReading> SourceRow(std::string_view line) {
    const auto words = Words(line);
    if (words.size() < 11) return std::nullopt;
    std::array<double, 11> v{};
    for (std::size_t i = 0; i < 11; ++i) {
        const auto value = ToDouble(words[i]);
        if (!value) return std::nullopt;
        v[i] = *value;
    }
    return SourceReading{static_cast<int>(v[0]), static_cast<int>(v[1]), {v[2], v[3]},
                         {v[4], v[5]},                {v[6], v[7]}};
}

std::optional<PatternPoint> PatternRow(std::string_view line) {
    const auto words = Words(line);
    if (words.size() < 5) return std::nullopt;
    const auto theta = ToDouble(words[0]);
    const auto phi = ToDouble(words[1]);
    const auto total = ToDouble(words[4]);
    if (!theta || !phi || !total) return std::nullopt;
    return PatternPoint{*theta, *phi, *total};
}

}  // namespace

NecOutput ParseNecOutput(std::string_view text) {
    enum class Section { None, Sources, Pattern };
    NecOutput output;
    Section section = Section::None;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;

        if (auto segments = After(line, "TOTAL SEGMENTS USED:")) {
            output.totalSegments = static_cast<int>(*segments);
        } else if (line.find("FREQUENCY :") != std::string_view::npos ||
                   line.find("FREQUENCY=") != std::string_view::npos) {
            auto mhz = After(line, "FREQUENCY :");
            if (!mhz) mhz = After(line, "FREQUENCY=");
            if (!mhz) throw std::runtime_error("unreadable frequency line: " + std::string(line));
            output.frequencies.push_back({});
            output.frequencies.back().mhz = *mhz;
            section = Section::None;
        } else if (output.frequencies.empty()) {
            continue;
        } else if (line.find("ANTENNA INPUT PARAMETERS") != std::string_view::npos) {
            section = Section::Sources;
        } else if (line.find("RADIATION PATTERNS") != std::string_view::npos) {
            section = Section::Pattern;
        } else if (auto efficiency = After(line, "EFFICIENCY    =")) {
            output.frequencies.back().efficiencyPercent = efficiency;
        } else if (auto average = After(line, "AVERAGE POWER GAIN:")) {
            output.frequencies.back().averagePowerGain = average;
            section = Section::None;
        } else if (section == Section::Sources) {
            if (auto row = SourceRow(line)) output.frequencies.back().sources.push_back(*row);
            else if (Words(line).empty() && !output.frequencies.back().sources.empty()) section = Section::None;
        } else if (section == Section::Pattern) {
            if (auto row = PatternRow(line)) output.frequencies.back().pattern.push_back(*row);
        }
    }
    if (!output.totalSegments || output.frequencies.empty()) {
        throw std::runtime_error("the engine's output has no segments or no frequencies");
    }
    return output;
}

}  // namespace corvanta::cli
