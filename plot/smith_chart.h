#pragma once

#include <QColor>
#include <QPen>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/model_check.h"

// The impedance of a model check on a Smith chart: the charted curve's
// impedance over the sweep, normalised to the reference it is read on,
// with the design frequency, the band's edges and the resonance marked,
// the measurement over it, the SWR 2:1 circle and labelled circles of
// constant resistance and reactance. Drawn with QPainter into any
// rectangle of any paint device, like the sweep and the pattern.

namespace corvanta::plot {

// The size of the chart in a file, in pixels.
inline constexpr QSize kSmithPlotSize{940, 660};

// The reflection coefficient of an impedance on a reference: where it lies
// on the chart, the centre for the reference itself, the rim's left end
// for a short and its right end for an open (an infinite impedance).
std::complex<double> SmithPoint(std::complex<double> impedance, double referenceOhm);

// Return loss in dB of a reflection's magnitude, and of an SWR: infinite
// for a perfect match, 0 for a total reflection.
double ReturnLossDb(double reflection);
double ReturnLossOfSwr(double swr);

// An impedance at a frequency, of the model or of the measurement.
struct SmithSample {
    double mhz = 0;
    std::complex<double> impedance;
};

// What the chart draws: the curve the SWR plot draws bold. That is the
// radio end of the feed chain when it is the headline, else the headline
// reading, the feed a builder can make that comes closest to 1:1 at the
// design frequency. The measurement is taken to the same port. The curve,
// its marks, the legend and the read-out all work from this one answer,
// so they cannot disagree.
struct SmithCurve {
    std::string label;  // the legend's, typeset: "radio end on 50 Ω"
    std::string on;     // what it is normalised to, typeset: "200 Ω (4:1 balun)"
    double referenceOhm = 50;
    QColor colour;
    QPen pen;  // the one plot::CheckCurves gives it
    bool radioEnd = false;
    std::vector<SmithSample> model;  // at every sweep point
    // As the line is drawn: smooth between the sweep points (DenseOf),
    // through every one of them.
    std::vector<SmithSample> drawn;
    std::vector<SmithSample> measured;  // at every measured point
};

SmithCurve ChartedCurve(const nec::ModelCheck& check);

// Where everything goes in a rectangle; the drawing and the read-out under
// the pointer both work from it, so they agree.
struct SmithLayout {
    bool drawable = false;  // a sweep of two points or more
    QRectF area, legend;
    QPointF centre;
    double radius = 1;

    // The point of the chart for a reflection coefficient.
    QPointF At(std::complex<double> reflection) const;
};

// Needs a QGuiApplication (for the fonts' metrics).
SmithLayout LayOutSmith(const nec::ModelCheck& check, const QRectF& area);

void DrawSmithChart(QPainter& painter, const QRectF& area, const nec::ModelCheck& check);

// The charted values at a frequency, each a straight line between the
// sweep points as the curve is drawn.
struct SmithReadout {
    double mhz = 0;
    std::complex<double> impedance;
    double referenceOhm = 50;
    std::string on;                                // as SmithCurve::on
    std::optional<std::complex<double>> measured;  // where the measurement reaches
    // What the radio sees through the match, on its own reference, where
    // a match is drawn.
    std::optional<std::complex<double>> matched;
    double matchedReferenceOhm = 50;
    std::string matchedName;  // "through the match on 50 Ω, tuned loop"
};

// Nothing when the sweep has no point or the frequency is outside it.
std::optional<SmithReadout> ReadSmith(const nec::ModelCheck& check, double mhz);

// The frequency of the model's curve nearest a point of the chart in
// `area`; nothing off the chart.
std::optional<double> SmithMHzAt(const nec::ModelCheck& check, const QRectF& area, QPointF point);

// "146.000 MHz" and the impedance, its SWR and return loss, the model's and
// the measurement's.
QString SmithReadoutText(const SmithReadout& readout);

}  // namespace corvanta::plot
