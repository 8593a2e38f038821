#include "ui/feed_figures.h"

#include <QStringList>
#include <string>

#include "nec/feed_report.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"

namespace corvanta::ui {

namespace {

// The report's plain words as a window sets them: "ohm" as "Ω".
QString Typeset(const std::string& text) {
    QString typeset = QString::fromStdString(text);
    typeset.replace(QStringLiteral(" ohm"), QStringLiteral(" \u03a9"));
    typeset.replace(QStringLiteral("+/-"), QStringLiteral("\u00b1"));
    return typeset;
}

QString Html(const std::string& text) { return Typeset(text).toHtmlEscaped(); }

QString Row(const QString& figure, const QString& value) {
    return QStringLiteral("<tr><td align=\"left\">%1</td><td align=\"left\">%2</td></tr>").arg(figure, value);
}

QString Heading(const QString& text) { return QStringLiteral("<h3>") + text + QStringLiteral("</h3>"); }

const QString kTable = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");

QString OptionalSwr(const std::optional<double>& swr) {
    return swr ? Html(nec::SwrText(*swr)) : QStringLiteral("outside the sweep");
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

// "series L 120.5 nH": position, kind, value and unit, one a component.
struct ComponentWords {
    QString position, kind, value, unit;
};

ComponentWords WordsOf(const nec::MatchComponent& c) {
    return {c.position == nec::MatchComponent::Position::Series ? QStringLiteral("series") : QStringLiteral("shunt"),
            c.inductor ? QStringLiteral("L") : QStringLiteral("C"),
            QString::fromStdString(nec::Trimmed(c.value, c.inductor ? 1 : 2)),
            c.inductor ? QStringLiteral("nH") : QStringLiteral("pF")};
}

QString RadioHtml(const nec::ModelCheck& check) {
    const nec::RadioEndReading& r = *check.feed.radio;
    QString html = Heading(QStringLiteral("Feed to the radio"));
    html += QStringLiteral("<p>%1</p>").arg(Html(nec::ChainText(*check.plan.feed.chain)));
    html += kTable;
    html += Row(QStringLiteral("<b>Radio end</b>"),
                QStringLiteral("<b>%1; SWR %2 on %3 \u03a9</b>")
                    .arg(Html(nec::ImpedanceWords(r.atDesign, nec::Medium::Typeset)), Html(nec::SwrText(r.swrAtDesign)),
                         Html(nec::Trimmed(r.referenceOhm, 3))));
    if (r.swrFeederAntennaEnd) {
        html += Row(QStringLiteral("SWR on the feeder at its antenna end"), Html(nec::SwrText(*r.swrFeederAntennaEnd)));
        html += Row(QStringLiteral("Feed loss"), Html(nec::Fixed(r.feedLossDb, 2) + " dB"));
    }
    html += Row(QStringLiteral("Radio end under 2:1"), Html(nec::RangesText(r.under2)));
    html += Row(QStringLiteral("Radio end under 1.5:1"), Html(nec::RangesText(r.under15)));
    return html + QStringLiteral("</table>");
}

QString BandHtml(const nec::BandReading& b) {
    QString html = Heading(QStringLiteral("Band %1, %2 to %3 MHz")
                               .arg(b.band.name.empty() ? QStringLiteral("of your own") : Html(b.band.name),
                                    Html(nec::MhzText(b.band.fromMHz)), Html(nec::MhzText(b.band.toMHz))));
    html += QStringLiteral("<p>Read on the %1.</p>").arg(Html(b.reading));
    html += kTable;
    html += Row(QStringLiteral("SWR at the low edge"), OptionalSwr(b.swrFrom));
    html += Row(QStringLiteral("SWR at the high edge"), OptionalSwr(b.swrTo));
    if (b.swrMax) html += Row(QStringLiteral("SWR at most"), OptionalSwr(b.swrMax));
    html += Row(QStringLiteral("Under 2:1"), Html(nec::RangesText(b.under2)));
    html += Row(QStringLiteral("Under 1.5:1"), Html(nec::RangesText(b.under15)));
    return html + QStringLiteral("</table>");
}

QString MatchHtml(const nec::FeedReport& feed) {
    const nec::Match& m = *feed.match;
    QString html = Heading(QStringLiteral("Match at the %1").arg(Html(feed.matchedOn)));
    html += QStringLiteral("<p>L network, %1, from the antenna side.</p>").arg(ArrangementWords(m.arrangement));
    if (m.components.empty()) {
        html += QStringLiteral("<p>None needed: the SWR is within %1 already.</p>")
                    .arg(Html(nec::Trimmed(nec::kNoMatchSwr, 2)));
    } else {
        html += kTable;
        html += QStringLiteral(
            "<tr><th align=\"left\">Position</th><th align=\"left\">Kind</th>"
            "<th align=\"right\">Value</th><th align=\"left\">Unit</th></tr>");
        for (const nec::MatchComponent& c : m.components) {
            const ComponentWords words = WordsOf(c);
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td align=\"right\"><b>%3</b></td><td>%4</td></tr>")
                        .arg(words.position, words.kind, words.value.toHtmlEscaped(), words.unit);
        }
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("<p>Matched SWR under 2:1: %1.</p>").arg(Html(nec::MatchRangeText(m)));
    return html;
}

}  // namespace

QString FeedHtml(const nec::ModelCheck& check) {
    const nec::FeedReport& feed = check.feed;
    QString html;
    if (feed.radio && check.plan.feed.chain) html += RadioHtml(check);
    if (feed.match) html += MatchHtml(feed);
    if (const std::string spans = nec::SpansText(feed); !spans.empty()) {
        html += QStringLiteral("<p><b>Note:</b> %1.</p>").arg(Html(spans));
    }
    if (feed.band) html += BandHtml(*feed.band);
    return html;
}

void AddFeedRows(sheet::ModelFigures& figures, const nec::ModelCheck& check) {
    // Short: the sheet's model block shares its page with the plot.
    const nec::FeedReport& feed = check.feed;
    if (feed.radio && check.plan.feed.chain) {
        const nec::RadioEndReading& r = *feed.radio;
        const nec::FeedChain& chain = *check.plan.feed.chain;
        QString through = QString::fromStdString(nec::Trimmed(chain.balunRatio, 3)) + QStringLiteral(":1 balun");
        if (chain.feeder) {
            through +=
                QStringLiteral(", %1 m feeder").arg(QString::fromStdString(nec::Trimmed(chain.feeder->lengthM, 3)));
        }
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

}  // namespace corvanta::ui
