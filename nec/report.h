#pragma once

#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "nec/headline.h"
#include "nec/model_check.h"

// The model check as a reader sees it: text for a terminal, JSON for
// scripts, and the headline the window, the plots and the build sheet open
// with.

namespace corvanta::nec {

// How a front end words an advice, with its own names for the controls;
// the value is what to give, for an advice that has one.
using AdviceWords = std::function<std::string(Advice, double value)>;

// The verdict the report, the window and the sheet open with, a line each:
// where the model resonates, which lengths to cut, the feed that suits
// them, and what to do about it.
std::vector<std::string> HeadlineLines(const ModelCheck& check, const AdviceWords& advise, Medium medium);

// The report's advice follows its notes, in the words of `advise`.
std::string ReportText(const ModelCheck& check, const AdviceWords& advise);
std::string ReportJson(const ModelCheck& check, const AdviceWords& advise);

}  // namespace corvanta::nec
