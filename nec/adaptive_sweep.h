#pragma once

#include <complex>
#include <functional>
#include <vector>

#include "nec/rational_interpolant.h"

// A sweep from a handful of engine points: the engine computes a few rows,
// a rational interpolant through them fills the rest, and new rows go
// where the interpolant moved most since the round before, a fixed batch at
// a time (the rows chosen never depend on the machine), until it moves by
// less than the target or the engine has computed as many rows as a plain
// sweep would. Then the finished interpolant is checked against the engine
// at rows it has not seen, the middles of the stretches at both ends of the
// sweep and of the widest ones; where they disagree by more than the limit
// (|dZ|/|Z| of any value) those rows join the fit and the rounds go on, until
// they agree or the engine would compute every row anyway.

namespace corvanta::nec {

struct AdaptiveOptions {
    int initial = 5;       // rows the engine computes first, ends included
    int batch = 4;         // rows added a round
    double target = 5e-4;  // relative move of the interpolant between rounds, and at held-out rows
    int heldOut = 2;       // rows kept from the fit to check it, besides the ends' two
    double heldOutLimit = 1e-3;
};

struct AdaptiveSweep {
    // Every row's values: the engine's where it computed them, else the
    // interpolant's.
    std::vector<std::vector<std::complex<double>>> rows;
    std::vector<int> engineRows;  // ascending, held-out rows included
    std::vector<int> heldOutRows;
    double heldOutError = 0;  // the worst |dZ|/|Z| there, at the last check
    bool exact = false;       // the engine computed every row
    int rounds = 0;
    // The interpolants that filled the rows, one for each value a row
    // holds; none when the engine computed every row.
    std::vector<RationalInterpolant> fits;
};

// The engine's values (a fixed number of complex values) at each of the
// given rows, in their order.
using RowComputer = std::function<std::vector<std::vector<std::complex<double>>>(const std::vector<int>& rows)>;

// Every row's values after a round (the engine's where it computed them,
// else the interpolant's): an early look for work that can start before
// the sweep is done.
using RoundWatcher = std::function<void(const std::vector<std::vector<std::complex<double>>>& rows)>;

// One interpolant for each value of the rows, through every row, each value
// followed as closely as the engine's five digits know it: the fit the
// sweep makes of the rows it has. None for fewer than two rows.
std::vector<RationalInterpolant> FitRows(const std::vector<double>& mhz,
                                         const std::vector<std::vector<std::complex<double>>>& rows);

AdaptiveSweep SampleSweep(const std::vector<double>& mhz, const RowComputer& compute,
                          const AdaptiveOptions& options = {}, const RoundWatcher& watch = {});

}  // namespace corvanta::nec
