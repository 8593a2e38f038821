#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "nec/check_plan.h"
#include "nec/scaled_design.h"

// Cut and measure again: the builder sweeps the loop, trims it, sweeps it
// again. Two or more sweeps of one loop, each with the lengths it was cut
// to, show how this loop's resonance moves with its size, measured rather
// than modelled, and so where the next cut puts it.
//
// A loop's size is its height and side together; a sweep's is said in per
// cent of the last cut's: 100 (size / last size - 1). The line through the
// sweeps' (size, resonance), by least squares, gives the MHz per 1 % and
// the size that resonates at the target; the next cut is the last one's
// lengths, all three, times that size over the last.

namespace corvanta::nec {

struct CutSweep {
    BuiltLengths cut;     // as cut when it was swept
    double resonanceMHz;  // measured
};

struct CutTrend {
    double mhzPerPercent = 0;  // the resonance's move for 1 % more of the loop's size (negative)
    double nextScale = 1;      // the next cut over the last
    BuiltLengths next;         // the last cut's lengths times nextScale
};

struct CutTrendResult {
    std::optional<CutTrend> trend;
    std::string why;  // when there is none
};

CutTrendResult CutAndMeasure(const std::vector<CutSweep>& sweeps, double targetMHz);

// The next cut from the sweeps, beside the one a single measurement gives
// (its trim): the two are worked differently (the sweeps' line against
// the model's fit to one sweep), and how far apart they lie says how far
// either can be trusted.
struct TwoSweepCut {
    BuiltLengths lengths;      // CutTrend's next
    double mhzPerPercent = 0;  // CutTrend's
    std::size_t sweeps = 0;    // how many gave it
    // 100 (its size / the single measurement's size - 1), a size being
    // height and side together as above.
    double differencePercent = 0;
};

// None with fewer than two sweeps, or where CutAndMeasure finds no trend.
std::optional<TwoSweepCut> TwoSweepCutOf(const std::vector<CutSweep>& sweeps, const ScaledDesign& oneCut,
                                         double targetMHz);

}  // namespace corvanta::nec
