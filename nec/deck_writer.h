#pragma once

#include <string>
#include <vector>

#include "nec/loop_model.h"
#include "nec/output_reader.h"

// NEC-2 decks of a loop model that every NEC-2 program reads: plain numbers,
// no symbolic cards, no line over 80 columns. The geometry is written in
// millimetres under a GS card, one cell (a vertical with the top and bottom
// edges to the next corner) copied round the axis by GR.

namespace corvanta::nec {

inline constexpr std::size_t kDeckColumns = 80;

// Frequencies from + i * step, i = 0 .. points - 1, in MHz.
struct Sweep {
    double fromMHz = 0;
    double stepMHz = 0;
    int points = 1;

    double At(int i) const { return fromMHz + i * stepMHz; }
    double ToMHz() const { return At(points - 1); }
};

// The radiation pattern's grid: the whole sphere in free space, the upper
// half over ground.
struct PatternGrid {
    double elevationStepDeg = 1;
    double azimuthStepDeg = 5;
};

// What one run of the engine computes: points [first, first + count) of the
// sweep, then, if asked, the pattern at the design frequency.
struct DeckContents {
    int first = 0;
    int count = 0;
    bool pattern = false;
    // The pattern only over the azimuths PatternSectorPhis counts, where the
    // loop's symmetry makes the rest copies of them (UnfoldedPattern).
    bool patternSector = false;
};

std::string WriteDeck(const LoopModel& model, const Sweep& sweep, const PatternGrid& grid,
                      const DeckContents& contents);

// The model at each of `mhz` in turn, one frequency card and one run of the
// engine's solution each: rows of a sweep that are not evenly spaced.
std::string WriteDeckAt(const LoopModel& model, const std::vector<double>& mhz, const PatternGrid& grid);

// Pattern rows over the grid: elevations and azimuths.
int PatternThetas(const LoopModel& model, const PatternGrid& grid);
int PatternPhis(const PatternGrid& grid);

// A regular prism fed alike at every vertical looks the same turned by
// 360 / sides and mirrored in the plane through a vertical, so its pattern
// over azimuths 0 to 180 / sides holds every other azimuth's: the azimuths
// of the grid in that sector, where the grid's step divides it; else all of
// them (PatternPhis).
int PatternSectorPhis(const LoopModel& model, const PatternGrid& grid);

// The whole grid's pattern, phi the outer loop as the engine writes it,
// from the sector's: every azimuth a copy of the one it folds onto.
std::vector<PatternPoint> UnfoldedPattern(const LoopModel& model, const PatternGrid& grid,
                                          const std::vector<PatternPoint>& sector);

}  // namespace corvanta::nec
