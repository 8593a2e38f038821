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

const std::vector<ModelTerm>& ModelTerms();

// Every term and its explanation, as rich text: the figures' What's This.
QString TermsGlossaryHtml();

// `html` with the first mention of each term, outside tags and links, made
// a link to "term:<index>", whose title is the explanation.
QString WithTermLinks(const QString& html);

// The explanation a "term:<index>" link stands for; empty for any other.
QString TermExplanation(const QString& link);

}  // namespace corvanta::ui
