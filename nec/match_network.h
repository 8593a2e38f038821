#pragma once

#include <complex>
#include <optional>
#include <vector>

// An L network that brings a load to 1:1 on a reference at one frequency:
// two reactances, one in series and one across the line. A series element
// next to the load needs the load's resistance at or below the reference;
// a shunt element next to it needs its conductance at or below 1 /
// reference. Where both hold there are up to four networks.

namespace corvanta::nec {

struct MatchComponent {
    enum class Position { Series, Shunt };
    Position position = Position::Series;
    bool inductor = true;  // L in nH, else C in pF
    double value = 0;

    // Ohm in series, siemens across, at `mhz`.
    double ReactanceAt(double mhz) const;
    double SusceptanceAt(double mhz) const;
};

struct Match {
    enum class Arrangement { None, SeriesFirst, ShuntFirst };
    // Named from the antenna side; a one-element match by its position.
    Arrangement arrangement = Arrangement::None;
    std::vector<MatchComponent> components;  // from the antenna side to the radio side
    // Where the matched SWR stays under 2:1 around the design frequency;
    // an end the sweep ran into is the sweep's own end.
    std::optional<double> under2FromMHz, under2ToMHz;
    // Whether the load needs a network. Without components this tells
    // "none needed" (within kNoMatchSwr already) from "none can" (a load
    // without resistance, which no two reactances bring to the reference).
    bool needed = false;
};

// Under this SWR a load needs no network.
inline constexpr double kNoMatchSwr = 1.05;

// What the radio sees through the network with `load` at its antenna side.
std::complex<double> ThroughMatch(std::complex<double> load, const Match& match, double mhz);

// Every L network (and every one-element match) that brings `load` to 1:1
// on `referenceOhm` at `mhz`.
std::vector<Match> MatchSolutions(std::complex<double> load, double referenceOhm, double mhz);

// The network for a sweep of loads (`mhz` ascending, `loads` the impedance
// at each): none for a load within kNoMatchSwr at the design frequency;
// else one element where one suffices, else the network with the widest
// 2:1 range around the design frequency. `atDesign` is the load there.
Match ChooseMatch(const std::vector<double>& mhz, const std::vector<std::complex<double>>& loads,
                  std::complex<double> atDesign, double designMHz, double referenceOhm);

}  // namespace corvanta::nec
