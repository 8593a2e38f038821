#include "cli/nec_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

#include "core/field_conversion.h"

namespace corvanta::cli {

namespace {

constexpr double kSpeedOfLight = 299.792458;  // metres times MHz
constexpr double kMinRadiiPerSegment = 8;     // thin-wire limit of the engine
constexpr double kMaxWavelengthPerSegment = 1.0 / 20;
// Default sweep, as multiples of the design frequency.
constexpr double kSweepLow = 0.8;
constexpr double kSweepHigh = 1.4;

double Number(const DesignRow& design, std::string_view key) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (kColumns[i].key == key) {
            const Parsed<double> parsed = ParseDouble(design.texts[i]);
            if (parsed) return *parsed.value;
        }
    }
    throw ModelError("the design has no number for " + std::string(key));
}

// Enough digits that a number read back is the same double: corners must
// meet exactly, or the engine silently leaves them apart.
std::string Exact(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string Millimetres(double metres) { return FormatDouble(RoundDecimals(metres * 1000, 3)); }

// The (odd, for a vertical) count whose segments come nearest the target
// length while staying within the engine's limits.
std::optional<int> Segments(double length, double target, double shortest, double longest,
                            bool odd) {
    const int nearest = std::max(1, static_cast<int>(std::lround(length / target)));
    std::optional<int> best;
    for (int n = std::max(1, nearest - 2); n <= nearest + 2; ++n) {
        if (odd && n % 2 == 0) continue;
        const double segment = length / n;
        if (segment < shortest || segment > longest) continue;
        if (!best || std::abs(segment - target) < std::abs(length / *best - target)) best = n;
    }
    return best;
}

}  // namespace

NecModel BuildModel(const DesignRow& design, const NecOptions& options) {
    NecModel model;
    model.sides = design.sides == SideChoice::Four ? 4 : 3;
    model.designMHz = Number(design, "frequency_mhz");
    model.heightM = Number(design, "height_mm") / 1000;
    model.sideM = Number(design, "side_mm") / 1000;
    model.gapM = Number(design, "gap_mm") / 1000;
    model.radiusM = Number(design, "diameter_mm") / 2000;
    if (!(model.designMHz > 0 && model.heightM > 0 && model.sideM > 0 && model.gapM > 0 &&
          model.radiusM > 0)) {
        throw ModelError("only a design with a positive frequency and conductor can be modelled");
    }

    model.sweepPoints = options.sweepPoints;
    const double from = options.sweepFromMHz > 0 ? options.sweepFromMHz : kSweepLow * model.designMHz;
    const double to = options.sweepToMHz > 0 ? options.sweepToMHz : kSweepHigh * model.designMHz;
    model.sweepFromMHz = from;
    model.sweepStepMHz = model.sweepPoints > 1 ? (to - from) / (model.sweepPoints - 1) : 0;
    model.patternStepDeg = options.patternStepDeg;
    const double highest = std::max({to, from, model.designMHz});

    const double shortest = kMinRadiiPerSegment * model.radiusM;
    const double longest = kMaxWavelengthPerSegment * kSpeedOfLight / highest;
    const auto tooThick = [&] {
        return ModelError("the conductor is too thick to model: segments must be at least 8 wire radii (" +
                          Millimetres(shortest) + " mm) and at most a twentieth of a wavelength at " +
                          FormatDouble(highest) + " MHz (" + Millimetres(longest) + " mm)");
    };
    if (shortest > longest) throw tooThick();
    // About the gap, within the engine's limits.
    const double target = std::clamp(model.gapM / options.segmentsPerGap, shortest, longest);
    const auto vertical = Segments(model.heightM, target, shortest, longest, true);
    const auto edge = Segments(model.sideM, target, shortest, longest, false);
    if (!vertical || !edge) throw tooThick();
    model.verticalSegments = *vertical;
    model.edgeSegments = *edge;

    model.ground = options.ground;
    if (model.ground != Ground::Free) {
        if (!(options.heightM - model.heightM / 2 > model.radiusM)) {
            throw ModelError("at a height of " + FormatDouble(options.heightM) +
                             " m the loop would reach into the ground; give --height above " +
                             FormatDouble(model.heightM / 2) + " m");
        }
        model.centreZ = options.heightM;
    }

    // Each corner computed once; the edges and verticals share them.
    const double circumradius = model.sideM / (2 * std::sin(std::numbers::pi / model.sides));
    for (int k = 0; k < 2; ++k) {
        const double angle = 2 * std::numbers::pi * k / model.sides;
        const double x = k == 0 ? circumradius : circumradius * std::cos(angle);
        const double y = k == 0 ? 0.0 : circumradius * std::sin(angle);
        model.topCorners.push_back({x, y, model.centreZ + model.heightM / 2});
        model.bottomCorners.push_back({x, y, model.centreZ - model.heightM / 2});
    }

    model.comments = {
        "corvanta " + std::string(design.texts[1]) + " MHz, " + std::to_string(model.sides) +
            " sided prism loop",
        "HEIGHT " + design.texts[6] + " mm, SIDE " + design.texts[8] + " mm, GAP " + design.texts[10] +
            " mm, conductor " + design.texts[4] + " mm (AWG " + design.texts[2] + "), copper",
        "fed at the middle segment of every vertical, 1 V in phase",
    };
    return model;
}

std::string WriteDeck(const NecModel& m) {
    std::string deck;
    const auto card = [&deck](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& field : fields) {
            if (!first) deck += ' ';
            deck += field;
            first = false;
        }
        deck += '\n';
    };
    const auto wire = [&](int tag, int segments, const Point& a, const Point& b) {
        card({"GW", std::to_string(tag), std::to_string(segments), Exact(a.x), Exact(a.y), Exact(a.z),
              Exact(b.x), Exact(b.y), Exact(b.z), Exact(m.radiusM)});
    };
    for (const std::string& comment : m.comments) card({"CM", comment});
    card({"CE"});
    wire(1, m.verticalSegments, m.bottomCorners[0], m.topCorners[0]);
    wire(2, m.edgeSegments, m.topCorners[0], m.topCorners[1]);
    wire(3, m.edgeSegments, m.bottomCorners[0], m.bottomCorners[1]);
    card({"GR", "3", std::to_string(m.sides)});
    card({"GE", m.ground == Ground::Free ? "0" : "1"});
    switch (m.ground) {
    case Ground::Free: break;
    case Ground::Perfect: card({"GN", "1"}); break;
    // Average ground: relative permittivity 13, conductivity 0.005 S/m,
    // with the Sommerfeld-Norton method.
    case Ground::Average: card({"GN", "2", "0", "0", "0", "13", "0.005"}); break;
    }
    card({"LD", "5", "0", "0", "0", Exact(kCopperConductivity)});
    for (int copy = 0; copy < m.sides; ++copy) {
        card({"EX", "0", std::to_string(NecModel::VerticalTag(copy)), std::to_string(m.FeedSegment()),
              "0", "1", "0"});
    }
    card({"PT", "-1", "0", "0", "0"});  // no currents: the output stays small
    card({"FR", "0", std::to_string(m.sweepPoints), "0", "0", Exact(m.sweepFromMHz),
          Exact(m.sweepStepMHz)});
    card({"XQ"});
    // The pattern at the design frequency, over the whole sphere in free
    // space and the upper half over ground, with the average gain.
    const int thetas = static_cast<int>(std::lround((m.ground == Ground::Free ? 180 : 90) / m.patternStepDeg)) + 1;
    const int phis = static_cast<int>(std::lround(360 / m.patternStepDeg)) + 1;
    card({"FR", "0", "1", "0", "0", Exact(m.designMHz), "0"});
    card({"RP", "0", std::to_string(thetas), std::to_string(phis), "1", "0", "0",
          Exact(m.patternStepDeg), Exact(m.patternStepDeg)});
    card({"EN"});
    return deck;
}

}  // namespace corvanta::cli
