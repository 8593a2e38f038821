#pragma once

#include <QString>
#include <string>
#include <vector>

#include "nec/model_check.h"
#include "nec/report.h"
#include "sheet/build_sheet.h"

// What a model check puts on the build sheet, worded once for both front
// ends: the window's print and corvanta-cli sheet --record draw the same
// page from the same check. The few phrases the window's figures share
// with the sheet are here too, so the two never word a figure apart.

namespace corvanta::sheet {

// The check's key figures, the measurement and the lengths the verdict
// names, and its SWR plot. `advise` words the verdict's advice in the front
// end's own terms; `measuredOn` is when the measurement was taken in, where
// known (a build record keeps it), empty where not.
ModelFigures SheetFigures(const nec::ModelCheck& check, const nec::AdviceWords& advise, const QString& measuredOn = {});

// When a measurement was taken in, as the sheet writes it: "2026-12-07
// 16:30 UTC" from a build record's "2026-12-07T16:30:00Z"; a date that does
// not read as such, as it is; nothing for nothing.
QString MeasuredOnWords(const std::string& iso);

// The ground and, over one, the height of the loop's centre: "average
// ground, the loop's centre 10 m above it".
QString PlacementWords(const nec::Placement& placement);

// Where the gap reactance crosses zero: "146.2 MHz", "none in the sweep".
QString ResonanceWords(const std::vector<double>& resonancesMHz);

// " (the model’s uncertainty 0.28 %)", or nothing where it is not known.
QString UncertaintyWords(const nec::CheckReport& report);

// Over real ground, what the engine's efficiency leaves out; else nothing.
QString SkyWords(const nec::ModelCheck& check);

// A reading's name at the head of a row: its first letter in capitals.
QString Capitalised(const std::string& text);

// The report's plain words as a page sets them: "ohm" as "Ω", "+/-" as "±".
QString Typeset(const std::string& text);

// "none", "series-first", "shunt-first".
QString ArrangementWords(nec::Match::Arrangement arrangement);

// "series L 120.5 nH": position, kind, value and unit of one component.
struct ComponentWords {
    QString position, kind, value, unit;
};
ComponentWords WordsOf(const nec::MatchComponent& component);

}  // namespace corvanta::sheet
