#include "nec/dense_curve.h"

#include <algorithm>
#include <cmath>

#include "nec/adaptive_sweep.h"

namespace corvanta::nec {

namespace {

using Z = std::complex<double>;
using Values = std::vector<Z>;  // a point's gaps, then the gaps in parallel

bool Finite(Z z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

Values ValuesOf(const SweepPoint& p) {
    Values v = p.gaps;
    v.push_back(p.parallel);
    return v;
}

// What the interpolant gives at a model frequency, in a point's order; none
// where it gives no finite value, and the rows are then joined straight.
std::optional<Values> Predicted(const std::vector<RationalInterpolant>& fits, double mhz) {
    if (fits.empty()) return std::nullopt;
    Values v;
    Z admittance;
    for (const RationalInterpolant& fit : fits) {
        const Z z = fit(mhz);
        if (!Finite(z) || z == Z()) return std::nullopt;
        v.push_back(z);
        admittance += 1.0 / z;
    }
    v.push_back(1.0 / admittance);
    return v;
}

Z Reflection(Z z, double reference) {
    if (std::isinf(z.real()) || std::isinf(z.imag())) return 1;
    return (z - reference) / (z + reference);
}

}  // namespace

std::vector<DenseSample> DenseCurve(const CheckReport& report, const NamedLoop& loop, const FeedLine& line,
                                    const PortOf& port, const DenseOptions& options) {
    const std::vector<SweepPoint>& rows = loop.sweep;
    const std::vector<SweepPoint>& model = report.sweep;
    std::vector<DenseSample> curve;
    const bool matches = rows.size() == model.size() && std::all_of(rows.begin(), rows.end(), [&](const SweepPoint& p) {
                             return p.gaps.size() == model.front().gaps.size();
                         });
    if (rows.size() < 2 || !matches) {
        for (const SweepPoint& p : rows) curve.push_back({p.mhz, port(p)});
        return curve;
    }
    std::vector<RationalInterpolant> fits = report.sampling.gapFits;
    if (fits.size() != model.front().gaps.size()) {
        std::vector<double> mhz;
        std::vector<Values> gaps;
        for (const SweepPoint& p : model) {
            mhz.push_back(p.mhz);
            gaps.push_back(p.gaps);
        }
        fits = FitRows(mhz, gaps);
        if (fits.size() != model.front().gaps.size()) fits.clear();
    }
    // Where the interpolant misses a row (a row the engine computed and the
    // fit only came near, or one it had not seen): the curve takes the
    // misses either side along, so that it runs into the rows themselves.
    // Without an interpolant the miss is the row itself: straight lines.
    std::vector<Values> miss;
    std::vector<bool> fitted;
    for (const SweepPoint& p : model) {
        Values v = ValuesOf(p);
        const auto predicted = Predicted(fits, p.mhz);
        if (predicted) {
            for (std::size_t c = 0; c < v.size(); ++c) v[c] -= (*predicted)[c];
        }
        fitted.push_back(predicted.has_value());
        miss.push_back(std::move(v));
    }
    const double s = loop.scale > 0 ? loop.scale : 1;
    const auto pointAt = [&](std::size_t i, double t) {
        const double mhz = model[i].mhz + t * (model[i + 1].mhz - model[i].mhz);
        const std::optional<Values> predicted = Predicted(fits, mhz);
        Values v(miss[i].size());
        if (predicted && fitted[i] && fitted[i + 1]) {
            for (std::size_t c = 0; c < v.size(); ++c)
                v[c] = (*predicted)[c] + (1 - t) * miss[i][c] + t * miss[i + 1][c];
        } else {
            const Values a = ValuesOf(model[i]), b = ValuesOf(model[i + 1]);
            for (std::size_t c = 0; c < v.size(); ++c) v[c] = a[c] + t * (b[c] - a[c]);
        }
        const Z parallel = v.back();
        v.pop_back();
        return PointOfGaps(mhz / s, std::move(v), parallel, line);
    };
    const auto close = [&](Z a, Z b) {
        if (!Finite(a) || !Finite(b)) return true;  // nothing to draw between them
        return std::abs(Reflection(a, options.referenceOhm) - Reflection(b, options.referenceOhm)) <= options.maxStep;
    };
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const Z first = port(rows[i]), last = port(rows[i + 1]);
        curve.push_back({rows[i].mhz, first});
        std::vector<DenseSample> between;
        for (int pieces = std::max(1, options.perStretch);; pieces *= 2) {
            between.clear();
            bool fine = true;
            Z before = first;
            for (int k = 1; k < pieces; ++k) {
                const SweepPoint p = pointAt(i, static_cast<double>(k) / pieces);
                between.push_back({p.mhz, port(p)});
                fine = fine && close(before, between.back().impedance);
                before = between.back().impedance;
            }
            fine = fine && close(before, last);
            if (fine || pieces * 2 > options.maxPerStretch) break;
        }
        curve.insert(curve.end(), between.begin(), between.end());
    }
    curve.push_back({rows.back().mhz, port(rows.back())});
    return curve;
}

std::complex<double> MatchLoad(const SweepPoint& point, const FeedOptions& options, double designMHz) {
    if (options.chain) return RadioEnd(point.lines, *options.chain, point.mhz, designMHz);
    constexpr double kBalun = 4;
    return point.lines / kBalun;
}

PortOf RadioEndPort(const FeedChain& chain, double designMHz) {
    return [chain, designMHz](const SweepPoint& p) { return RadioEnd(p.lines, chain, p.mhz, designMHz); };
}

PortOf MatchedPort(const FeedOptions& options, const Match& match, double designMHz) {
    return [options, match, designMHz](const SweepPoint& p) {
        return ThroughMatch(MatchLoad(p, options, designMHz), match, p.mhz);
    };
}

}  // namespace corvanta::nec
