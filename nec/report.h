#pragma once

#include <functional>
#include <string>

#include "nec/model_check.h"

// The model check as a reader sees it: text for a terminal, JSON for
// scripts.

namespace corvanta::nec {

std::string GroundName(Ground ground);

// How a front end words an advice, with its own names for the controls.
using AdviceWords = std::function<std::string(Advice)>;

// The report's advice follows its notes, in the words of `advise`.
std::string ReportText(const ModelCheck& check, const AdviceWords& advise);
std::string ReportJson(const ModelCheck& check, const AdviceWords& advise);

}  // namespace corvanta::nec
