#pragma once

#include <complex>
#include <functional>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed_chain.h"
#include "nec/feed_line.h"
#include "nec/feed_options.h"
#include "nec/match_network.h"
#include "nec/named_loop.h"

// A curve of the check between its sweep's rows. The rows are few, and
// where the impedance turns fast with frequency (a long feeder winds the
// radio end round the chart) straight lines between them make a jagged
// polygon of a smooth spiral. Between the rows the gaps' impedances come
// from the sweep's own interpolant and go through the same lines and the
// same feed as the rows, as densely as the curve needs; at the rows the
// curve is the rows themselves.

namespace corvanta::nec {

// The curve's impedance at a point of the loop: a reading, the radio end,
// what the radio sees through the match.
using PortOf = std::function<std::complex<double>(const SweepPoint&)>;

struct DenseSample {
    double mhz = 0;
    std::complex<double> impedance;
};

struct DenseOptions {
    double referenceOhm = 50;  // closeness is judged on the reflection coefficient on it
    // The most the reflection coefficient may move between neighbours, as
    // a share of the chart's radius, unless a stretch between two rows
    // would take more than maxPerStretch pieces.
    double maxStep = 0.02;
    int perStretch = 8;  // pieces between two rows at the least
    int maxPerStretch = 64;
};

// The curve over the loop's sweep: every row's own value at its frequency,
// and between rows the sweep's interpolant (CheckReport::sampling.gapFits,
// or a fit through the rows where the report kept none), nudged by the
// interpolant's misses at the rows either side so that it meets them.
// The loop is the model's or the model scaled (NamedLoop), its rows the
// report's rows. Just the rows where they do not match the report's.
std::vector<DenseSample> DenseCurve(const CheckReport& report, const NamedLoop& loop, const FeedLine& line,
                                    const PortOf& port, const DenseOptions& options = {});

// What a match is fitted on at a point of the loop: the radio end of the
// chain, else the lines' junction through the usual 4:1 balun.
std::complex<double> MatchLoad(const SweepPoint& point, const FeedOptions& options, double designMHz);

// The ports of the feed's curves, as the feed report reads its rows.
PortOf RadioEndPort(const FeedChain& chain, double designMHz);
PortOf MatchedPort(const FeedOptions& options, const Match& match, double designMHz);

}  // namespace corvanta::nec
