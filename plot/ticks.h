#pragma once

#include <string>
#include <vector>

// Axis ticks a reader takes in at a glance: steps of 1, 2 or 5 times a
// power of ten, ticks on whole multiples of the step.

namespace corvanta::plot {

// The smallest round step that cuts `span` into at most `mostIntervals`:
// RoundStep(87.6, 8) -> 20, RoundStep(4, 4) -> 1, RoundStep(0.3, 5) -> 0.1.
double RoundStep(double span, int mostIntervals);

// The multiples of `step` from `low` to `high` (both included when they are
// multiples): RoundTicks(116.8, 204.4, 20) -> 120, 140, ..., 200.
std::vector<double> RoundTicks(double low, double high, double step);

// [low, high] widened out to multiples of a round step, at most
// `mostIntervals` of them: RoundRange(-194, 581, 8) -> -200 .. 600 by 100.
struct AxisRange {
    double low = 0, high = 1, step = 1;
};
AxisRange RoundRange(double low, double high, int mostIntervals);

// A tick's text with as many decimals as the step needs: (142.5, 0.5) ->
// "142.5", (140, 20) -> "140", (-0.0, 1) -> "0".
std::string TickLabel(double value, double step);

}  // namespace corvanta::plot
