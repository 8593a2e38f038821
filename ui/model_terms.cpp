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

QString TermsGlossaryHtml() {
    QString html;
    for (const ModelTerm& term : ModelTerms()) {
        html +=
            QStringLiteral("<p><b>%1</b>: %2</p>").arg(term.phrase.toHtmlEscaped(), term.explanation.toHtmlEscaped());
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
