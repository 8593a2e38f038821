#include "nec/adaptive_sweep.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "nec/rational_interpolant.h"

namespace corvanta::nec {

namespace {

using Z = std::complex<double>;
using Values = std::vector<Z>;

// The engine prints five significant digits: each of its values is known
// to half a unit of the fifth, in each part. The interpolants come that
// close to every sample and no closer: chasing the rounding puts poles
// between the samples that the guard must then take out, and with them
// support points the fit needs.
double Rounding(std::complex<double> z) {
    const auto half = [](double v) {
        return v == 0 ? 0.0 : 0.5 * std::pow(10.0, std::floor(std::log10(std::abs(v))) - 4);
    };
    return std::hypot(half(z.real()), half(z.imag()));
}

std::vector<RationalInterpolant> FitAll(const std::vector<double>& mhz, const std::map<int, Values>& known) {
    std::vector<double> x;
    std::vector<Values> rows;
    for (const auto& [row, values] : known) {
        x.push_back(mhz[static_cast<std::size_t>(row)]);
        rows.push_back(values);
    }
    return FitRows(x, rows);
}

Values Evaluate(const std::vector<RationalInterpolant>& fits, double mhz) {
    Values values;
    for (const RationalInterpolant& fit : fits) values.push_back(fit(mhz));
    return values;
}

// The largest relative difference between two rows of values.
double Difference(const Values& a, const Values& b) {
    double worst = 0;
    for (std::size_t c = 0; c < a.size(); ++c) {
        worst = std::max(worst, std::abs(a[c] - b[c]) / std::max(std::abs(b[c]), 1e-300));
    }
    return worst;
}

// The rows furthest from every known row, `count` of them, the lowest row
// first among equals.
std::vector<int> Furthest(int rows, const std::map<int, Values>& known, int count) {
    std::vector<int> chosen;
    for (int n = 0; n < count; ++n) {
        int best = -1, bestDistance = 0;
        for (int row = 0; row < rows; ++row) {
            if (known.contains(row) || std::find(chosen.begin(), chosen.end(), row) != chosen.end()) continue;
            int distance = rows;
            for (const auto& [k, v] : known) distance = std::min(distance, std::abs(row - k));
            for (int c : chosen) distance = std::min(distance, std::abs(row - c));
            if (distance > bestDistance) {
                bestDistance = distance;
                best = row;
            }
        }
        if (best < 0) break;
        chosen.push_back(best);
    }
    return chosen;
}

// The middle rows of the stretches between either end of the sweep and the
// nearest known row, where the end itself is not known.
std::vector<int> EndRows(int rows, const std::map<int, Values>& known) {
    std::vector<int> ends;
    const int first = known.begin()->first, last = known.rbegin()->first;
    // The stretch from the end to the first known row past it.
    const auto middle = [&](int end, int inner) {
        if (std::abs(inner - end) < 2) return;
        const int row = (end + inner) / 2;
        if (!known.contains(row)) ends.push_back(row);
    };
    if (first > 0) {
        ends.push_back(0);
    } else {
        middle(0, std::next(known.begin()) != known.end() ? std::next(known.begin())->first : first);
    }
    if (last < rows - 1) {
        ends.push_back(rows - 1);
    } else {
        middle(rows - 1, known.size() > 1 ? std::prev(known.end(), 2)->first : last);
    }
    return ends;
}

void Compute(const RowComputer& compute, const std::vector<int>& rows, std::map<int, Values>& known) {
    if (rows.empty()) return;
    const std::vector<Values> values = compute(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) known[rows[i]] = values[i];
}

}  // namespace

std::vector<RationalInterpolant> FitRows(const std::vector<double>& mhz, const std::vector<Values>& rows) {
    std::vector<RationalInterpolant> fits;
    if (rows.size() < 2 || rows.size() != mhz.size()) return fits;
    for (std::size_t c = 0; c < rows.front().size(); ++c) {
        std::vector<Z> y;
        std::vector<double> tolerances;
        for (const Values& values : rows) {
            y.push_back(values[c]);
            tolerances.push_back(Rounding(values[c]));
        }
        fits.push_back(RationalInterpolant::Fit(mhz, y, tolerances));
    }
    return fits;
}

AdaptiveSweep SampleSweep(const std::vector<double>& mhz, const RowComputer& compute, const AdaptiveOptions& options,
                          const RoundWatcher& watch) {
    const int rows = static_cast<int>(mhz.size());
    AdaptiveSweep sweep;
    std::map<int, Values> known;
    const auto everyRow = [&] {
        std::vector<int> missing;
        for (int row = 0; row < rows; ++row) {
            if (!known.contains(row)) missing.push_back(row);
        }
        Compute(compute, missing, known);
        sweep.exact = true;
    };
    const auto evaluateAll = [&](const std::vector<RationalInterpolant>& fits) {
        std::vector<Values> values;
        for (int row = 0; row < rows; ++row) {
            const auto engine = known.find(row);
            values.push_back(engine != known.end() ? engine->second
                                                   : Evaluate(fits, mhz[static_cast<std::size_t>(row)]));
        }
        if (watch) watch(values);
        return values;
    };

    std::vector<RationalInterpolant> fits;
    // A sweep too short to save anything is computed as it is.
    if (rows <= options.initial + options.batch + options.heldOut) {
        everyRow();
    } else {
        std::vector<int> next;
        for (int i = 0; i < options.initial; ++i) next.push_back(i * (rows - 1) / (options.initial - 1));
        Compute(compute, next, known);
        sweep.rounds = 1;
        fits = FitAll(mhz, known);
        std::vector<Values> before = evaluateAll(fits);
        // The next batch where the interpolant moved most since `before`,
        // one row from each stretch between known rows; the worst move.
        const auto chooseNext = [&](const std::vector<Values>& now) {
            std::vector<std::pair<double, int>> moves;
            double worst = 0;
            for (int row = 0; row < rows; ++row) {
                if (known.contains(row)) continue;
                const double move =
                    Difference(now[static_cast<std::size_t>(row)], before[static_cast<std::size_t>(row)]);
                worst = std::max(worst, move);
                moves.push_back({move, row});
            }
            std::sort(moves.begin(), moves.end(), [](const auto& a, const auto& b) {
                return a.first > b.first || (a.first == b.first && a.second < b.second);
            });
            next.clear();
            for (const auto& [move, row] : moves) {
                if (static_cast<int>(next.size()) == options.batch) break;
                const auto stretch = known.upper_bound(row);
                if (std::none_of(next.begin(), next.end(),
                                 [&](int other) { return known.upper_bound(other) == stretch; })) {
                    next.push_back(row);
                }
            }
            before = now;
            return worst;
        };
        // With nothing to compare yet, the middles of the widest gaps.
        next = Furthest(rows, known, options.batch);
        while (!sweep.exact) {
            while (true) {
                if (static_cast<int>(known.size() + next.size()) + options.heldOut >= rows) {
                    everyRow();
                    break;
                }
                Compute(compute, next, known);
                ++sweep.rounds;
                fits = FitAll(mhz, known);
                if (chooseNext(evaluateAll(fits)) < options.target) break;
            }
            if (sweep.exact) break;
            // Checked, not trusted: rows the interpolant has not seen, where
            // it is likeliest worst: the middles of the stretches at either
            // end of the sweep, where it has a neighbour on one side only,
            // and of the widest stretches.
            sweep.heldOutRows = EndRows(rows, known);
            for (int row : Furthest(rows, known, options.heldOut + static_cast<int>(sweep.heldOutRows.size()))) {
                if (static_cast<int>(sweep.heldOutRows.size()) >= options.heldOut + 2) break;
                if (std::find(sweep.heldOutRows.begin(), sweep.heldOutRows.end(), row) == sweep.heldOutRows.end()) {
                    sweep.heldOutRows.push_back(row);
                }
            }
            std::sort(sweep.heldOutRows.begin(), sweep.heldOutRows.end());
            if (static_cast<int>(known.size() + sweep.heldOutRows.size()) >= rows) {
                everyRow();
                break;
            }
            std::map<int, Values> held;
            Compute(compute, sweep.heldOutRows, held);
            sweep.heldOutError = 0;
            for (const auto& [row, values] : held) {
                sweep.heldOutError = std::max(sweep.heldOutError,
                                              Difference(Evaluate(fits, mhz[static_cast<std::size_t>(row)]), values));
                known[row] = values;
            }
            if (sweep.heldOutError > options.heldOutLimit) {
                // Off by more than the sweep may be: the held-out rows join
                // the fit and the rounds go on where it moves most, until
                // rows it has not seen agree.
                fits = FitAll(mhz, known);
                chooseNext(evaluateAll(fits));
                continue;
            }
            break;
        }
    }

    for (int row = 0; row < rows; ++row) {
        const auto engine = known.find(row);
        sweep.rows.push_back(engine != known.end() ? engine->second
                                                   : Evaluate(fits, mhz[static_cast<std::size_t>(row)]));
    }
    for (const auto& [row, values] : known) sweep.engineRows.push_back(row);
    if (!sweep.exact) sweep.fits = std::move(fits);
    return sweep;
}

}  // namespace corvanta::nec
