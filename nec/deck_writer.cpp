#include "nec/deck_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

// Coordinates to 7 significant digits of the largest one, so that a card
// of six coordinates fits 80 columns; anything smaller than that step is 0.
// A shared corner is written from the same double, so corners meet exactly.
class CoordinateFormat {
public:
    explicit CoordinateFormat(double largest)
        : decimals_(std::max(0, 6 - static_cast<int>(std::floor(std::log10(largest))))) {}

    std::string operator()(double value) const { return Trimmed(value, decimals_); }

private:
    int decimals_;
};

std::string Significant(double value, int digits) {
    const int magnitude = static_cast<int>(std::floor(std::log10(value)));
    return Trimmed(value, std::max(0, digits - 1 - magnitude));
}

class Deck {
public:
    void Card(std::initializer_list<std::string> fields) {
        std::string line;
        for (const std::string& field : fields) line += (line.empty() ? "" : " ") + field;
        if (line.size() > kDeckColumns) {
            throw std::logic_error("a deck line of " + std::to_string(line.size()) + " columns: " + line);
        }
        text_ += line + '\n';
    }
    void Comment(const std::string& text) { text_ += ("CM " + text).substr(0, kDeckColumns) + '\n'; }
    std::string Text() && { return std::move(text_); }

private:
    std::string text_;
};

std::string Int(int value) { return std::to_string(value); }

}  // namespace

int PatternThetas(const LoopModel& model, const PatternGrid& grid) {
    const double span = model.placement.ground == Ground::Free ? 180 : 90;
    return static_cast<int>(std::lround(span / grid.elevationStepDeg)) + 1;
}

int PatternPhis(const PatternGrid& grid) { return static_cast<int>(std::lround(360 / grid.azimuthStepDeg)) + 1; }

int PatternSectorPhis(const LoopModel& model, const PatternGrid& grid) {
    const double steps = 180.0 / model.sides / grid.azimuthStepDeg;
    const double whole = std::round(steps);
    if (whole < 1 || std::abs(steps - whole) > 1e-9 * steps) return PatternPhis(grid);
    return static_cast<int>(whole) + 1;
}

std::vector<PatternPoint> UnfoldedPattern(const LoopModel& model, const PatternGrid& grid,
                                          const std::vector<PatternPoint>& sector) {
    const auto thetas = static_cast<std::size_t>(PatternThetas(model, grid));
    const int phis = PatternPhis(grid);
    const int sectorPhis = PatternSectorPhis(model, grid);
    if (sectorPhis == phis || sector.size() != thetas * static_cast<std::size_t>(sectorPhis)) return sector;
    const int period = 2 * (sectorPhis - 1);
    std::vector<PatternPoint> whole;
    whole.reserve(thetas * static_cast<std::size_t>(phis));
    for (int j = 0; j < phis; ++j) {
        const int turned = j % period;
        const auto folded = static_cast<std::size_t>(turned < sectorPhis ? turned : period - turned);
        // The azimuth as the engine echoes it, to two decimals.
        const double phi = std::round(j * grid.azimuthStepDeg * 100) / 100;
        for (std::size_t i = 0; i < thetas; ++i) {
            PatternPoint point = sector[folded * thetas + i];
            point.phiDeg = phi;
            whole.push_back(point);
        }
    }
    return whole;
}

std::string WriteDeck(const LoopModel& m, const Sweep& sweep, const PatternGrid& grid, const DeckContents& contents) {
    Deck deck;
    for (const std::string& comment : m.comments) deck.Comment(comment);
    deck.Card({"CE"});

    // The cell: the vertical at the first corner, one wire for each run of
    // equal segments, then the top and bottom edges from it to the next
    // corner, centred on the origin.
    const double r = m.CircumradiusMm();
    const double angle = 2 * std::numbers::pi / m.sides;
    const double half = m.heightMm / 2;
    const CoordinateFormat mm(std::max(r, half));
    const std::string x0 = mm(r), y0 = "0", x1 = mm(r * std::cos(angle)), y1 = mm(r * std::sin(angle));
    const std::string top = mm(half), bottom = mm(-half);
    const std::string radius = Significant(m.radiusMm, 6);
    const std::vector<double> lengths = m.VerticalLengths();
    int tag = 0, feedTag = 0, feedAt = 0;
    double z = -half;
    std::string from = bottom;
    for (std::size_t i = 0; i < lengths.size();) {
        std::size_t j = i + 1;
        while (j < lengths.size() && std::abs(lengths[j] - lengths[i]) <= 1e-9 * lengths[i]) ++j;
        for (std::size_t k = i; k < j; ++k) z += lengths[k];
        const std::string to = j == lengths.size() ? top : mm(z);
        ++tag;
        const int first = static_cast<int>(i) + 1;
        if (m.FeedSegment() >= first && m.FeedSegment() < first + static_cast<int>(j - i)) {
            feedTag = tag;
            feedAt = m.FeedSegment() - first + 1;
        }
        deck.Card({"GW", Int(tag), Int(static_cast<int>(j - i)), x0, y0, from, x0, y0, to, radius});
        from = to;
        i = j;
    }
    deck.Card({"GW", Int(tag + 1), Int(m.edgeSegments), x0, y0, top, x1, y1, top, radius});
    deck.Card({"GW", Int(tag + 2), Int(m.edgeSegments), x0, y0, bottom, x1, y1, bottom, radius});
    const int perCell = tag + 2;
    if (m.placement.ground != Ground::Free) {
        deck.Card({"GM", "0", "0", "0", "0", "0", "0", "0", Shortest(m.placement.heightM * 1000)});
    }
    deck.Card({"GR", Int(perCell), Int(m.sides)});
    deck.Card({"GS", "0", "0", "0.001"});  // millimetres to metres
    deck.Card({"GE", m.placement.ground == Ground::Free ? "0" : "1"});
    if (m.kernel == Kernel::Extended) deck.Card({"EK", "0"});
    switch (m.placement.ground) {
        case Ground::Free:
            break;
        case Ground::Perfect:
            deck.Card({"GN", "1"});
            break;
        // Average ground: relative permittivity 13, conductivity 0.005 S/m,
        // with the Sommerfeld-Norton method.
        case Ground::Average:
            deck.Card({"GN", "2", "0", "0", "0", "13", "0.005"});
            break;
    }
    deck.Card({"LD", "5", "0", "0", "0", Shortest(kCopperConductivity)});
    // The gap's parts each take their share of the 1 V; a gap cut finer
    // than its run of equal segments is not made, so its parts share a wire.
    const std::string share = Shortest(1.0 / m.gapSegments);
    for (int copy = 0; copy < m.sides; ++copy) {
        for (int s = 0; s < m.gapSegments; ++s) {
            deck.Card({"EX", "0", Int(feedTag + perCell * copy), Int(feedAt + s), "0", share, "0"});
        }
    }
    deck.Card({"PT", "-1", "0", "0", "0"});  // no currents: the output stays small
    if (contents.count > 0) {
        // To 10 decimals: 116.8, not 116.80000000000001. The answer is
        // read at the program's own frequencies, whatever the card rounds.
        deck.Card({"FR", "0", Int(contents.count), "0", "0", Trimmed(sweep.At(contents.first), 10),
                   Trimmed(sweep.stepMHz, 10)});
        deck.Card({"XQ"});
    }
    if (contents.pattern) {
        // The currents of every segment at the design frequency, for the
        // view of the loop; the sweep's runs above keep them out.
        deck.Card({"PT", "0", "0", "0", "0"});
        // The pattern with the average gain (XNDA 0001).
        deck.Card({"FR", "0", "1", "0", "0", Shortest(m.designMHz), "0"});
        const int phis = contents.patternSector ? PatternSectorPhis(m, grid) : PatternPhis(grid);
        deck.Card({"RP", "0", Int(PatternThetas(m, grid)), Int(phis), "1", "0", "0", Shortest(grid.elevationStepDeg),
                   Shortest(grid.azimuthStepDeg)});
    }
    deck.Card({"EN"});
    return std::move(deck).Text();
}

std::string WriteDeckAt(const LoopModel& model, const std::vector<double>& mhz, const PatternGrid& grid) {
    std::string deck = WriteDeck(model, Sweep{model.designMHz, 0, 1}, grid, {0, 0, false});
    const std::string end = "EN\n";
    deck.resize(deck.size() - end.size());
    for (double f : mhz) deck += "FR 0 1 0 0 " + Trimmed(f, 10) + " 0\nXQ\n";
    return deck + end;
}

}  // namespace corvanta::nec
