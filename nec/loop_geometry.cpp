#include "nec/loop_geometry.h"

#include <cmath>
#include <numbers>
#include <string>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

Point3 Rotated(const Point3& p, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

Point3 Between(const Point3& a, const Point3& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

// The engine prints a centre to four decimals of a wavelength; the deck
// rounds the corners to a hundredth of a millimetre or so. Twice the
// printed step holds both.
constexpr double kCentreToleranceWavelengths = 1e-4;

// The engine reckons its wavelengths with light at 299.8 m/us, not the
// exact 299.792458: a loop 10 m up sits 4.7 wavelengths high, where the
// two differ by more than the printed step.
constexpr double kEngineSpeedOfLight = 299.8;

}  // namespace

std::vector<ModelSegment> ModelSegments(const LoopModel& m) {
    const double r = m.CircumradiusMm() / 1000;
    const double half = m.heightMm / 2000;
    const double lift = m.placement.ground == Ground::Free ? 0 : m.placement.heightM;
    const double angle = 2 * std::numbers::pi / m.sides;
    const Point3 corner{r, 0, 0}, next{r * std::cos(angle), r * std::sin(angle), 0};

    std::vector<ModelSegment> cell;
    const std::vector<double> lengths = m.VerticalLengths();
    const int fedFirst = m.FeedSegment();
    double z = -half;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const double top = i + 1 == lengths.size() ? half : z + lengths[i] / 1000;
        const int number = static_cast<int>(i) + 1;
        cell.push_back({{r, 0, z + lift}, {r, 0, top + lift}, number >= fedFirst && number < fedFirst + m.gapSegments});
        z = top;
    }
    for (const double level : {half, -half}) {
        const Point3 a{corner.x, corner.y, level + lift}, b{next.x, next.y, level + lift};
        for (int s = 0; s < m.edgeSegments; ++s) {
            cell.push_back({Between(a, b, static_cast<double>(s) / m.edgeSegments),
                            Between(a, b, static_cast<double>(s + 1) / m.edgeSegments), false});
        }
    }
    std::vector<ModelSegment> all;
    all.reserve(cell.size() * static_cast<std::size_t>(m.sides));
    for (int copy = 0; copy < m.sides; ++copy) {
        for (const ModelSegment& s : cell) {
            all.push_back({Rotated(s.from, copy * angle), Rotated(s.to, copy * angle), s.fed});
        }
    }
    return all;
}

std::vector<SegmentCurrent> CurrentsOnModel(const LoopModel& model, const std::vector<CurrentReading>& currents,
                                            double mhz) {
    const std::vector<ModelSegment> segments = ModelSegments(model);
    if (currents.size() != segments.size()) {
        throw AnswerFailure("the engine gave currents on " + std::to_string(currents.size()) + " segments of the " +
                            std::to_string(segments.size()) + " modelled");
    }
    const double wavelength = kEngineSpeedOfLight / mhz;
    std::vector<SegmentCurrent> laid;
    laid.reserve(segments.size());
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const ModelSegment& s = segments[i];
        const CurrentReading& c = currents[i];
        const Point3 centre = Between(s.from, s.to, 0.5);
        const double off = std::max({std::abs(centre.x / wavelength - c.xWavelengths),
                                     std::abs(centre.y / wavelength - c.yWavelengths),
                                     std::abs(centre.z / wavelength - c.zWavelengths)});
        if (!(off <= kCentreToleranceWavelengths)) {
            throw AnswerFailure("the engine's segment " + std::to_string(c.segment) + " is centred " + Shortest(off) +
                                " wavelengths from where the model lays it");
        }
        laid.push_back({s, c.magnitudeA, c.phaseDeg});
    }
    return laid;
}

}  // namespace corvanta::nec
