#include "sheet/sheet_figures.h"

#include <QDateTime>
#include <QStringList>
#include <optional>

#include "nec/feed_report.h"
#include "nec/headline.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "plot/loop_view.h"
#include "plot/plot_style.h"
#include "plot/sweep_plot.h"

namespace corvanta::sheet {

namespace {

QString Words(const std::string& text) { return QString::fromStdString(text); }

// The radio end and the match, short: the model block shares its page
// with the plot.
void AddFeedRows(ModelFigures& figures, const nec::ModelCheck& check) {
    const nec::FeedReport& feed = check.feed;
    if (feed.radio && check.plan.feed.chain) {
        const nec::RadioEndReading& r = *feed.radio;
        const nec::FeedChain& chain = *check.plan.feed.chain;
        QString through = Words(nec::Trimmed(chain.balunRatio, 3)) + QStringLiteral(":1 balun");
        if (chain.feeder) through += QStringLiteral(", %1 m feeder").arg(Words(nec::Trimmed(chain.feeder->lengthM, 3)));
        figures.rows.emplace_back(
            QStringLiteral("Radio end (%1)").arg(through),
            Typeset(nec::ImpedanceWords(r.atDesign, nec::Medium::Typeset) + ", SWR " + nec::SwrText(r.swrAtDesign)));
    }
    if (feed.match) {
        const nec::Match& m = *feed.match;
        QStringList parts;
        for (const nec::MatchComponent& c : m.components) {
            const ComponentWords words = WordsOf(c);
            parts << QStringLiteral("%1 %2 %3 %4").arg(words.position, words.kind, words.value, words.unit);
        }
        const QString components =
            parts.isEmpty() ? QStringLiteral("none needed") : parts.join(QStringLiteral(", then "));
        figures.rows.emplace_back(
            QStringLiteral("Match, %1, from the antenna side").arg(ArrangementWords(m.arrangement)),
            components + QStringLiteral("; under 2:1 ") + Typeset(nec::MatchRangeText(m)));
    }
}

// "HEIGHT 709.60 mm, SIDE 263.50 mm, GAP 9.55 mm".
QString LengthsWords(const nec::ScaledDesign& lengths) {
    return QStringLiteral("HEIGHT %1 mm, SIDE %2 mm, GAP %3 mm")
        .arg(Words(nec::MmText(lengths.heightMm)), Words(nec::MmText(lengths.sideMm)),
             Words(nec::MmText(lengths.gapMm)));
}

// The measurement the trim comes from: the lengths it was cut to, where it
// resonates against the model, and how well the model fits it.
MeasuredFigures MeasuredBlock(const nec::Measurement& m, const QString& measuredOn) {
    const auto mhz = [](const std::optional<double>& value) {
        return value ? Words(nec::MhzText(*value)) + QStringLiteral(" MHz") : QStringLiteral("none");
    };
    MeasuredFigures block{Words(m.source), measuredOn, {}};
    block.rows.emplace_back(QStringLiteral("Lengths as cut"),
                            m.assumesDesignLengths
                                ? QStringLiteral("not given: the design's assumed, %1").arg(LengthsWords(m.built))
                                : LengthsWords(m.built));
    QString resonance = QStringLiteral("%1, the model's %2").arg(mhz(m.resonanceMHz), mhz(m.modelResonanceMHz));
    if (const auto shift = m.ShiftMHz()) {
        resonance += QStringLiteral(": shifted %1 MHz (%2 %)")
                         .arg(Words(nec::Fixed(*shift, 3)), Words(nec::Fixed(*m.ShiftPercent(), 2)));
    }
    block.rows.emplace_back(QStringLiteral("Gap resonance"),
                            m.refused ? QStringLiteral("none: the measurement was refused") : resonance);
    block.rows.emplace_back(
        QStringLiteral("Fit"),
        m.fit ? QStringLiteral("the loop as the model's at %1 times its size, the lines' velocity factor %2; the "
                               "curves still differ by %3 % (RMS of |S11|)")
                    .arg(Words(nec::ScaleText(m.fit->scale)), Words(nec::Fixed(m.fit->velocityFactor, 3)),
                         Words(nec::Fixed(m.fit->residualPercent, 2)))
              : QStringLiteral("none: too few measured points overlap the model's sweep"));
    for (const std::string& note : m.notes) block.rows.emplace_back(QStringLiteral("Note"), Typeset(note));
    return block;
}

}  // namespace

QString MeasuredOnWords(const std::string& iso) {
    const QString text = Words(iso);
    const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid()) return text;
    return when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral(" UTC");
}

QString PlacementWords(const nec::Placement& placement) {
    QString words = Words(nec::GroundName(placement.ground));
    if (placement.ground != nec::Ground::Free) {
        words += QStringLiteral(", the loop's centre %1 m above it").arg(Words(nec::Shortest(placement.heightM)));
    }
    return words;
}

QString ResonanceWords(const std::vector<double>& resonancesMHz) {
    QStringList parts;
    for (double mhz : resonancesMHz) parts << Words(nec::MhzText(mhz)) + QStringLiteral(" MHz");
    return parts.isEmpty() ? QStringLiteral("none in the sweep") : parts.join(QStringLiteral(", "));
}

QString UncertaintyWords(const nec::CheckReport& report) {
    if (!report.resonanceUncertaintyPercent) return {};
    return QStringLiteral(" (the model\u2019s uncertainty %1 %)")
        .arg(Words(nec::Fixed(*report.resonanceUncertaintyPercent, 2)));
}

QString SkyWords(const nec::ModelCheck& check) {
    if (check.plan.model.placement.ground != nec::Ground::Average) return {};
    return QStringLiteral(
               "; %1 % reaches the sky and %2 % goes into the ground, as heat or as the surface wave along it")
        .arg(Words(nec::Fixed(check.report.skyPercent, 2)), Words(nec::Fixed(check.report.groundLossPercent, 2)));
}

QString Capitalised(const std::string& text) {
    QString capitalised = Words(text);
    if (!capitalised.isEmpty()) capitalised[0] = capitalised[0].toUpper();
    return capitalised;
}

QString Typeset(const std::string& text) {
    QString typeset = Words(text);
    typeset.replace(QStringLiteral(" ohm"), QStringLiteral(" \u03a9"));
    typeset.replace(QStringLiteral("+/-"), QStringLiteral("\u00b1"));
    return typeset;
}

QString ArrangementWords(nec::Match::Arrangement arrangement) {
    switch (arrangement) {
        case nec::Match::Arrangement::None:
            return QStringLiteral("none");
        case nec::Match::Arrangement::SeriesFirst:
            return QStringLiteral("series-first");
        case nec::Match::Arrangement::ShuntFirst:
            return QStringLiteral("shunt-first");
    }
    return {};
}

ComponentWords WordsOf(const nec::MatchComponent& c) {
    return {c.position == nec::MatchComponent::Position::Series ? QStringLiteral("series") : QStringLiteral("shunt"),
            c.inductor ? QStringLiteral("L") : QStringLiteral("C"), Words(nec::Trimmed(c.value, c.inductor ? 1 : 2)),
            c.inductor ? QStringLiteral("nH") : QStringLiteral("pF")};
}

ModelFigures SheetFigures(const nec::ModelCheck& check, const nec::AdviceWords& advise, const QString& measuredOn) {
    const nec::CheckReport& r = check.report;
    const nec::SweepPoint& d = r.atDesign;
    ModelFigures figures;
    figures.heading = QStringLiteral("NEC-2 model (nec2c, %1, %2 segments), at %3 MHz")
                          .arg(PlacementWords(check.plan.model.placement))
                          .arg(check.plan.model.TotalSegments())
                          .arg(Words(nec::Shortest(d.mhz)));
    QStringList references, swrs;
    for (std::size_t i : nec::ReadingsAt(nec::FeedPoint::Junction)) {
        references << Words(nec::ReferenceText(nec::kReadings[i], nec::Medium::Typeset));
        swrs << Words(nec::SwrText(d.swr[i]));
    }
    const std::vector<std::string> verdict = nec::HeadlineLines(check, advise, nec::Medium::Typeset);
    for (std::size_t i = 0; i < verdict.size(); ++i) {
        figures.rows.emplace_back(i == 0 ? QStringLiteral("Verdict") : QString(), Capitalised(verdict[i]));
    }
    figures.rows.emplace_back(Capitalised(std::string(nec::InfoOf(nec::FeedPoint::Junction).name)),
                              Words(nec::ImpedanceWords(d.lines, nec::Medium::Typeset)));
    figures.rows.emplace_back(QStringLiteral("SWR on ") + references.join(QStringLiteral(" / ")),
                              swrs.join(QStringLiteral(" / ")));
    AddFeedRows(figures, check);
    figures.rows.emplace_back(QStringLiteral("Gap resonance"), ResonanceWords(r.resonancesMHz) + UncertaintyWords(r));
    figures.rows.emplace_back(QStringLiteral("Efficiency"),
                              QStringLiteral("%1 %").arg(Words(nec::Fixed(r.efficiencyPercent, 2))) + SkyWords(check));
    if (r.tuned) {
        figures.rows.emplace_back(QStringLiteral("Tuned, times %1").arg(Words(nec::ScaleText(r.tuned->scale))),
                                  Words(nec::ScaledDesignText(*r.tuned)));
    }
    const nec::Headline headline = nec::HeadlineOf(check);
    if (headline.cut != nec::CutChoice::Design) {
        const nec::ScaledDesign& l = headline.lengths;
        // A trim scales the lengths the loop was cut to; a tune, the design's.
        const bool ofAsCut =
            headline.cut == nec::CutChoice::Trimmed && check.measured && !check.measured->assumesDesignLengths;
        figures.cut =
            CutLengths{Words(std::string(nec::CutName(headline.cut))),
                       l.scale,
                       l.heightMm,
                       l.sideMm,
                       l.gapMm,
                       ofAsCut ? QStringLiteral("the lengths as cut (%1)").arg(LengthsWords(check.measured->built))
                               : QStringLiteral("the design's")};
    }
    if (check.measured) figures.measured = MeasuredBlock(*check.measured, measuredOn);
    // The plot draws from its own copy: the window may run again meanwhile.
    figures.drawPlot = [check](QPainter& painter, const QRectF& area) {
        // Laid out to the room on the page, at a scale that draws its
        // smallest text kPlotSmallestTextMm high: the sheet is in tenths of
        // a millimetre.
        const double scale = kPlotSmallestTextMm * 10 / plot::style::kSmallPx;
        painter.save();
        painter.translate(area.topLeft());
        painter.scale(scale, scale);
        plot::DrawSweepPlot(painter, QRectF(QPointF(0, 0), area.size() / scale), check);
        painter.restore();
    };
    figures.drawView = [check](QPainter& painter, const QRectF& area) {
        const double scale = kPlotSmallestTextMm * 10 / plot::style::kSmallPx;
        painter.save();
        painter.translate(area.topLeft());
        painter.scale(scale, scale);
        plot::DrawLoopView(painter, QRectF(QPointF(0, 0), area.size() / scale), check);
        painter.restore();
    };
    return figures;
}

}  // namespace corvanta::sheet
