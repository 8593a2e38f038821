#include "nec/match_network.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "nec/analysis.h"

namespace corvanta::nec {

namespace {

using Z = std::complex<double>;

double Omega(double mhz) { return 2 * std::numbers::pi * mhz * 1e6; }

// The component that has reactance `x` (ohm) at `mhz`.
MatchComponent SeriesOf(double x, double mhz) {
    if (x >= 0) return {MatchComponent::Position::Series, true, x / Omega(mhz) * 1e9};
    return {MatchComponent::Position::Series, false, -1 / (Omega(mhz) * x) * 1e12};
}

// The component that has susceptance `b` (siemens) at `mhz`.
MatchComponent ShuntOf(double b, double mhz) {
    if (b >= 0) return {MatchComponent::Position::Shunt, false, b / Omega(mhz) * 1e12};
    return {MatchComponent::Position::Shunt, true, -1 / (Omega(mhz) * b) * 1e9};
}

// Where the SWR on `reference` stays under 2 around the design frequency.
void Under2(Match& match, const std::vector<double>& mhz, const std::vector<Z>& loads, double designMHz,
            double reference) {
    std::vector<double> swr;
    for (std::size_t i = 0; i < loads.size(); ++i) swr.push_back(Swr(ThroughMatch(loads[i], match, mhz[i]), reference));
    for (const Range& range : RangesUnder(mhz, swr, kSwrLimit)) {
        const double from = range.fromMHz.value_or(mhz.front()), to = range.toMHz.value_or(mhz.back());
        if (from <= designMHz && designMHz <= to) {
            match.under2FromMHz = from;
            match.under2ToMHz = to;
        }
    }
}

double Width(const Match& match) { return match.under2FromMHz ? *match.under2ToMHz - *match.under2FromMHz : -1; }

}  // namespace

double MatchComponent::ReactanceAt(double mhz) const {
    return inductor ? Omega(mhz) * value * 1e-9 : -1 / (Omega(mhz) * value * 1e-12);
}

double MatchComponent::SusceptanceAt(double mhz) const { return -1 / ReactanceAt(mhz); }

Z ThroughMatch(Z load, const Match& match, double mhz) {
    Z z = load;
    for (const MatchComponent& c : match.components) {
        if (c.position == MatchComponent::Position::Series) {
            z += Z(0, c.ReactanceAt(mhz));
        } else {
            z = 1.0 / (1.0 / z + Z(0, c.SusceptanceAt(mhz)));
        }
    }
    return z;
}

std::vector<Match> MatchSolutions(Z load, double referenceOhm, double mhz) {
    std::vector<Match> found;
    const double r = load.real(), x = load.imag();
    // One element: a series reactance where the resistance is already the
    // reference, a shunt one where the conductance is.
    const Z admittance = 1.0 / load;
    const double g = admittance.real(), b = admittance.imag();
    if (Swr(Z(r, 0), referenceOhm) <= kNoMatchSwr && x != 0) {
        found.push_back({Match::Arrangement::SeriesFirst, {SeriesOf(-x, mhz)}, {}, {}});
    }
    if (Swr(1.0 / Z(g, 0), referenceOhm) <= kNoMatchSwr && b != 0) {
        found.push_back({Match::Arrangement::ShuntFirst, {ShuntOf(-b, mhz)}, {}, {}});
    }
    // Series next to the load: R + j(X + Xs) must have conductance 1 / R0.
    if (r > 0 && r <= referenceOhm) {
        const double root = std::sqrt(r * (referenceOhm - r));
        for (double total : {root, -root}) {
            const double shunt = total / (r * r + total * total);  // cancels the susceptance left
            found.push_back({Match::Arrangement::SeriesFirst, {SeriesOf(total - x, mhz), ShuntOf(shunt, mhz)}, {}, {}});
        }
    }
    // Shunt next to the load: G + j(B + Bp) must have resistance R0.
    if (g > 0 && g <= 1 / referenceOhm) {
        const double root = std::sqrt(g * (1 / referenceOhm - g));
        for (double total : {root, -root}) {
            const double series = total / (g * g + total * total);  // cancels the reactance left
            found.push_back({Match::Arrangement::ShuntFirst, {ShuntOf(total - b, mhz), SeriesOf(series, mhz)}, {}, {}});
        }
    }
    // A component of zero value is no component: drop it, and name what
    // is left by the element next to the load. Where R or G is already the
    // reference the two roots are one network, and the one-element one.
    for (Match& match : found) {
        std::erase_if(match.components,
                      [](const MatchComponent& c) { return !(c.value > 0) || !std::isfinite(c.value); });
        if (!match.components.empty()) {
            match.arrangement = match.components.front().position == MatchComponent::Position::Series
                                    ? Match::Arrangement::SeriesFirst
                                    : Match::Arrangement::ShuntFirst;
        }
    }
    std::erase_if(found, [](const Match& m) { return m.components.empty(); });
    const auto same = [](const Match& one, const Match& other) {
        return std::equal(one.components.begin(), one.components.end(), other.components.begin(),
                          other.components.end(), [](const MatchComponent& p, const MatchComponent& q) {
                              return p.position == q.position && p.inductor == q.inductor &&
                                     std::abs(p.value - q.value) <= 1e-9 * p.value;
                          });
    };
    std::vector<Match> distinct;
    for (const Match& match : found) {
        if (std::none_of(distinct.begin(), distinct.end(), [&](const Match& d) { return same(d, match); })) {
            distinct.push_back(match);
        }
    }
    return distinct;
}

Match ChooseMatch(const std::vector<double>& mhz, const std::vector<Z>& loads, Z atDesign, double designMHz,
                  double referenceOhm) {
    Match none;
    if (Swr(atDesign, referenceOhm) <= kNoMatchSwr) {
        Under2(none, mhz, loads, designMHz, referenceOhm);
        return none;
    }
    std::vector<Match> solutions = MatchSolutions(atDesign, referenceOhm, designMHz);
    if (solutions.empty()) {
        none.needed = true;
        return none;
    }
    for (Match& match : solutions) {
        match.needed = true;
        Under2(match, mhz, loads, designMHz, referenceOhm);
    }
    // One element where one suffices; else the widest 2:1 range.
    const auto fewest = std::min_element(solutions.begin(), solutions.end(), [](const Match& a, const Match& b) {
                            return a.components.size() < b.components.size();
                        })->components.size();
    std::erase_if(solutions, [&](const Match& m) { return m.components.size() != fewest; });
    return *std::max_element(solutions.begin(), solutions.end(),
                             [](const Match& a, const Match& b) { return Width(a) < Width(b); });
}

}  // namespace corvanta::nec
