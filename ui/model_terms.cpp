#include "ui/model_terms.h"

#include <QRegularExpression>

namespace corvanta::ui {

const std::vector<ModelTerm>& ModelTerms() {
    static const std::vector<ModelTerm> terms = {
        {QStringLiteral("gaps in parallel"),
         QStringLiteral("Gaps in parallel: the impedance of every gap of the loop taken together, as resistors in "
                        "parallel add, at the gaps themselves, before the lines. It shows the loop alone; the lines "
                        "change it on their way to the lines' junction, so an analyser does not read it there.")},
        {QStringLiteral("one gap"),
         QStringLiteral("One gap: the impedance the engine reports at a single gap of the loop, with the other gaps "
                        "fed as they are. It is what one line sees at its gap end.")},
        {QStringLiteral("lines' junction"),
         QStringLiteral("The lines' junction: the point where the lines from the gaps are joined together. "
                        "That is where you measure the loop and where a balun or the feeder is connected.")},
        {QStringLiteral("radio end"),
         QStringLiteral("The radio end: what the radio sees at the far end of the feed as you build it, through "
                        "the balun and the feeder, on the radio's reference. With a feed to the radio it is the "
                        "figure the verdict reads.")},
        {QStringLiteral("through the match"),
         QStringLiteral("Through the match: what the radio sees with the L network between it and the radio end, "
                        "on the match's reference.")},
        {QStringLiteral("balun"),
         QStringLiteral("A transformer between the balanced loop and an unbalanced coaxial feeder. A 4:1 balun "
                        "turns 200 \u03a9 at the junction into 50 \u03a9 for the radio.")},
        {QStringLiteral("convergence"),
         QStringLiteral("The engine divides every wire into segments. The convergence check models the loop "
                        "again with more segments: when the impedance and the resonance hardly move, the "
                        "segments were fine enough to trust the figures.")},
        {QStringLiteral("average gain"),
         QStringLiteral("The power radiated over the whole sphere compared with the power fed in. A lossless "
                        "loop in free space gives 1 (0 dB); far from 1 means the model is not to be trusted.")},
        {QStringLiteral("velocity factor"),
         QStringLiteral("How fast a wave travels along a line compared with free space. It makes a line "
                        "electrically longer than it is: a line of velocity factor 0.66 is cut to 0.66 of the "
                        "free-space length.")},
    };
    return terms;
}

const std::vector<ModelTerm>& ControlTerms() {
    static const std::vector<ModelTerm> terms = {
        {QStringLiteral("gaps"),
         QStringLiteral("The gaps: the breaks in the loop's verticals where it is fed, one in each, GAP wide. A line "
                        "runs from each gap to the lines' junction.")},
        {QStringLiteral("feeder"),
         QStringLiteral("The feeder: the coax or line from the balun to the radio, given by its impedance, velocity "
                        "factor, length and matched loss per 100 m at the design frequency. Length 0 is no "
                        "feeder.")},
        {QStringLiteral("port"),
         QStringLiteral("The port: where a loaded measurement was taken and where Save Touchstone writes the model, "
                        "the lines' junction or the radio end.")},
        {QStringLiteral("band"),
         QStringLiteral("The band: the amateur band the figures read the SWR over, by default the one that holds "
                        "the design frequency.")},
        {QStringLiteral("L network match"),
         QStringLiteral("The L network match: a coil and a capacitor that bring the radio end to SWR 1:1 at the "
                        "design frequency; the figures give each part's place, kind and value.")},
        {QStringLiteral("Smith chart"),
         QStringLiteral("The Smith chart: the impedance over the sweep drawn on the reflection's circle; its centre "
                        "is a perfect match, the circles around it are SWR 2:1 and 3:1.")},
        {QStringLiteral("return loss"),
         QStringLiteral("Return loss: how much weaker the reflected wave is than the one sent, in dB; 9.5 dB is SWR "
                        "2:1, and more is better.")},
        {QStringLiteral("uncertainty"),
         QStringLiteral("The model's uncertainty: how far the resonance may be from the engine's figure, found by "
                        "modelling the loop with finer and finer segments. Cut no closer than that.")},
        {QStringLiteral("fit"),
         QStringLiteral("The fit: the measurement is matched to the model with the loop's size and the lines' "
                        "velocity factor free. Its residual says how well; each trim comes with its span, how far it "
                        "moves for the velocity factor \u00b10.02.")},
        {QStringLiteral("lengths as cut"),
         QStringLiteral("The lengths as cut: the HEIGHT, SIDE and GAP the measured loop was actually cut to, in "
                        "millimetres. The trim scales these, not the design's lengths.")},
        {QStringLiteral("build record"),
         QStringLiteral("The build record: one .corvanta file that keeps the design, the feed, the lengths as cut "
                        "and every measurement, to open again another day.")},
    };
    return terms;
}

QString TermExplanationOf(const QString& phrase) {
    for (const auto* table : {&ModelTerms(), &ControlTerms()}) {
        for (const ModelTerm& term : *table) {
            if (term.phrase.compare(phrase, Qt::CaseInsensitive) == 0) return term.explanation;
        }
    }
    return {};
}

QString TermsGlossaryHtml() {
    QString html;
    for (const auto* table : {&ModelTerms(), &ControlTerms()}) {
        for (const ModelTerm& term : *table) {
            html += QStringLiteral("<p><b>%1</b>: %2</p>")
                        .arg(term.phrase.toHtmlEscaped(), term.explanation.toHtmlEscaped());
        }
    }
    return html;
}

QString WithTermLinks(const QString& html) {
    QString out = html;
    const auto& terms = ModelTerms();
    for (std::size_t i = 0; i < terms.size(); ++i) {
        // The text between tags, never inside one or inside a link already.
        const QRegularExpression pattern(
            QStringLiteral("(>[^<]*?)\\b(%1)\\b").arg(QRegularExpression::escape(terms[i].phrase)),
            QRegularExpression::CaseInsensitiveOption);
        QRegularExpressionMatchIterator it = pattern.globalMatch(out);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            const qsizetype start = match.capturedStart(2);
            const qsizetype opened = out.lastIndexOf(QLatin1String("<a "), start);
            if (opened >= 0 && out.lastIndexOf(QLatin1String("</a>"), start) < opened) continue;
            const QString link = QStringLiteral("<a href=\"term:%1\" title=\"%2\">%3</a>")
                                     .arg(i)
                                     .arg(terms[i].explanation.toHtmlEscaped(), match.captured(2));
            out.replace(start, match.capturedLength(2), link);
            break;
        }
    }
    return out;
}

QString TermExplanation(const QString& link) {
    if (!link.startsWith(QLatin1String("term:"))) return {};
    bool ok = false;
    const int index = link.mid(5).toInt(&ok);
    const auto& terms = ModelTerms();
    if (!ok || index < 0 || index >= static_cast<int>(terms.size())) return {};
    return terms[static_cast<std::size_t>(index)].explanation;
}

}  // namespace corvanta::ui
