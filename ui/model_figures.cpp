#include "ui/model_figures.h"

#include "plot/sweep_plot.h"

#include <cmath>
#include <complex>
#include <optional>
#include <vector>

#include "nec/report.h"
#include "nec/text_format.h"
#include "ui/failure_words.h"

namespace corvanta::ui {

namespace {

QString Html(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString Ohms(std::complex<double> z) {
    return Html(nec::ImpedanceText(z, 2, " + j", " \u2212 j")) + QStringLiteral(" \u03a9");
}

QString SwrCell(std::optional<double> swr) {
    if (!swr) return QStringLiteral("\u2014");
    return Html(nec::SwrText(*swr));
}

QString Ranges(const std::vector<nec::Range>& ranges) {
    if (ranges.empty()) return QStringLiteral("none in the sweep");
    QStringList parts;
    for (const nec::Range& range : ranges) {
        const QString from = range.fromMHz ? Html(nec::Fixed(*range.fromMHz, 2))
                                           : QStringLiteral("below the sweep\u2019s start");
        const QString to = range.toMHz ? Html(nec::Fixed(*range.toMHz, 2)) + QStringLiteral(" MHz")
                                       : QStringLiteral("beyond the sweep\u2019s end");
        parts << from + QStringLiteral(" to ") + to;
    }
    return parts.join(QStringLiteral(", "));
}

struct Verdict {
    const char* word;
    const char* colour;
};

Verdict Judged(nec::Verdict verdict) {
    switch (verdict) {
    case nec::Verdict::Passed: return {"ok", "#1a7f37"};
    case nec::Verdict::Failed: return {"FAILED", "#c62828"};
    case nec::Verdict::NotApplicable: return {"n/a", "#555555"};
    }
    return {"", ""};
}

QString Heading(const QString& text) { return QStringLiteral("<h3>") + text + QStringLiteral("</h3>"); }

QString Row(const QStringList& cells, bool header = false) {
    const QString tag = header ? QStringLiteral("th") : QStringLiteral("td");
    QString row = QStringLiteral("<tr>");
    for (const QString& cell : cells) {
        row += QStringLiteral("<%1 align=\"left\">%2</%1>").arg(tag, cell);
    }
    return row + QStringLiteral("</tr>");
}

const QString kTable = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");

}  // namespace

QString DimensionsHtml(const Design& design) {
    const auto text = [&](Field field) { return Html(design.Text(field)); };
    const QString sides = design.sides == SideChoice::Four ? QStringLiteral("FOUR SIDED")
                                                           : QStringLiteral("THREE SIDED");
    QString html = QStringLiteral("<b>%1 MHz, %2</b>, conductor %3 mm")
                       .arg(text(Field::Text2), sides, text(Field::Text8));
    html += kTable;
    html += Row({QString(), QStringLiteral("HEIGHT"), QStringLiteral("SIDE"), QStringLiteral("GAP"),
                 QStringLiteral("300 OHM SERIES MATCH")},
                true);
    html += Row({QStringLiteral("mm"), text(Field::Text13), text(Field::Text17), text(Field::Text20),
                 text(Field::Text23)});
    html += Row({QStringLiteral("in"), text(Field::Text11), text(Field::Text16), text(Field::Text19),
                 text(Field::Text22)});
    return html + QStringLiteral("</table>");
}

QString FiguresHtml(const nec::ModelCheck& check) {
    const nec::CheckReport& r = check.report;
    const nec::LoopModel& model = check.plan.model;
    const nec::SweepPoint& d = r.atDesign;
    QString html;

    html += Heading(QStringLiteral("At %1 MHz").arg(Html(nec::Shortest(d.mhz))));
    html += kTable;
    html += Row({QStringLiteral("Feed"), QStringLiteral("Impedance"), QStringLiteral("SWR on 50 \u03a9"),
                 QStringLiteral("SWR on 200 \u03a9"), QStringLiteral("SWR on 300 \u03a9")},
                true);
    html += Row({QStringLiteral("<b>The lines’ junction</b>"), QStringLiteral("<b>") + Ohms(d.lines) + QStringLiteral("</b>"),
                 SwrCell(d.swrLines50), SwrCell(d.swrLines200), SwrCell(d.swrLines300)});
    html += Row({QStringLiteral("The gaps in parallel"), Ohms(d.parallel), SwrCell(d.swrParallel50),
                 SwrCell({}), SwrCell(d.swrParallel300)});
    html += Row({QStringLiteral("One gap"), Ohms(d.gaps.front()), SwrCell({}), SwrCell({}),
                 SwrCell(d.swrGap300)});
    html += QStringLiteral("</table>");
    const nec::FeedLine& line = check.plan.line;
    html += QStringLiteral("<p>Each gap feeds %1 mm of %2 Ω line, velocity factor %3 (lossless); "
                           "the lines join at one point, balanced. SWR on 200 Ω is through a 4:1 "
                           "balun.</p>")
                .arg(Html(nec::Trimmed(line.lengthMm, 4)), Html(nec::Trimmed(line.impedanceOhm, 3)),
                     Html(nec::Trimmed(line.velocityFactor, 3)));

    html += Heading(QStringLiteral("Gain"));
    html += QStringLiteral("<p>Maximum gain <b>%1 dBi</b> at an elevation of %2\u00b0, azimuth "
                           "%3\u00b0; efficiency %4 %.</p>")
                .arg(Html(nec::Fixed(r.maxGainDbi, 2)), Html(nec::Fixed(r.MaxGainElevationDeg(), 0)),
                     Html(nec::Fixed(r.maxGainPhiDeg, 0)), Html(nec::Fixed(r.efficiencyPercent, 2)));

    html += Heading(QStringLiteral("Resonance"));
    QStringList resonances;
    for (double mhz : r.resonancesMHz) resonances << Html(nec::Fixed(mhz, 2)) + QStringLiteral(" MHz");
    html += QStringLiteral("<p>The gap reactance crosses zero at %1.</p>")
                .arg(resonances.isEmpty() ? QStringLiteral("no frequency of the sweep")
                                          : resonances.join(QStringLiteral(", ")));

    html += Heading(QStringLiteral("SWR under 2:1"));
    html += kTable;
    html += Row({QStringLiteral("The lines\u2019 junction on 50 \u03a9"), Ranges(r.under2Lines50)});
    html += Row({QStringLiteral("The lines\u2019 junction on 200 \u03a9"), Ranges(r.under2Lines200)});
    html += Row({QStringLiteral("The lines\u2019 junction on 300 \u03a9"), Ranges(r.under2Lines300)});
    html += Row({QStringLiteral("The gaps in parallel on 50 \u03a9"), Ranges(r.under2Parallel50)});
    html += Row({QStringLiteral("The gaps in parallel on 300 \u03a9"), Ranges(r.under2Parallel300)});
    html += Row({QStringLiteral("One gap on 300 \u03a9"), Ranges(r.under2Gap300)});
    html += QStringLiteral("</table>");

    if (r.tuned) {
        const nec::TunedDesign& t = *r.tuned;
        const auto mm = [](double value) { return Html(nec::Fixed(value, 2)); };
        const auto in = [](double value) { return Html(nec::Fixed(value / nec::kMmPerInch, 3)); };
        html += Heading(QStringLiteral("Tuned by the model"));
        html += QStringLiteral("<p>HEIGHT, SIDE and GAP times <b>%1</b> put the gap reactance\u2019s zero "
                               "%2. The design itself stays as COMPUTE gives it.</p>")
                    .arg(Html(nec::Fixed(t.scale, 5)),
                         t.resonanceMHz
                             ? QStringLiteral("at %1 MHz%2")
                                   .arg(Html(nec::Fixed(*t.resonanceMHz, 3)),
                                        t.reached ? QString()
                                                  : QStringLiteral(", not within %1 % of the design frequency")
                                                        .arg(Html(nec::Trimmed(nec::kTuneTolerance * 100, 3))))
                             : QStringLiteral("nowhere near the design frequency"));
        html += kTable;
        html += Row({QString(), QStringLiteral("HEIGHT"), QStringLiteral("SIDE"), QStringLiteral("GAP")}, true);
        html += Row({QStringLiteral("mm"), mm(t.heightMm), mm(t.sideMm), mm(t.gapMm)});
        html += Row({QStringLiteral("in"), in(t.heightMm), in(t.sideMm), in(t.gapMm)});
        html += QStringLiteral("</table>");
    }

    if (check.measured) {
        const nec::Measurement& m = *check.measured;
        const auto mhz = [](const std::optional<double>& value) {
            return value ? Html(nec::Fixed(*value, 3)) + QStringLiteral(" MHz") : QStringLiteral("none");
        };
        html += Heading(QStringLiteral("Measured: %1").arg(Html(m.source)));
        html += kTable;
        html += Row({QString(), QStringLiteral("Measured"), QStringLiteral("Model")}, true);
        html += Row({QStringLiteral("Gap resonance"), mhz(m.resonanceMHz), mhz(m.modelResonanceMHz)});
        html += Row({QStringLiteral("Lowest SWR on %1 \u03a9").arg(Html(nec::Trimmed(m.referenceOhm, 3))),
                     (m.minSwrAtEdge ? QStringLiteral("%1 at the edge of the measurement (%2 MHz)")
                                     : QStringLiteral("%1 at %2 MHz"))
                         .arg(SwrCell(m.minSwr), Html(nec::Fixed(m.minSwrMHz, 3))),
                     QStringLiteral("at %1").arg(mhz(m.modelMinSwrMHz))});
        html += QStringLiteral("</table>");
        if (const auto shift = m.ShiftMHz()) {
            html += QStringLiteral("<p>The built loop resonates %1 MHz (%2 %) from the model.</p>")
                        .arg(Html(nec::Fixed(*shift, 3)), Html(nec::Fixed(*m.ShiftPercent(), 2)));
        }
        if (m.trim) {
            const auto mm = [](double value) { return Html(nec::Fixed(value, 2)); };
            const auto in = [](double value) { return Html(nec::Fixed(value / nec::kMmPerInch, 3)); };
            html += QStringLiteral("<p>Trim: HEIGHT, SIDE and GAP times <b>%1</b> bring the built loop to "
                                   "resonance at the design frequency.</p>")
                        .arg(Html(nec::Fixed(m.trim->scale, 5)));
            html += kTable;
            html += Row({QString(), QStringLiteral("HEIGHT"), QStringLiteral("SIDE"), QStringLiteral("GAP")}, true);
            html += Row({QStringLiteral("mm"), mm(m.trim->heightMm), mm(m.trim->sideMm), mm(m.trim->gapMm)});
            html += Row({QStringLiteral("in"), in(m.trim->heightMm), in(m.trim->sideMm), in(m.trim->gapMm)});
            html += QStringLiteral("</table>");
            if (m.assumesDesignLengths) {
                html += QStringLiteral("<p>The trim assumes the loop was cut to the design's lengths; a loop cut "
                                       "otherwise needs its own lengths scaled by the same factor.</p>");
            }
        }
        for (const std::string& note : m.notes) html += QStringLiteral("<p>Note: %1</p>").arg(Html(note));
    }

    html += Heading(QStringLiteral("Sanity checks"));
    html += kTable;
    for (const nec::SanityCheck& c : r.sanity) {
        const Verdict verdict = Judged(c.verdict);
        html += Row({QStringLiteral("<b><font color=\"%1\">%2</font></b>")
                         .arg(QLatin1String(verdict.colour), QLatin1String(verdict.word)),
                     Html(c.name), Html(c.detail)});
    }
    html += QStringLiteral("</table>");
    for (const std::string& note : r.notes) html += QStringLiteral("<p>Note: %1</p>").arg(Html(note));
    for (nec::Advice advice : r.advice) html += QStringLiteral("<p>Note: %1</p>").arg(Html(AdviceWords(advice)));

    html += QStringLiteral("<p>Modelled by nec2c in %1, %2 segments, swept from %3 to %4 MHz in %5 "
                           "steps.</p>")
                .arg(Html(nec::GroundName(model.placement.ground)))
                .arg(model.TotalSegments())
                .arg(Html(nec::Fixed(check.plan.sweep.fromMHz, 2)),
                     Html(nec::Fixed(check.plan.sweep.ToMHz(), 2)))
                .arg(check.plan.sweep.points - 1);
    return html;
}

sheet::ModelFigures SheetFigures(const nec::ModelCheck& check) {
    const nec::CheckReport& r = check.report;
    const nec::SweepPoint& d = r.atDesign;
    const auto text = [](const std::string& s) { return QString::fromStdString(s); };
    const auto swr = [](double value) { return QString::fromStdString(nec::SwrText(value)); };
    sheet::ModelFigures figures;
    figures.heading = QStringLiteral("NEC-2 model (nec2c, %1, %2 segments), at %3 MHz")
                          .arg(text(nec::GroundName(check.plan.model.placement.ground)))
                          .arg(check.plan.model.TotalSegments())
                          .arg(text(nec::Shortest(d.mhz)));
    figures.rows.emplace_back(QStringLiteral("Where the lines join"),
                              text(nec::ImpedanceText(d.lines, 2, " +j", " \u2212j")) + QStringLiteral(" \u03a9"));
    figures.rows.emplace_back(QStringLiteral("SWR on 50 / 200 (4:1) / 300 \u03a9"),
                              swr(d.swrLines50) + QStringLiteral(" / ") + swr(d.swrLines200) +
                                  QStringLiteral(" / ") + swr(d.swrLines300));
    QStringList resonances;
    for (double mhz : r.resonancesMHz) resonances << text(nec::Fixed(mhz, 2)) + QStringLiteral(" MHz");
    figures.rows.emplace_back(QStringLiteral("Gap resonance"),
                              resonances.isEmpty() ? QStringLiteral("none in the sweep")
                                                   : resonances.join(QStringLiteral(", ")));
    if (r.tuned) {
        const nec::TunedDesign& t = *r.tuned;
        const auto size = [&](double mm) {
            return text(nec::Fixed(mm, 2)) + QStringLiteral(" mm (") +
                   text(nec::Fixed(mm / nec::kMmPerInch, 3)) + QStringLiteral(" in)");
        };
        figures.rows.emplace_back(QStringLiteral("Tuned, times %1").arg(text(nec::Fixed(t.scale, 5))),
                                  QStringLiteral("HEIGHT ") + size(t.heightMm) + QStringLiteral(", SIDE ") +
                                      size(t.sideMm) + QStringLiteral(", GAP ") + size(t.gapMm));
    }
    // The plot draws from its own copy: the window may run again meanwhile.
    figures.drawPlot = [check](QPainter& painter, const QRectF& area) {
        // At the plot's own size, scaled to fit: on a printer's page the
        // plot's text keeps its size to the curves, as on the screen.
        const QSizeF size(plot::kSweepPlotSize);
        const double scale = std::min(area.width() / size.width(), area.height() / size.height());
        painter.save();
        painter.translate(area.topLeft());
        painter.scale(scale, scale);
        plot::DrawSweepPlot(painter, QRectF(QPointF(0, 0), size), check);
        painter.restore();
    };
    return figures;
}

}  // namespace corvanta::ui
