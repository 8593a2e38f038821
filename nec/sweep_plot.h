#pragma once

#include <string>

#include "nec/model_check.h"

namespace corvanta::nec {

// SWR against 300 and 50 ohm and the parallel R and X against frequency,
// with the design frequency marked, as SVG.
std::string PlotSvg(const ModelCheck& check);

}  // namespace corvanta::nec
