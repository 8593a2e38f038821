#include "nec/loop_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "core/field_conversion.h"
#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

double Number(const Design& design, Field field, const char* what) {
    const Parsed<double> parsed = ParseDouble(design.Text(field));
    if (!parsed || !(*parsed.value > 0) || !std::isfinite(*parsed.value)) {
        throw ModelFailure(std::string("only a design with a positive ") + what + " can be modelled, not \"" +
                           design.Text(field) + "\"");
    }
    return *parsed.value;
}

// The (odd, for a vertical) count whose segments come nearest the target
// length while staying within [shortest, longest].
std::optional<int> Segments(double length, double target, double shortest, double longest, bool odd) {
    const long nearest = std::max(1L, std::lround(length / target));
    std::optional<int> best;
    const auto distance = [&](int n) { return std::abs(length / n - target); };
    for (long n = std::max(1L, nearest - 2); n <= nearest + 2; ++n) {
        const int count = static_cast<int>(n);
        if (odd && count % 2 == 0) continue;
        const double segment = length / count;
        if (segment < shortest || segment > longest) continue;
        if (!best || distance(count) < distance(*best)) best = count;
    }
    return best;
}

struct Segmentation {
    int vertical, edge;
    double shortest;  // mm
};

std::optional<Segmentation> Segment(const LoopModel& m, double target, double radii, double longest) {
    const double shortest = radii * m.radiusMm;
    if (shortest > longest) return std::nullopt;
    target = std::clamp(target, shortest, longest);
    const auto vertical = Segments(m.heightMm, target, shortest, longest, true);
    const auto edge = Segments(m.sideMm, target, shortest, longest, false);
    if (!vertical || !edge) return std::nullopt;
    return Segmentation{*vertical, *edge, std::min(m.heightMm / *vertical, m.sideMm / *edge)};
}

// Segments the gap's length divided by `perGap`, as asked, not pulled back
// to what the ordinary kernel holds: that would give one model for every
// count. A count whose segments are too short even for the extended kernel,
// or that the sweep's wavelength already makes shorter, is refused.
std::optional<Segmentation> Finer(const LoopModel& m, int perGap, double longest, double highestMHz) {
    const double target = m.gapMm / perGap;
    const double shortest = kExtendedKernelRadii * m.radiusMm;
    FailureFacts facts;
    facts.kind = FailureKind::SegmentsPerGap;
    facts.count = perGap;
    facts.fewest = std::max(2, static_cast<int>(std::ceil(m.gapMm / longest)));
    facts.most = static_cast<int>(std::floor(m.gapMm / shortest));
    const std::string segments = "segments of " + Fixed(target, 3) + " mm (the " + Trimmed(m.gapMm, 3) + " mm gap in " +
                                 std::to_string(perGap) + ")";
    if (target < shortest) {
        facts.detail = segments + " would be under " + Fixed(kExtendedKernelRadii, 0) + " wire radii (" +
                       Fixed(shortest, 3) + " mm), the least the extended thin-wire kernel holds";
        throw Failure(std::move(facts));
    }
    if (target > longest) {
        facts.detail = segments + " are longer than the " + Fixed(longest, 3) + " mm, a twentieth of a wavelength at " +
                       Trimmed(highestMHz, 6) + " MHz, that the sweep already gives them";
        throw Failure(std::move(facts));
    }
    return Segment(m, target, kExtendedKernelRadii, longest);
}

void CheckClearance(const LoopModel& m) {
    if (m.placement.ground == Ground::Free) return;
    // The engine takes the ground as the wires' mirror image; a wire nearer
    // its image than a segment's length is outside what the thin-wire model
    // and the ground's field tables hold.
    const double needed = m.SegmentMm();
    if (!(m.ClearanceMm() >= needed)) {
        FailureFacts facts;
        facts.kind = FailureKind::TooNearGround;
        // A loop lower than half its height has its lowest wire in the ground.
        const double clearance = m.ClearanceMm();
        const std::string where = clearance < 0 ? Fixed(-clearance, 1) + " mm below the ground"
                                                : Fixed(clearance, 1) + " mm above the ground";
        facts.detail = "at a height of " + Shortest(m.placement.heightM) + " m the lowest wire is " + where +
                       "; the ground model needs at least one segment (" + Fixed(needed, 1) + " mm) between them";
        facts.limit = std::ceil(m.heightMm / 2 + m.radiusMm + needed) / 1000;
        throw Failure(std::move(facts));
    }
}

}  // namespace

double LoopModel::CircumradiusMm() const { return sideMm / (2 * std::sin(std::numbers::pi / sides)); }

double DesignMHz(const Design& design) { return Number(design, Field::Frequency, "frequency"); }

LoopModel BuildModel(const Design& design, const Placement& placement, double highestMHz, int segmentsPerGap) {
    LoopModel m;
    m.sides = design.sides == SideChoice::Four ? 4 : 3;
    m.designMHz = DesignMHz(design);
    m.radiusMm = Number(design, Field::DiameterMm, "conductor diameter") / 2;
    m.heightMm = Number(design, Field::HeightMm, "HEIGHT");
    m.sideMm = Number(design, Field::SideMm, "SIDE");
    m.gapMm = Number(design, Field::GapMm, "GAP");
    m.placement = placement;
    highestMHz = std::max(highestMHz, m.designMHz);

    const double longest = kLongestSegmentWavelengths * kSpeedOfLight / highestMHz * 1000;
    std::optional<Segmentation> segments;
    if (segmentsPerGap > 1) {
        segments = Finer(m, segmentsPerGap, longest, highestMHz);
    } else {
        segments = Segment(m, m.gapMm, kThinWireRadii, longest);
        if (!segments) {
            segments = Segment(m, m.gapMm, kExtendedKernelRadii, longest);
            m.kernel = Kernel::Extended;
        }
    }
    if (!segments) {
        throw ModelFailure("the conductor is too thick to model: segments must be at least " +
                           Fixed(kExtendedKernelRadii, 0) + " wire radii long (" +
                           Fixed(kExtendedKernelRadii * m.radiusMm, 3) +
                           " mm, with the extended thin-wire kernel) and at most a twentieth of a "
                           "wavelength at " +
                           Trimmed(highestMHz, 6) + " MHz (" + Fixed(longest, 3) + " mm)");
    }
    if (segmentsPerGap > 1 && segments->shortest < kThinWireRadii * m.radiusMm) m.kernel = Kernel::Extended;
    m.verticalSegments = segments->vertical;
    m.edgeSegments = segments->edge;

    CheckClearance(m);

    m.comments = {
        "corvanta " + design.Text(Field::Frequency) + " MHz, " + std::to_string(m.sides) +
            " sided prism loop, millimetres",
        "HEIGHT " + design.Text(Field::HeightMm) + ", SIDE " + design.Text(Field::SideMm) + ", GAP " +
            design.Text(Field::GapMm) + " mm",
        "conductor " + design.Text(Field::DiameterMm) + " mm (AWG " + design.Text(Field::Gauge) + "), copper",
        "fed at the middle segment of every vertical, 1 V in phase",
    };
    return m;
}

LoopModel Scaled(const LoopModel& model, double scale) {
    LoopModel m = model;
    m.heightMm *= scale;
    m.sideMm *= scale;
    m.gapMm *= scale;
    const double shortest = std::min(m.SegmentMm(), m.sideMm / m.edgeSegments);
    if (shortest < kThinWireRadii * m.radiusMm) m.kernel = Kernel::Extended;
    if (shortest < kExtendedKernelRadii * m.radiusMm) {
        throw ModelFailure("the loop scaled by " + Fixed(scale, 4) + " has segments of " + Fixed(shortest, 3) +
                           " mm, under " + Fixed(kExtendedKernelRadii, 0) + " wire radii");
    }
    CheckClearance(m);
    if (m.comments.size() > 1) {
        m.comments[1] = "HEIGHT " + Fixed(m.heightMm, 3) + ", SIDE " + Fixed(m.sideMm, 3) + ", GAP " +
                        Fixed(m.gapMm, 3) + " mm: the design scaled by " + Fixed(scale, 6);
    }
    return m;
}

std::optional<LoopModel> Refined(const LoopModel& model) {
    LoopModel fine = model;
    fine.verticalSegments = 2 * model.verticalSegments;
    fine.gapSegments = 2 * model.gapSegments;
    fine.edgeSegments = 2 * model.edgeSegments;
    const double shortest = std::min(fine.SegmentMm(), fine.sideMm / fine.edgeSegments);
    // The halves may need the extended kernel where the model did not.
    if (shortest < kThinWireRadii * model.radiusMm) fine.kernel = Kernel::Extended;
    if (shortest < kExtendedKernelRadii * model.radiusMm) return std::nullopt;
    return fine;
}

}  // namespace corvanta::nec

namespace corvanta::nec {

std::optional<LoopModel> Coarser(const LoopModel& model) {
    LoopModel coarse = model;
    // As long as a twentieth of the design wavelength, but never less than
    // kCoarserAtLeast times the model's: a smaller step would hide the move
    // in the engine's rounding.
    const double atLeast = kCoarserAtLeast * std::max(model.SegmentMm(), model.sideMm / model.edgeSegments);
    const double target = std::max(kLongestSegmentWavelengths * kSpeedOfLight / model.designMHz * 1000, atLeast);
    const auto vertical = Segments(model.heightMm, target, atLeast, 2 * target, true);
    const auto edge = Segments(model.sideMm, target, atLeast, 2 * target, false);
    if (!vertical || !edge) return std::nullopt;
    coarse.verticalSegments = *vertical;
    coarse.edgeSegments = *edge;
    coarse.gapSegments = 1;
    const double shortestUsed = std::min(coarse.SegmentMm(), coarse.sideMm / coarse.edgeSegments);
    coarse.kernel = shortestUsed >= kThinWireRadii * model.radiusMm ? Kernel::ThinWire : Kernel::Extended;
    return coarse;
}

std::string KernelName(Kernel kernel) { return kernel == Kernel::Extended ? "extended thin-wire" : "thin-wire"; }

std::string GroundName(Ground ground) {
    switch (ground) {
        case Ground::Free:
            return "free space";
        case Ground::Average:
            return "average ground";
        case Ground::Perfect:
            return "perfect ground";
    }
    return "";
}

}  // namespace corvanta::nec
