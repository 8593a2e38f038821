#include "ui/model_figures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <optional>
#include <vector>

#include "nec/headline.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "ui/failure_words.h"
#include "sheet/sheet_figures.h"
#include "ui/feed_figures.h"

namespace corvanta::ui {

using sheet::Capitalised;
using sheet::ResonanceWords;
using sheet::SkyWords;
using sheet::UncertaintyWords;

namespace {

QString Html(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString Ohms(std::complex<double> z) { return Html(nec::ImpedanceWords(z, nec::Medium::Typeset)); }

QString SwrCell(std::optional<double> swr) {
    if (!swr) return QStringLiteral("\u2014");
    return Html(nec::SwrText(*swr));
}

struct Verdict {
    const char* word;
    const char* colour;
};

Verdict Judged(nec::Verdict verdict) {
    switch (verdict) {
        case nec::Verdict::Passed:
            return {"ok", "#1a7f37"};
        case nec::Verdict::Failed:
            return {"FAILED", "#c62828"};
        case nec::Verdict::NotApplicable:
            return {"n/a", "#555555"};
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

// HEIGHT, SIDE and GAP of a scaled design, in mm and inches.
QString ScaledDesignHtml(const nec::ScaledDesign& design) {
    QString html = kTable;
    html += Row({QString(), QStringLiteral("HEIGHT"), QStringLiteral("SIDE"), QStringLiteral("GAP")}, true);
    html += Row({QStringLiteral("mm"), Html(nec::MmText(design.heightMm)), Html(nec::MmText(design.sideMm)),
                 Html(nec::MmText(design.gapMm))});
    html += Row({QStringLiteral("in"), Html(nec::InchText(design.heightMm)), Html(nec::InchText(design.sideMm)),
                 Html(nec::InchText(design.gapMm))});
    return html + QStringLiteral("</table>");
}

// The SWR at the design frequency: a row for each feed point, a column for
// each reference (with what it goes through), a dash where the feed point
// has no reading on it.
QString ReadingsTable(const nec::SweepPoint& d) {
    std::vector<std::string> references;
    for (std::size_t i : nec::ReadingsInView()) {
        const std::string reference = nec::ReferenceText(nec::kReadings[i], nec::Medium::Typeset);
        if (std::find(references.begin(), references.end(), reference) == references.end()) {
            references.push_back(reference);
        }
    }
    QStringList heading = {QStringLiteral("Feed"), QStringLiteral("Impedance")};
    for (const std::string& reference : references) heading << QStringLiteral("SWR on ") + Html(reference);
    QString html = kTable + Row(heading, true);
    for (const nec::FeedPointInfo& feed : nec::kFeedPoints) {
        const bool built = feed.point == nec::FeedPoint::Junction;  // what a builder measures
        const auto bold = [built](const QString& text) {
            return built ? QStringLiteral("<b>") + text + QStringLiteral("</b>") : text;
        };
        QStringList cells = {bold(Capitalised(std::string(feed.name)).toHtmlEscaped()), bold(Ohms(d.At(feed.point)))};
        for (const std::string& reference : references) {
            std::optional<double> swr;
            for (std::size_t i : nec::ReadingsAt(feed.point)) {
                if (nec::ReferenceText(nec::kReadings[i], nec::Medium::Typeset) == reference) swr = d.swr[i];
            }
            cells << SwrCell(swr);
        }
        html += Row(cells);
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

QString DimensionsHtml(const Design& design) {
    const auto text = [&](Field field) { return Html(design.Text(field)); };
    const QString sides =
        design.sides == SideChoice::Four ? QStringLiteral("FOUR SIDED") : QStringLiteral("THREE SIDED");
    QString html =
        QStringLiteral("<b>%1 MHz, %2</b>, conductor %3 mm").arg(text(Field::Text2), sides, text(Field::Text8));
    html += kTable;
    html += Row({QString(), QStringLiteral("HEIGHT"), QStringLiteral("SIDE"), QStringLiteral("GAP"),
                 QStringLiteral("300 OHM SERIES MATCH")},
                true);
    html +=
        Row({QStringLiteral("mm"), text(Field::Text13), text(Field::Text17), text(Field::Text20), text(Field::Text23)});
    html +=
        Row({QStringLiteral("in"), text(Field::Text11), text(Field::Text16), text(Field::Text19), text(Field::Text22)});
    return html + QStringLiteral("</table>");
}

// The verdict the figures open with: the headline's lines, and its lengths
// to cut as a table, with what they assume.
QString HeadlineHtml(const nec::ModelCheck& check) {
    const std::vector<std::string> lines = nec::HeadlineLines(check, AdviceWords, nec::Medium::Typeset);
    QString html = Heading(QStringLiteral("Verdict"));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        html += (i == 1 ? QStringLiteral("<p><b>%1</b></p>") : QStringLiteral("<p>%1</p>"))
                    .arg(Capitalised(lines[i]).toHtmlEscaped());
    }
    const nec::Headline h = nec::HeadlineOf(check);
    html += ScaledDesignHtml(h.lengths);
    if (h.cut == nec::CutChoice::Trimmed && check.measured && check.measured->assumesDesignLengths) {
        html += QStringLiteral("<p>%1.</p>").arg(Capitalised(std::string(nec::kAssumesDesignLengths)));
    }
    return html;
}

QString FiguresHtml(const nec::ModelCheck& check) {
    const nec::CheckReport& r = check.report;
    const nec::LoopModel& model = check.plan.model;
    const nec::SweepPoint& d = r.atDesign;
    QString html = HeadlineHtml(check);

    html += Heading(QStringLiteral("At %1 MHz").arg(Html(nec::Shortest(d.mhz))));
    html += ReadingsTable(d);
    const nec::FeedLine& line = check.plan.line;
    html += QStringLiteral(
                "<p>Each gap feeds %1 mm of %2 Ω line, velocity factor %3 (lossless); "
                "the lines join at one point, balanced.</p>")
                .arg(Html(nec::Trimmed(line.lengthMm, 4)), Html(nec::Trimmed(line.impedanceOhm, 3)),
                     Html(nec::Trimmed(line.velocityFactor, 3)));
    html += FeedHtml(check);

    html += Heading(QStringLiteral("Gain"));
    html += QStringLiteral(
                "<p>Maximum gain <b>%1 dBi</b> at an elevation of %2\u00b0, azimuth "
                "%3\u00b0; efficiency %4 %%5.</p>")
                .arg(Html(nec::Fixed(r.maxGainDbi, 2)), Html(nec::Fixed(r.MaxGainElevationDeg(), 0)),
                     Html(nec::Fixed(r.maxGainPhiDeg, 0)), Html(nec::Fixed(r.efficiencyPercent, 2)),
                     SkyWords(check).toHtmlEscaped());

    html += Heading(QStringLiteral("Resonance"));
    html += QStringLiteral("<p>The gap reactance rises through zero (the loop\u2019s own resonance) at %1%2.</p>")
                .arg(ResonanceWords(r.resonancesMHz).toHtmlEscaped(), UncertaintyWords(r).toHtmlEscaped());
    if (!r.antiresonances.empty()) {
        QStringList anti;
        for (const nec::AntiResonance& a : r.antiresonances) {
            anti << QStringLiteral("%1 MHz (R %2 \u03a9)")
                        .arg(QString::fromStdString(nec::MhzText(a.mhz)),
                             QString::fromStdString(nec::Fixed(a.rOhm, 0)));
        }
        html += QStringLiteral("<p>It falls through zero, an anti-resonance, at %1.</p>")
                    .arg(anti.join(QStringLiteral(", ")).toHtmlEscaped());
    }

    html += Heading(QStringLiteral("SWR under 2:1"));
    html += kTable;
    for (std::size_t i : nec::ReadingsInView()) {
        html += Row({Capitalised(nec::ReadingLabel(nec::kReadings[i], nec::Medium::Typeset)).toHtmlEscaped(),
                     Html(nec::RangesText(r.under2[i]))});
    }
    html += QStringLiteral("</table>");

    if (r.tuned) {
        const nec::TunedDesign& t = *r.tuned;
        html += Heading(QStringLiteral("Tuned by the model"));
        html +=
            QStringLiteral(
                "<p>HEIGHT, SIDE and GAP times <b>%1</b> put the gap reactance\u2019s zero "
                "%2. The design itself stays as COMPUTE gives it.</p>")
                .arg(Html(nec::ScaleText(t.scale)),
                     t.resonanceMHz ? QStringLiteral("at %1 MHz%2")
                                          .arg(Html(nec::MhzText(*t.resonanceMHz)),
                                               t.reached ? QString()
                                                         : QStringLiteral(", not within %1 % of the design frequency")
                                                               .arg(Html(nec::Trimmed(nec::kTuneTolerance * 100, 3))))
                                    : QStringLiteral("nowhere near the design frequency"));
        html += ScaledDesignHtml(t);
        if (r.resonanceUncertaintyPercent) {
            html += QStringLiteral(
                        "<p>The tuned lengths carry the model\u2019s uncertainty of %1 %: the resonance "
                        "moves that much when the segments change.</p>")
                        .arg(Html(nec::Fixed(*r.resonanceUncertaintyPercent, 2)));
        }
    }

    if (check.measured) {
        const nec::Measurement& m = *check.measured;
        const auto mhz = [](const std::optional<double>& value) {
            return value ? Html(nec::MhzText(*value)) + QStringLiteral(" MHz") : QStringLiteral("none");
        };
        html += Heading(QStringLiteral("Measured: %1").arg(Html(m.source)));
        html += kTable;
        html += Row({QString(), QStringLiteral("Measured"), QStringLiteral("Model")}, true);
        html += Row({QStringLiteral("Gap resonance"), m.refused ? QStringLiteral("refused: none") : mhz(m.resonanceMHz),
                     mhz(m.modelResonanceMHz)});
        if (m.fitResonanceMHz) {
            html += Row({QStringLiteral("Fitted loop’s resonance"), mhz(m.fitResonanceMHz), QString()});
        }
        html += Row({QStringLiteral("Lowest SWR on %1 \u03a9").arg(Html(nec::Trimmed(m.referenceOhm, 3))),
                     (m.minSwrAtEdge ? QStringLiteral("%1 at the edge of the measurement (%2 MHz)")
                                     : QStringLiteral("%1 at %2 MHz"))
                         .arg(SwrCell(m.minSwr), Html(nec::MhzText(m.minSwrMHz))),
                     QStringLiteral("at %1").arg(mhz(m.modelMinSwrMHz))});
        html += QStringLiteral("</table>");
        if (const auto shift = m.ShiftMHz()) {
            html += QStringLiteral("<p>The built loop resonates %1 MHz (%2 %) from the model.</p>")
                        .arg(Html(nec::Fixed(*shift, 3)), Html(nec::Fixed(*m.ShiftPercent(), 2)));
        }
        if (m.trim) {
            html += QStringLiteral(
                        "<p>Trim: HEIGHT, SIDE and GAP times <b>%1</b> bring the built loop to "
                        "resonance at the design frequency.</p>")
                        .arg(Html(nec::ScaleText(m.trim->scale)));
            html += ScaledDesignHtml(*m.trim);
            if (m.assumesDesignLengths) {
                html += QStringLiteral("<p>%1.</p>").arg(Capitalised(std::string(nec::kAssumesDesignLengths)));
            }
        }
        for (const std::string& note : m.notes) html += QStringLiteral("<p>Note: %1</p>").arg(Html(note));
        if (m.linesLookOhm) {
            html += QStringLiteral("<p>Note: %1.</p>")
                        .arg(Capitalised(AdviceWords(nec::Advice::LineImpedance, *m.linesLookOhm)).toHtmlEscaped());
        }
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

    html += QStringLiteral(
                "<p>Modelled by nec2c in %1, %2 segments, swept from %3 to %4 MHz in %5 "
                "steps.</p>")
                .arg(Html(nec::GroundName(model.placement.ground)))
                .arg(model.TotalSegments())
                .arg(Html(nec::Fixed(check.plan.sweep.fromMHz, 2)), Html(nec::Fixed(check.plan.sweep.ToMHz(), 2)))
                .arg(check.plan.sweep.points - 1);
    return html;
}

sheet::ModelFigures SheetFigures(const nec::ModelCheck& check) { return sheet::SheetFigures(check, AdviceWords); }

}  // namespace corvanta::ui
