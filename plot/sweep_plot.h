#pragma once

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
#include "plot/check_curves.h"
#include "plot/ticks.h"

// The sweep of a model check against frequency: SWR above (each reading of
// nec::kReadings that is drawn, in its own colour, dash and weight),
// resistance and reactance below; the design frequency, the resonance and
// the 2:1 edges marked. Drawn with QPainter into any rectangle of any paint
// device: a widget, an SVG file, a PNG image.

namespace corvanta::plot {

// The SWR axis ends at 5:1; a curve above it leaves the scale, marked.
inline constexpr double kSwrAxisTop = 5;
// Resistance and reactance are shown within +-1000 ohm at most.
inline constexpr double kReadableOhm = 1000;
// The size of the plot in a file, in pixels.
inline constexpr QSize kSweepPlotSize{940, 660};

// Where everything goes in a rectangle; the drawing and the read-out under
// the pointer both work from it, so they agree.
struct SweepLayout {
    bool drawable = false;  // a sweep of two points or more
    QRectF area, swrPanel, ohmPanel, labelBand;
    // The SWR curves' legend and the R and X curves' legend, as tall as
    // their lines: beside their panels where there is room, the second
    // below the first where the SWR's is taller than its panel, and side by
    // side where the plot is too low for one under the other.
    QRectF legend, ohmLegend;
    double fromMHz = 0, toMHz = 1;
    double mhzStep = 1;
    AxisRange swr, ohm;

    double X(double mhz) const;
    double MHzAt(double x) const;
    double SwrY(double swr) const;
    double OhmY(double ohm) const;
};

// Needs a QGuiApplication (for the fonts' metrics).
SweepLayout LayOutSweep(const nec::ModelCheck& check, const QRectF& area);

// A curve of the SWR panel a viewer may show or hide: a reading of
// nec::kReadings, the radio end, the SWR through the match, the measurement.
struct SweepCurve {
    using Kind = CurveKind;
    Kind kind = Kind::Reading;
    std::size_t reading = 0;  // for a Reading: its index in nec::kReadings
    QString label;            // as the legend names it
    bool headline = false;    // the one bold curve

    bool operator==(const SweepCurve& other) const { return kind == other.kind && reading == other.reading; }
};

// The curves a check draws in the SWR panel, in the legend's order.
std::vector<SweepCurve> SweepCurves(const nec::ModelCheck& check);

// The curves left out of the drawing and its legend; none by default.
using HiddenCurves = std::vector<SweepCurve>;

void DrawSweepPlot(QPainter& painter, const QRectF& area, const nec::ModelCheck& check,
                   const HiddenCurves& hidden = {});

// A curve of the SWR panel other than the readings, read at a frequency:
// the radio end, the match, the measurement.
struct CurveReading {
    CurveKind kind = CurveKind::Radio;
    std::string name;  // as CheckCurve::name
    std::complex<double> impedance;
    double swr = 0;
};

// The plotted values at a frequency, each a straight line between the sweep
// points as the curves are drawn; of the gaps, the one the plot shows. The
// feed's curves and the measurement where they reach the frequency.
struct SweepReadout : nec::SweepPoint {
    std::vector<CurveReading> curves;
};

// Nothing when the sweep has no point or the frequency is outside it. A
// hidden curve is left out, as it is of the drawing.
std::optional<SweepReadout> ReadSweep(const nec::ModelCheck& check, double mhz, const HiddenCurves& hidden = {});

// The frequency under a point of the plot in `area`; nothing outside the
// panels.
std::optional<double> SweepMHzAt(const nec::ModelCheck& check, const QRectF& area, QPointF point);

// "146.000 MHz" and a line for each feed, as the plot's legend names them.
QString ReadoutText(const SweepReadout& readout);

}  // namespace corvanta::plot
