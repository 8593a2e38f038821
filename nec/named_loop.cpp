#include "nec/named_loop.h"

#include <algorithm>

namespace corvanta::nec {

std::string_view CutName(CutChoice cut) {
    switch (cut) {
        case CutChoice::Trimmed:
            return "trimmed";
        case CutChoice::Tuned:
            return "tuned";
        case CutChoice::Design:
            return "design";
    }
    return "";
}

std::string_view LoopWords(CutChoice cut) {
    switch (cut) {
        case CutChoice::Trimmed:
            return "the trimmed loop";
        case CutChoice::Tuned:
            return "the tuned loop";
        case CutChoice::Design:
            return "the design's loop";
    }
    return "";
}

SweepPoint PointOfGaps(double mhz, std::vector<std::complex<double>> gaps, std::complex<double> parallel,
                       const FeedLine& line) {
    SweepPoint point;
    point.mhz = mhz;
    point.gaps = std::move(gaps);
    point.parallel = parallel;
    point.lines = Junction(point.gaps, line, mhz);
    for (std::size_t i = 0; i < kReadingCount; ++i) {
        point.swr[i] = Swr(point.At(kReadings[i].point), kReadings[i].referenceOhm);
    }
    return point;
}

NamedLoop DesignLoop(const CheckReport& report) {
    NamedLoop loop;
    loop.sweep = report.sweep;
    loop.atDesign = report.atDesign;
    return loop;
}

namespace {

// The model's gap impedances at `mhz` by straight lines between the two
// sweep points either side; none outside the sweep.
std::optional<SweepPoint> ModelBetweenPoints(const std::vector<SweepPoint>& sweep, double mhz) {
    if (sweep.empty() || mhz < sweep.front().mhz || mhz > sweep.back().mhz) return std::nullopt;
    const auto hi =
        std::lower_bound(sweep.begin(), sweep.end(), mhz, [](const SweepPoint& p, double f) { return p.mhz < f; });
    if (hi == sweep.begin()) return *hi;
    const auto lo = hi - 1;
    const double span = hi->mhz - lo->mhz;
    const double t = span > 0 ? (mhz - lo->mhz) / span : 0;
    SweepPoint p = *lo;
    for (std::size_t g = 0; g < p.gaps.size() && g < hi->gaps.size(); ++g) {
        p.gaps[g] = lo->gaps[g] + t * (hi->gaps[g] - lo->gaps[g]);
    }
    p.parallel = lo->parallel + t * (hi->parallel - lo->parallel);
    p.mhz = mhz;
    return p;
}

}  // namespace

NamedLoop ScaledLoop(const CheckReport& report, const LoopModel& model, const FeedLine& line, CutChoice name,
                     const ScaledDesign& lengths, const std::optional<SweepPoint>& exact) {
    NamedLoop loop;
    loop.name = name;
    loop.lengths = lengths;
    loop.scale = model.heightMm > 0 ? lengths.heightMm / model.heightMm : 1;
    const double s = loop.scale;
    for (const SweepPoint& p : report.sweep) loop.sweep.push_back(PointOfGaps(p.mhz / s, p.gaps, p.parallel, line));
    const double design = report.designMHz;
    if (exact) {
        loop.atDesign = *exact;
    } else if (report.sweep.empty()) {
        loop.atDesign = report.atDesign;
    } else if (const auto between = ModelBetweenPoints(report.sweep, design * s)) {
        loop.atDesign = PointOfGaps(design, between->gaps, between->parallel, line);
    } else {
        // Beyond the sweep: the nearest end, which the sweep's own words
        // already say is all there is.
        const SweepPoint& end = design * s < report.sweep.front().mhz ? report.sweep.front() : report.sweep.back();
        loop.atDesign = PointOfGaps(design, end.gaps, end.parallel, line);
    }
    return loop;
}

}  // namespace corvanta::nec
