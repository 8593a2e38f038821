#pragma once

#include <QColor>
#include <QPen>
#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "nec/dense_curve.h"
#include "nec/model_check.h"

// The curves a check's plots draw, each once: its name, its ink and its
// samples. The SWR plot and the Smith chart both draw from here, so a curve
// looks and reads the same in either, and a read-out names it as the
// legend does.

namespace corvanta::plot {

enum class CurveKind {
    Reading,   // a reading of nec::kReadings, on the model's own sweep
    Radio,     // the radio end of the feed chain, on the verdict's loop
    Matched,   // what the radio sees through the match, on the verdict's loop
    Measured,  // the measurement, at the lines' junction
};

struct CheckCurve {
    CurveKind kind = CurveKind::Reading;
    std::size_t reading = 0;  // for a Reading: its index in nec::kReadings
    // As the legend names it, typeset: "radio end on 50 Ω, tuned loop".
    std::string label;
    // As a read-out names it, without the legend's hint of the dash.
    std::string name;
    QColor colour;
    Qt::PenStyle dash = Qt::SolidLine;
    double width = 1.3;
    bool headline = false;  // the one bold curve
    // A reading on the verdict's loop (ReadingOnLoop) rather than on the
    // model's own sweep; the feed's curves are always on it.
    bool onLoop = false;
    double referenceOhm = 50;  // what `impedance` is read against
    std::vector<double> mhz;
    std::vector<std::complex<double>> impedance;
    std::vector<double> swr;

    QPen Pen() const;
};

// The ink of the feed's curves and the measurement's, which the plots
// also use for what goes with them (the measured R and X, their marks).
QColor InkOf(CurveKind kind);

// The headline's curve is the one bold line; the others are thin.
inline constexpr double kHeadlinePen = 3.4;
inline constexpr double kOtherPen = 1.3;
inline constexpr double kMeasuredPen = 2.4;

// Every curve of the check, in the SWR plot's legend order: the drawn
// readings, the radio end, the match, the measurement. A feed curve is
// here only with a value at every point of the verdict's loop.
std::vector<CheckCurve> CheckCurves(const nec::ModelCheck& check);

// One reading on the verdict's loop (the model's own sweep where no loop
// was read), named with the loop where it is not the design's: the Smith
// chart's curve when no feed chain is connected.
CheckCurve ReadingOnLoop(const nec::ModelCheck& check, std::size_t reading);

// The curve of a kind, if the check has it.
std::optional<CheckCurve> CurveOf(const nec::ModelCheck& check, CurveKind kind);

// A curve as it is drawn smoothly: the model's curves densely between their
// points, from the sweep's interpolant through the same feed
// (nec::DenseCurve), every point itself included; the measurement as it is.
std::vector<nec::DenseSample> DenseOf(const nec::ModelCheck& check, const CheckCurve& curve);

// A sample of a curve at a frequency, a straight line between its points
// as it is drawn; nothing outside them. An infinite SWR stays infinite.
struct CurveValue {
    std::complex<double> impedance;
    double swr = 0;
};
std::optional<CurveValue> ValueAt(const CheckCurve& curve, double mhz);

}  // namespace corvanta::plot
