#pragma once

#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "nec/headline.h"
#include "nec/model_check.h"

// The model check as a reader sees it: text for a terminal, JSON for
// scripts, and the words and digits of each quantity, which the window, the
// plots and the build sheet write the same way.

namespace corvanta::nec {

std::string GroundName(Ground ground);

// An impedance with its unit: "158.81 -j22.89 ohm", "158.81 −j22.89 Ω".
std::string ImpedanceWords(std::complex<double> z, Medium medium);

// Where a reading stays under 2:1: "164.34 to 203.05 MHz", open edges
// named, "none in the sweep".
std::string RangesText(const std::vector<Range>& ranges);

// A length of a scaled design: "700.10 mm (27.563 in)".
std::string LengthText(double mm);
std::string MmText(double mm);    // "700.10"
std::string InchText(double mm);  // "27.563", from millimetres

// The scale of a scaled design: "0.97475".
std::string ScaleText(double scale);

// "HEIGHT 700.10 mm (27.563 in), SIDE 259.98 mm (10.236 in), GAP 9.43 mm
// (0.371 in)".
std::string ScaledDesignText(const ScaledDesign& design);

// How a front end words an advice, with its own names for the controls.
using AdviceWords = std::function<std::string(Advice)>;

// The verdict the report, the window and the sheet open with, a line each:
// where the model resonates, which lengths to cut, the feed that suits
// them, and what to do about it.
std::vector<std::string> HeadlineLines(const ModelCheck& check, const AdviceWords& advise, Medium medium);

// The report's advice follows its notes, in the words of `advise`.
std::string ReportText(const ModelCheck& check, const AdviceWords& advise);
std::string ReportJson(const ModelCheck& check, const AdviceWords& advise);

}  // namespace corvanta::nec
