#pragma once

// The model window's terms explained: what a new user hovers over or asks
// "What's This?" about, from one table.

#include <QString>
#include <vector>

namespace corvanta::ui {

struct ModelTerm {
    QString phrase;       // as the figures write it, lower case
    QString explanation;  // a sentence or two, plain text
};

// The terms of the figures, which the figures link to their explanation.
const std::vector<ModelTerm>& ModelTerms();
// The terms of the controls and plots: the tooltips', What's This's and
// the help's words.
const std::vector<ModelTerm>& ControlTerms();
// The explanation of `phrase`, a term of either table; empty for another.
QString TermExplanationOf(const QString& phrase);

// Every term and its explanation, as rich text: the figures' What's This.
QString TermsGlossaryHtml();

// `html` with the first mention of each term, outside tags and links, made
// a link to "term:<index>", whose title is the explanation.
QString WithTermLinks(const QString& html);

// The explanation a "term:<index>" link stands for; empty for any other.
QString TermExplanation(const QString& link);

}  // namespace corvanta::ui
