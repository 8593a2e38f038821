#pragma once

#include <string>

#include "nec/model_check.h"

// The model check as a reader sees it: text for a terminal, JSON for
// scripts.

namespace corvanta::nec {

std::string GroundName(Ground ground);

std::string ReportText(const ModelCheck& check);
std::string ReportJson(const ModelCheck& check);

}  // namespace corvanta::nec
