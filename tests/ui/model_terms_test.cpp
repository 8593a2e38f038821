#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include "ui/model_terms.h"

// The figures' tooltips: each reading's says what that reading is, at its
// own point, and no two readings share one.

namespace corvanta::ui {

namespace {

QString ExplanationOf(const QString& phrase) {
    for (const ModelTerm& term : ModelTerms()) {
        if (term.phrase == phrase) return term.explanation;
    }
    return {};
}

}  // namespace

class ModelTermsTest : public QObject {
    Q_OBJECT

private slots:
    void eachReadingNamesItsPoint_data() {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QString>("says");  // what the point is, in its words
        QTest::newRow("gaps in parallel") << QStringLiteral("gaps in parallel") << QStringLiteral("at the gaps");
        QTest::newRow("one gap") << QStringLiteral("one gap") << QStringLiteral("single gap");
        QTest::newRow("lines' junction") << QStringLiteral("lines' junction") << QStringLiteral("are joined");
        QTest::newRow("radio end") << QStringLiteral("radio end") << QStringLiteral("what the radio sees");
        QTest::newRow("through the match") << QStringLiteral("through the match") << QStringLiteral("L network");
    }
    void eachReadingNamesItsPoint() {
        QFETCH(QString, phrase);
        QFETCH(QString, says);
        const QString explanation = ExplanationOf(phrase);
        QVERIFY2(!explanation.isEmpty(), qPrintable(phrase));
        // The tooltip opens with the reading it explains, then says where
        // that reading is taken.
        QVERIFY2(explanation.startsWith(phrase, Qt::CaseInsensitive) ||
                     explanation.startsWith(QStringLiteral("The ") + phrase, Qt::CaseInsensitive),
                 qPrintable(explanation));
        QVERIFY2(explanation.contains(says, Qt::CaseInsensitive), qPrintable(explanation));
    }

    void noTwoTermsShareAnExplanation() {
        QSet<QString> seen;
        for (const ModelTerm& term : ModelTerms()) {
            QVERIFY2(!seen.contains(term.explanation), qPrintable(term.phrase));
            seen.insert(term.explanation);
        }
    }

    // As the figures show them: the tooltip on each reading's name is its
    // own, not the next reading's.
    void figuresLinkEachReadingToItsOwnWords() {
        const QString html =
            WithTermLinks(QStringLiteral("<table><tr><td>Lines' junction</td></tr><tr><td>Gaps in parallel</td></tr>"
                                         "<tr><td>One gap</td></tr><tr><td>Radio end</td></tr></table>"));
        const QRegularExpression link(QStringLiteral("<a href=\"(term:\\d+)\" title=\"[^\"]*\">([^<]*)</a>"));
        QSet<QString> said;
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString explanation = TermExplanation(m.captured(1));
            QCOMPARE(explanation, ExplanationOf(m.captured(2).toLower()));
            said.insert(explanation);
            ++links;
        }
        QCOMPARE(links, 4);
        QCOMPARE(said.size(), 4);
    }
};

}  // namespace corvanta::ui

QTEST_MAIN(corvanta::ui::ModelTermsTest)
#include "model_terms_test.moc"
