#include "ui/feed_figures.h"

#include <QStringList>
#include <string>

#include "nec/feed_report.h"
#include "nec/report.h"
#include "nec/number_text.h"
#include "nec/quantity_text.h"
#include "sheet/sheet_figures.h"

namespace corvanta::ui {

using sheet::ArrangementWords;
using sheet::ComponentWords;
using sheet::Typeset;
using sheet::WordsOf;

namespace {

QString Html(const std::string& text) { return Typeset(text).toHtmlEscaped(); }

QString Row(const QString& figure, const QString& value) {
    return QStringLiteral("<tr><td align=\"left\">%1</td><td align=\"left\">%2</td></tr>").arg(figure, value);
}

QString Heading(const QString& text) { return QStringLiteral("<h3>") + text + QStringLiteral("</h3>"); }

const QString kTable = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");

QString OptionalSwr(const std::optional<double>& swr) {
    return swr ? Html(nec::SwrText(*swr)) : QStringLiteral("outside the sweep");
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

}  // namespace corvanta::ui
