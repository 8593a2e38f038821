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

// One half of a vertical beyond the gap and its two neighbours, from the
// gap outwards: segments growing from `fed` by kGrowth a step, capped at a
// length chosen so that they fill `rest` exactly, as few as the cap
// `longest` allows. Empty where nothing fits.
std::vector<double> Outwards(double rest, double fed, double longest) {
    if (rest <= 1e-9 * fed) return {};
    for (int n = 1; n <= 4096; ++n) {
        const auto filled = [&](double cap) {
            double sum = 0, length = fed;
            for (int i = 0; i < n; ++i) sum += std::min(length *= kGrowth, cap);
            return sum;
        };
        const double lowest = fed / kGrowth;
        if (n * lowest > rest) return {};
        if (filled(INFINITY) < rest) continue;
        double lo = lowest, hi = fed * std::pow(kGrowth, n);
        for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
            const double mid = (lo + hi) / 2;
            (filled(mid) < rest ? lo : hi) = mid;
        }
        const double cap = (lo + hi) / 2;
        if (cap > longest) continue;
        std::vector<double> lengths;
        double length = fed, sum = 0;
        for (int i = 0; i < n; ++i) {
            lengths.push_back(std::min(length *= kGrowth, cap));
            sum += lengths.back();
        }
        lengths.back() += rest - sum;  // what the bisection leaves, parts per billion
        return lengths;
    }
    return {};
}

struct Grading {
    std::vector<double> vertical;
    int feedIndex = 0;  // of the first fed segment, from 0
    int gapParts = 1;
    int edges = 0;
};

// The vertical graded from the fed segment (cut in `parts`), the edges even,
// every corner segment at least kThinWireRadii and the edges at most
// `edgeLongest`: none where the lengths allow none.
std::optional<Grading> Grade(const LoopModel& m, double fed, int parts, double longest, double edgeLongest) {
    const double corner = kThinWireRadii * m.radiusMm;
    const double part = fed / parts;
    const double rest = m.heightMm / 2 - 1.5 * fed;
    const std::vector<double> out = Outwards(rest, part, longest);
    if (out.empty() && rest > 1e-9 * fed) return std::nullopt;
    Grading g;
    g.vertical.assign(out.rbegin(), out.rend());
    g.feedIndex = static_cast<int>(out.size()) + parts;
    g.gapParts = parts;
    for (int i = 0; i < 3 * parts; ++i) g.vertical.push_back(part);
    g.vertical.insert(g.vertical.end(), out.begin(), out.end());
    if (g.vertical.front() < corner * (1 - 1e-12)) return std::nullopt;
    // The edges as near the verticals' corner segments as the limits allow.
    const int fewest = static_cast<int>(std::ceil(m.sideMm / edgeLongest * (1 - 1e-12)));
    const int most = static_cast<int>(std::floor(m.sideMm / corner * (1 + 1e-12)));
    if (fewest > most || most < 1) return std::nullopt;
    g.edges = std::clamp(static_cast<int>(std::lround(m.sideMm / g.vertical.front())), std::max(1, fewest), most);
    return g;
}

void Apply(LoopModel& m, const Grading& g) {
    m.verticalMm = g.vertical;
    m.verticalSegments = static_cast<int>(g.vertical.size());
    m.feedFirst = g.feedIndex + 1;
    m.gapSegments = g.gapParts;
    m.edgeSegments = g.edges;
}

// The shortest segment the kernel holds away from the corners.
double ShortestFor(const LoopModel& m, Kernel kernel) {
    return (kernel == Kernel::Extended ? kExtendedKernelRadii : kThinWireRadii) * m.radiusMm;
}

// The kernel for a model fed at `fed` and all its refinements: the
// thin-wire one wherever it holds the gap; a refinement then stays within
// it rather than change kernel on the way, which moves the resonance by
// itself.
Kernel FamilyKernel(const LoopModel& m, double fed) {
    return fed < kThinWireRadii * m.radiusMm * (1 - 1e-12) ? Kernel::Extended : Kernel::ThinWire;
}

// How many parts of the gap a refinement `factor` times finer takes: as
// many as the kernel holds, up to `factor`.
int GapParts(const LoopModel& m, double fed, int factor) {
    int parts = factor;
    while (parts > 1 && fed / parts < ShortestFor(m, m.kernel) * (1 - 1e-12)) parts /= 2;
    return parts;
}

void CheckClearance(const LoopModel& m) {
    if (m.placement.ground == Ground::Free) return;
    // The engine takes the ground as the wires' mirror image; a wire nearer
    // its image than a segment's length is outside what the thin-wire model
    // and the ground's field tables hold.
    const double needed = m.VerticalLengths().front();
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

    const double wavelength = kSpeedOfLight / highestMHz * 1000;
    // The preferred length hangs on the design frequency alone, so that the
    // same loop is the same model whatever the sweep, unless the sweep goes
    // so high that it needs shorter ones.
    const double longest = std::min(kLongestSegmentWavelengths * kSpeedOfLight / (kPreferredTop * m.designMHz) * 1000,
                                    kLongestAllowedWavelengths * wavelength);
    // The gap as built where a kernel holds it, else the shortest segment
    // the extended kernel holds.
    m.fedMm = std::max(m.gapMm, kExtendedKernelRadii * m.radiusMm);
    m.kernel = FamilyKernel(m, m.fedMm);
    if (segmentsPerGap > 1) {
        FailureFacts facts;
        facts.kind = FailureKind::SegmentsPerGap;
        facts.count = segmentsPerGap;
        const double shortest = kExtendedKernelRadii * m.radiusMm;
        facts.fewest = 2;
        facts.most = static_cast<int>(std::floor(m.fedMm / shortest));
        const double target = m.fedMm / segmentsPerGap;
        if (target < shortest * (1 - 1e-12)) {
            facts.detail = "segments of " + Fixed(target, 3) + " mm (the " + Trimmed(m.fedMm, 3) + " mm gap in " +
                           std::to_string(segmentsPerGap) + ") would be under " + Fixed(kExtendedKernelRadii, 0) +
                           " wire radii (" + Fixed(shortest, 3) + " mm), the least the extended thin-wire kernel holds";
            throw Failure(std::move(facts));
        }
        if (target < kThinWireRadii * m.radiusMm * (1 - 1e-12)) m.kernel = Kernel::Extended;
    }
    std::optional<Grading> grading;
    double allowed = kLongestAllowedWavelengths * wavelength;
    // A conductor whose corners need segments longer than the sweep's top
    // allows is modelled as the design frequency allows; the analysis says
    // which rows that makes rough.
    const double allowedAtDesign = kLongestAllowedWavelengths * kSpeedOfLight / m.designMHz * 1000;
    const double preferred = std::min(std::max(longest, 1.25 * kThinWireRadii * m.radiusMm), allowed);
    // A thick conductor's gap may be too short for the segments to grow to
    // the corners' length within kGrowth a step: it is fed at a longer
    // segment then, the difference counted as for a gap too short.
    for (int longer = 0; longer < 4 && !grading; ++longer) {
        if (longer > 0) m.fedMm *= kGrowth;
        for (const auto& [cap, edgeCap] : {std::pair{preferred, allowed}, std::pair{allowed, allowed},
                                           std::pair{allowedAtDesign, allowedAtDesign}}) {
            if (!grading && m.fedMm <= cap) {
                grading = Grade(m, m.fedMm, std::max(1, segmentsPerGap), std::max(cap, m.fedMm), edgeCap);
                m.capMm = std::max(cap, m.fedMm);
                allowed = edgeCap;
            }
        }
    }
    if (!grading) {
        throw ModelFailure("the conductor is too thick to model: the segments where the wires meet must be at least " +
                           Fixed(kThinWireRadii, 0) + " wire radii long (" + Fixed(kThinWireRadii * m.radiusMm, 3) +
                           " mm) and at most a tenth of a wavelength at " + Trimmed(m.designMHz, 6) + " MHz (" +
                           Fixed(allowedAtDesign, 3) + " mm)");
    }
    m.edgeCapMm = allowed;
    Apply(m, *grading);

    CheckClearance(m);

    m.comments = {
        "corvanta " + design.Text(Field::Frequency) + " MHz, " + std::to_string(m.sides) +
            " sided prism loop, millimetres",
        "HEIGHT " + design.Text(Field::HeightMm) + ", SIDE " + design.Text(Field::SideMm) + ", GAP " +
            design.Text(Field::GapMm) + " mm",
        "conductor " + design.Text(Field::DiameterMm) + " mm (AWG " + design.Text(Field::Gauge) + "), copper",
        "fed at the middle of every vertical, " + Trimmed(m.FedMm(), 3) + " mm, 1 V in phase",
    };
    return m;
}

LoopModel Scaled(const LoopModel& model, double scale) {
    LoopModel m = model;
    m.heightMm *= scale;
    m.sideMm *= scale;
    m.gapMm *= scale;
    m.fedMm *= scale;
    for (double& length : m.verticalMm) length *= scale;
    const double corner =
        std::min({m.verticalMm.empty() ? m.SegmentMm() : m.verticalMm.front(), m.sideMm / m.edgeSegments});
    const double shortest = std::min(m.ShortestMm(), m.sideMm / m.edgeSegments);
    if (shortest < kThinWireRadii * m.radiusMm) m.kernel = Kernel::Extended;
    if (shortest < kExtendedKernelRadii * m.radiusMm || corner < kExtendedKernelRadii * m.radiusMm) {
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

std::vector<double> LoopModel::VerticalLengths() const {
    if (!verticalMm.empty()) return verticalMm;
    return std::vector<double>(static_cast<std::size_t>(verticalSegments), SegmentMm());
}

double LoopModel::ShortestMm() const {
    const std::vector<double> lengths = VerticalLengths();
    return std::min(*std::min_element(lengths.begin(), lengths.end()), sideMm / edgeSegments);
}

double LoopModel::LongestMm() const {
    const std::vector<double> lengths = VerticalLengths();
    return std::max(*std::max_element(lengths.begin(), lengths.end()), sideMm / edgeSegments);
}

double LoopModel::FedMm() const {
    const std::vector<double> lengths = VerticalLengths();
    double fed = 0;
    for (int i = 0; i < gapSegments; ++i) fed += lengths[static_cast<std::size_t>(FeedSegment() - 1 + i)];
    return fed;
}

std::vector<LoopModel> Refinements(const LoopModel& model) {
    std::vector<LoopModel> levels;
    if (model.verticalMm.empty()) return levels;
    const double corner = kThinWireRadii * model.radiusMm;
    for (int factor : {2, 4}) {
        // Every length a `factor` times shorter, as far as the kernel lets
        // it: the gap's parts, the longest segment (the corners' and so the
        // longest at least a little over kThinWireRadii).
        const double cap = std::max(model.capMm / factor, 1.25 * corner);
        const int parts = GapParts(model, model.fedMm, factor * model.gapSegments);
        std::optional<Grading> g = Grade(model, model.fedMm, parts, cap, std::max(model.edgeCapMm / factor, corner));
        if (!g) continue;
        LoopModel level = model;
        Apply(level, *g);
        level.capMm = cap;
        level.refinement = model.refinement * factor;
        const LoopModel& before = levels.empty() ? model : levels.back();
        if (level.verticalMm == before.verticalMm && level.edgeSegments == before.edgeSegments) continue;
        levels.push_back(std::move(level));
    }
    return levels;
}

std::vector<LoopModel> Coarsenings(const LoopModel& model, int wanted) {
    std::vector<LoopModel> levels;
    if (model.verticalMm.empty()) return levels;
    // Long segments are only ever run near the resonance, below the design
    // frequency's tenth of a wavelength.
    const double longest = kLongestAllowedWavelengths * kSpeedOfLight / model.designMHz * 1000;
    for (int factor = 2; factor <= 8 && static_cast<int>(levels.size()) < wanted; factor *= 2) {
        // A cap a little under `factor` times where that leaves the
        // corners' segments too short for the growth to reach.
        std::optional<Grading> g;
        double cap = 0;
        for (double share = 1; share > 0.65 && !g; share -= 0.1) {
            cap = model.capMm * factor * share;
            if (cap <= longest && cap > kGrowth * model.capMm)
                g = Grade(model, model.fedMm, model.gapSegments, cap, longest);
        }
        if (!g) continue;
        LoopModel level = model;
        Apply(level, *g);
        level.capMm = cap;
        const LoopModel& before = levels.empty() ? model : levels.back();
        if (level.verticalMm == before.verticalMm && level.edgeSegments == before.edgeSegments) continue;
        levels.push_back(std::move(level));
    }
    return levels;
}

std::optional<LoopModel> LongerFeed(const LoopModel& model) {
    if (!(model.fedMm > model.gapMm * (1 + 1e-9)) || model.verticalMm.empty()) return std::nullopt;
    LoopModel longer = model;
    const double fed = kGrowth * model.fedMm;
    const std::optional<Grading> g =
        Grade(model, fed, model.gapSegments, std::max(model.capMm, kGrowth * fed), model.edgeCapMm);
    if (!g) return std::nullopt;
    Apply(longer, *g);
    longer.fedMm = fed;
    return longer;
}

std::optional<LoopModel> EvenCut(const LoopModel& model) {
    if (model.verticalMm.empty()) return std::nullopt;
    const double part = model.fedMm / model.gapSegments;
    const double rest = model.heightMm / 2 - model.fedMm / 2;
    const double corner = kThinWireRadii * model.radiusMm;
    const int most = static_cast<int>(std::floor(rest / corner * (1 + 1e-12)));
    if (most < 1) return std::nullopt;
    const int count =
        std::clamp(static_cast<int>(std::ceil(rest / std::max(model.capMm, corner) * (1 - 1e-12))), 1, most);
    LoopModel even = model;
    even.verticalMm.assign(static_cast<std::size_t>(count), rest / count);
    even.verticalMm.insert(even.verticalMm.end(), static_cast<std::size_t>(model.gapSegments), part);
    even.verticalMm.insert(even.verticalMm.end(), static_cast<std::size_t>(count), rest / count);
    even.verticalSegments = static_cast<int>(even.verticalMm.size());
    even.feedFirst = count + 1;
    if (even.verticalMm == model.verticalMm) return std::nullopt;
    return even;
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
