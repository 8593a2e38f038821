#include "cli/command_line.h"

#include "core/amateur_bands.h"
#include "core/field_conversion.h"
#include "nec/check_limits.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace corvanta::cli {

namespace {

class Reader {
public:
    explicit Reader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool Done() const { return next_ >= arguments_.size(); }
    const std::string& Peek() const { return arguments_[next_]; }
    std::string Take() { return arguments_[next_++]; }

    // The value of an option: "--opt VALUE" or "--opt=VALUE". A value may
    // start with "-" (a negative frequency), so it is taken as it comes.
    std::string Value(const std::string& option, std::optional<std::string>& inlineValue) {
        if (inlineValue) return *std::exchange(inlineValue, std::nullopt);
        if (Done()) throw UsageError(option + " needs a value");
        return Take();
    }

private:
    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
};

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        items.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

// FROM:TO:POINTS, in MHz.
void SetSweep(nec::CheckOptions& check, const std::string& text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) throw UsageError("--sweep is FROM:TO:POINTS");
    const double from = NumberOption("--sweep", text.substr(0, first));
    const double to = NumberOption("--sweep", text.substr(first + 1, second - first - 1));
    const double points = NumberOption("--sweep", text.substr(second + 1));
    if (!nec::SweepHolds(from, to, points)) {
        throw UsageError("--sweep needs 0 < FROM <= TO and 1 to 10000 whole POINTS");
    }
    check.sweepFromMHz = from;
    check.sweepToMHz = to;
    check.sweepPoints = static_cast<int>(points);
}

// HEIGHT:SIDE:GAP in millimetres, each above 0 and finite.
nec::BuiltLengths BuiltLengthsOption(const std::string& text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos) {
        throw UsageError("--as-built is HEIGHT:SIDE:GAP in millimetres");
    }
    const double height = NumberOption("--as-built", text.substr(0, first));
    const double side = NumberOption("--as-built", text.substr(first + 1, second - first - 1));
    const double gap = NumberOption("--as-built", text.substr(second + 1));
    for (double mm : {height, side, gap}) {
        if (!(mm > 0) || !std::isfinite(mm) || mm > 1e6) {
            throw UsageError("--as-built needs HEIGHT, SIDE and GAP in millimetres, each above 0");
        }
    }
    if (!(gap < height)) throw UsageError("--as-built needs a GAP shorter than the HEIGHT it is cut into");
    return {height, side, gap};
}

// A plot's file: SVG or PNG, by its name.
// The file name's ending, in lower case, if it has a name before it.
std::string Suffix(const std::string& path, std::size_t length) {
    if (path.size() <= length) return "";
    std::string suffix = path.substr(path.size() - length);
    for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return suffix;
}

std::string PlotFile(const std::string& option, const std::string& path) {
    if (Suffix(path, 4) != ".svg" && Suffix(path, 4) != ".png") {
        throw UsageError(option + " \"" + path + "\" is not a file name ending in .svg or .png");
    }
    return path;
}

// A positive number of the line, and no more than `most`.
double LineOption(const std::string& option, const std::string& text, double most, const char* rule) {
    const double value = NumberOption(option, text);
    if (!(value > 0 && value <= most)) throw UsageError(option + " " + rule);
    return value;
}

// The fields of a value written A:B:C, as many as `count`; a decimal comma
// is not a separator here, so "0,66" stays one field and is refused as a
// number with its text.
std::vector<std::string> ColonFields(const std::string& option, const std::string& text, std::size_t count,
                                     const char* form) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (fields.size() != count) throw UsageError(option + " is " + form);
    return fields;
}

void SetSize(Invocation& invocation, SizeUnit unit, std::string text) {
    if (invocation.size) throw UsageError("give only one of --awg, --inch and --mm");
    invocation.size = SizeInput{unit, std::move(text)};
}

}  // namespace

double NumberOption(const std::string& option, const std::string& text) {
    const Parsed<double> parsed = ParseDouble(text);
    if (!parsed) throw UsageError(option + " \"" + text + "\" is not a number");
    return *parsed.value;
}

namespace {

// Which commands an option belongs to, as a set.
using Commands = unsigned;
constexpr Commands Bit(Command command) { return 1U << static_cast<unsigned>(command); }
constexpr Commands kDesign = Bit(Command::Design);
constexpr Commands kTable = Bit(Command::Table);
constexpr Commands kNec = Bit(Command::Nec);
constexpr Commands kCheck = Bit(Command::Check);
constexpr Commands kSheet = Bit(Command::Sheet);
constexpr Commands kRecord = Bit(Command::Record);
constexpr Commands kMeasure = Bit(Command::Measure);
constexpr Commands kModel = kNec | kCheck;
constexpr Commands kDesigns = kDesign | kModel | kSheet | kRecord;
// What a build record holds besides the design: the ground, the lines, the
// feed, the lengths as cut and a measurement.
constexpr Commands kPlaced = kModel | kRecord;
constexpr Commands kFed = kCheck | kRecord;
constexpr Commands kLine = Bit(Command::Line);

// What parsing gathers besides the invocation: options that only mean
// something together.
struct Parse {
    Invocation& invocation;
    std::optional<std::string> from, to, step;
    std::optional<double> height;
    bool formatGiven = false;
    std::vector<std::string_view> given;  // the options' names, as they came
};

// One option, described once: the parser applies it, --help and the usage
// lines (and so the manual page) print it.
struct Option {
    std::string_view name;
    std::string_view value;  // as the usage shows it; empty for a flag
    Commands commands;
    Commands required = 0;  // where it must be given
    // Options written together in the usage: the group's form, written for
    // its first option and left out for the others.
    std::string_view group = {};
    std::string_view help;
    void (*apply)(Parse& parse, const std::string& value);
};

nec::FeedChain& ChainOf(Parse& parse) {
    std::optional<nec::FeedChain>& chain = parse.invocation.check.feed.chain;
    if (!chain) chain.emplace();
    return *chain;
}

// N of an N:1 balun: 1, 4, 9 ..., the impedance ratio.
void SetBalun(Parse& parse, const std::string& text) {
    const double ratio = NumberOption("--balun", text);
    if (!nec::kBalunRatio.Holds(ratio)) {
        throw UsageError("--balun is the impedance ratio N of an N:1 balun, from 1 to 100 (4 for a 4:1 balun)");
    }
    ChainOf(parse).balunRatio = ratio;
}

// Z0:VF:METRES:DB, the loss matched, in dB per 100 m at the design frequency.
void SetFeeder(Parse& parse, const std::string& text) {
    const char* form = "Z0:VF:METRES:DB (ohm, velocity factor, length in metres, dB per 100 m)";
    const std::vector<std::string> f = ColonFields("--feeder", text, 4, form);
    nec::Feeder feeder;
    feeder.impedanceOhm = NumberOption("--feeder", f[0]);
    feeder.velocityFactor = NumberOption("--feeder", f[1]);
    feeder.lengthM = NumberOption("--feeder", f[2]);
    feeder.lossDbPer100m = NumberOption("--feeder", f[3]);
    if (!nec::kFeederImpedanceOhm.Holds(feeder.impedanceOhm)) {
        throw UsageError("--feeder's Z0 is its impedance in ohm, above 0, at most 10000");
    }
    if (!nec::kFeederVelocityFactor.Holds(feeder.velocityFactor)) {
        throw UsageError("--feeder's VF is its velocity factor, from 0.1 to 1");
    }
    if (!nec::kFeederLengthM.Holds(feeder.lengthM)) {
        throw UsageError("--feeder's METRES is its length, from 0 to 10000 m");
    }
    if (!nec::kFeederLossDbPer100m.Holds(feeder.lossDbPer100m)) {
        throw UsageError("--feeder's DB is its matched loss in dB per 100 m, from 0 to 1000");
    }
    ChainOf(parse).feeder = feeder;
}

// A band of the table by name, or FROM:TO in MHz.
void SetCheckBand(Parse& parse, const std::string& text) {
    std::optional<nec::BandChoice>& band = parse.invocation.check.feed.band;
    if (text.find(':') == std::string::npos) {
        const std::optional<Band> found = FindBand(text);
        if (!found)
            throw UsageError("--band \"" + text +
                             "\" is no band (corvanta-cli bands lists them); or give FROM:TO in MHz");
        band = nec::BandChoice{std::string(found->name), found->LowMHz(), found->HighMHz()};
        return;
    }
    const std::vector<std::string> f = ColonFields("--band", text, 2, "a band's name or FROM:TO in MHz");
    const double from = NumberOption("--band", f[0]);
    const double to = NumberOption("--band", f[1]);
    if (!(from > 0) || !(to > from) || !std::isfinite(to)) throw UsageError("--band FROM:TO needs 0 < FROM < TO");
    band = nec::BandChoice{"", from, to};
}

void ApplyFormat(Parse& parse, const std::string& format) {
    Invocation& invocation = parse.invocation;
    parse.formatGiven = true;
    if (format == "text") invocation.format = Format::Text;
    else if (format == "csv" && invocation.command != Command::Check) invocation.format = Format::Csv;
    else if (format == "json") invocation.format = Format::Json;
    else
        throw UsageError(invocation.command == Command::Check ? "--format is text or json"
                                                              : "--format is text, csv or json");
}

// A whole number from `least` to `most`.
int WholeOption(const char* option, const std::string& text, double least, double most, const char* rule) {
    const double value = NumberOption(option, text);
    if (!(value >= least && value <= most) || value != std::floor(value)) throw UsageError(rule);
    return static_cast<int>(value);
}

// In the order the usage lines show them.
// One row a line, as the table reads.
// clang-format off
const Option kOptions[] = {
    {"--band", "NAME...", kTable, 0, "(--band NAME... | --freqs LIST | --from F --to F --step S)",
     "band names (corvanta-cli bands lists them): each band's low edge, centre and high edge",
     [](Parse& p, const std::string& v) { p.invocation.bands.push_back(v); }},
    {"--freqs", "LIST", kTable, 0, "-", "a comma-separated list of frequencies in MHz",
     [](Parse& p, const std::string& v) {
         for (std::string& f : SplitList(v)) p.invocation.frequencies.push_back(std::move(f));
     }},
    {"--from", "F", kTable, 0, "-", "a sweep from F MHz (with --to and --step)",
     [](Parse& p, const std::string& v) { p.from = v; }},
    {"--to", "F", kTable, 0, "-", "to F MHz", [](Parse& p, const std::string& v) { p.to = v; }},
    {"--step", "S", kTable, 0, "-", "in steps of S MHz", [](Parse& p, const std::string& v) { p.step = v; }},
    {"--freq", "TEXT", kDesigns, kDesigns, {}, "the design frequency in MHz, as typed into the window",
     [](Parse& p, const std::string& v) { p.invocation.frequency = v; }},
    {"--sides", "3|4", kDesigns | kTable, kModel | kSheet | kRecord, {},
     "three or four sided; design and table print both without it",
     [](Parse& p, const std::string& v) {
         if (v != "3" && v != "4") throw UsageError("--sides is 3 or 4");
         p.invocation.sides = v == "3" ? SideChoice::Three : SideChoice::Four;
     }},
    {"--awg", "TEXT", kDesigns | kTable, 0, "[--awg TEXT | --inch TEXT | --mm TEXT]",
     "the conductor as a gauge code (9009 for 00 ...), with the CHANGE under its box",
     [](Parse& p, const std::string& v) { SetSize(p.invocation, SizeUnit::Gauge, v); }},
    {"--inch", "TEXT", kDesigns | kTable, 0, "-", "the conductor's diameter in inches",
     [](Parse& p, const std::string& v) { SetSize(p.invocation, SizeUnit::Inch, v); }},
    {"--mm", "TEXT", kDesigns | kTable, 0, "-", "the conductor's diameter in millimetres",
     [](Parse& p, const std::string& v) { SetSize(p.invocation, SizeUnit::Mm, v); }},
    {"--ground", "average|perfect", kPlaced, 0, "[--ground average|perfect --height METRES]",
     "the loop over real (average) or perfect ground instead of free space",
     [](Parse& p, const std::string& v) {
         nec::Ground& ground = p.invocation.check.placement.ground;
         if (v == "free") ground = nec::Ground::Free;
         else if (v == "average") ground = nec::Ground::Average;
         else if (v == "perfect") ground = nec::Ground::Perfect;
         else throw UsageError("--ground is free, average or perfect");
     }},
    {"--height", "METRES", kPlaced, 0, "-", "the height of the loop's centre over the ground",
     [](Parse& p, const std::string& v) {
         p.height = NumberOption("--height", v);
         if (!nec::kHeightM.Holds(*p.height)) {
             throw UsageError("--height is the height of the loop's centre in metres, above 0, at most 100000");
         }
         p.invocation.check.placement.heightM = *p.height;
     }},
    {"--device", "PATH", kMeasure, kMeasure, {}, "the analyser's device file (corvanta-cli analyser lists them)",
     [](Parse& p, const std::string& v) {
         if (v.empty()) throw UsageError("--device needs a device file, such as /dev/ttyACM0");
         p.invocation.devicePath = v;
     }},
    {"--sweep", "FROM:TO:POINTS", kMeasure, kMeasure, {}, "the sweep in MHz",
     [](Parse& p, const std::string& v) { SetSweep(p.invocation.check, v); }},
    {"--output", "FILE.s1p", kMeasure, kMeasure, {}, "the Touchstone file to write; one there is replaced whole",
     [](Parse& p, const std::string& v) {
         if (Suffix(v, 4) != ".s1p") throw UsageError("--output writes a one-port Touchstone file: give FILE.s1p");
         p.invocation.outputPath = v;
     }},
    {"--sweep", "FROM:TO:POINTS", kModel, 0, {}, "the sweep in MHz (default 0.8x to 1.4x the design frequency, 101 points)",
     [](Parse& p, const std::string& v) { SetSweep(p.invocation.check, v); }},
    {"--sweep-mode", "adaptive|exact", kCheck, 0, {},
     "adaptive (default): the engine computes a handful of points and a checked interpolant the rest; exact: every point",
     [](Parse& p, const std::string& v) {
         if (v == "adaptive") p.invocation.check.sweepMode = nec::SweepMode::Adaptive;
         else if (v == "exact") p.invocation.check.sweepMode = nec::SweepMode::Exact;
         else throw UsageError("--sweep-mode is adaptive or exact");
     }},
    {"--segments-per-gap", "N", kModel, 0, {}, "segments of the gap's length over N",
     [](Parse& p, const std::string& v) {
         p.invocation.check.segmentsPerGap =
             WholeOption("--segments-per-gap", v, 1, 16, "--segments-per-gap is a whole number from 1 to 16");
     }},
    {"--pattern-step", "DEG", kModel, 0, {}, "the pattern's azimuth step in degrees (default 5)",
     [](Parse& p, const std::string& v) {
         const double degrees = NumberOption("--pattern-step", v);
         if (!(degrees >= 1 && degrees <= 45) || std::fmod(90.0, degrees) != 0) {
             throw UsageError("--pattern-step divides 90 degrees, from 1 to 45");
         }
         p.invocation.check.pattern.azimuthStepDeg = degrees;
     }},
    {"--line-impedance", "OHM", kFed | kLine, 0, {}, "the lines' impedance (default 300)",
     [](Parse& p, const std::string& v) {
         p.invocation.check.lineImpedanceOhm =
             LineOption("--line-impedance", v, 10000, "is the lines' impedance in ohm, above 0, at most 10000");
     }},
    {"--velocity-factor", "VF", kFed, 0, {},
     "the lines' velocity factor as measured (line --measured reads it from a stub), held by a measurement's fit "
     "(default 0.82, fitted)",
     [](Parse& p, const std::string& v) {
         const double factor = NumberOption("--velocity-factor", v);
         if (!nec::kLinesVelocityFactor.Holds(factor)) {
             throw UsageError("--velocity-factor is the lines' velocity factor, from 0.1 to 1");
         }
         p.invocation.check.velocityFactor = factor;
         p.invocation.check.velocityFactorMeasured = true;
     }},
    {"--line-length", "MM", kFed | kLine, kLine, {}, "each line's length (default: the matching section's); line: the stub's",
     [](Parse& p, const std::string& v) {
         p.invocation.check.lineLengthMm =
             LineOption("--line-length", v, 1e6, "is the length of each line in mm, above 0");
     }},
    {"--tune", "", kCheck, 0, {}, "also find the scale of HEIGHT, SIDE and GAP that resonates at the design frequency",
     [](Parse& p, const std::string&) { p.invocation.check.tune = true; }},
    {"--jobs", "N", kCheck, 0, {}, "engines side by side (default, and at most: one a core)",
     [](Parse& p, const std::string& v) {
         p.invocation.check.jobs = WholeOption("--jobs", v, 1, 64, "--jobs is a whole number from 1 to 64");
     }},
    {"--timeout", "SECONDS", kCheck, 0, {}, "stop every engine after that long (default: grows with the model)",
     [](Parse& p, const std::string& v) {
         const double seconds = NumberOption("--timeout", v);
         if (!(seconds > 0 && seconds <= 86400)) {
             throw UsageError("--timeout is a number of seconds above 0, at most 86400");
         }
         p.invocation.check.timeoutSeconds = seconds;
     }},
    {"--plot", "FILE.svg|.png", kCheck, 0, {}, "draw SWR, R and X against frequency, as SVG or PNG by the name",
     [](Parse& p, const std::string& v) { p.invocation.plotPath = PlotFile("--plot", v); }},
    {"--pattern", "FILE.svg|.png", kCheck, 0, {}, "draw the pattern's azimuth and elevation cuts, as SVG or PNG",
     [](Parse& p, const std::string& v) { p.invocation.patternPath = PlotFile("--pattern", v); }},
    {"--smith", "FILE.svg|.png", kCheck, 0, {}, "draw the impedance on a Smith chart, the measurement over it, as SVG or PNG",
     [](Parse& p, const std::string& v) { p.invocation.smithPath = PlotFile("--smith", v); }},
    {"--view", "FILE.svg|.png", kCheck, 0, {}, "draw the loop in three dimensions: its currents and its pattern, as SVG or PNG",
     [](Parse& p, const std::string& v) { p.invocation.viewPath = PlotFile("--view", v); }},
    {"--view-angle", "AZ:EL", kCheck, 0, {}, "where --view looks from, in degrees (default -60:25)",
     [](Parse& p, const std::string& v) {
         const std::size_t colon = v.find(':');
         const std::string usage = "--view-angle needs AZ:EL in degrees: an azimuth, and an elevation from -89 to 89";
         if (colon == std::string::npos) throw UsageError(usage);
         double azimuth = 0, elevation = 0;
         try {
             azimuth = NumberOption("--view-angle", v.substr(0, colon));
             elevation = NumberOption("--view-angle", v.substr(colon + 1));
         } catch (const UsageError&) {
             throw UsageError(usage);
         }
         if (!std::isfinite(azimuth) || std::abs(azimuth) > 3600 || !(std::abs(elevation) <= 89)) {
             throw UsageError(usage);
         }
         p.invocation.viewAngle = std::pair{azimuth, elevation};
     }},
    {"--s1p", "FILE.s1p", kCheck, 0, {}, "write the sweep as Touchstone: S11 at --port (default where the lines join)",
     [](Parse& p, const std::string& v) {
         if (Suffix(v, 4) != ".s1p") throw UsageError("--s1p writes a one-port Touchstone file: give FILE.s1p");
         p.invocation.s1pPath = v;
     }},
    {"--end", "open|short", kLine, kLine, {}, "how the stub's far end is left: open, or shorted",
     [](Parse& p, const std::string& v) {
         if (v != "open" && v != "short") throw UsageError("--end is open or short");
         p.invocation.stubEnd = v == "open" ? nec::StubEnd::Open : nec::StubEnd::Short;
     }},
    {"--measured", "FILE.s1p", kFed | kLine, kLine, {}, "an analyser's sweep taken at --port (default where the lines join), compared and trimmed to",
     [](Parse& p, const std::string& v) {
         if (v.empty()) throw UsageError("--measured needs a file name");
         if (p.invocation.command == Command::Record) {
             p.invocation.measuredCuts.push_back({v, std::nullopt, {}});
         } else if (!p.invocation.measuredPath.empty()) {
             throw UsageError("check compares one --measured sweep; record keeps more than one");
         }
         p.invocation.measuredPath = v;
     }},
    {"--device", "PATH", kCheck, 0, {},
     "sweep the analyser at PATH at --port and compare it, as --measured would the file measure writes",
     [](Parse& p, const std::string& v) {
         if (v.empty()) throw UsageError("--device needs a device file, such as /dev/ttyACM0");
         p.invocation.devicePath = v;
     }},
    {"--as-built", "HEIGHT:SIDE:GAP", kFed, 0, {},
     "the lengths in mm the measured loop was cut to, which the trim scales (default: the design's)",
     [](Parse& p, const std::string& v) {
         p.invocation.check.asBuilt = BuiltLengthsOption(v);
         // record: the lengths of the --measured sweep just before.
         if (p.invocation.command != Command::Record) return;
         if (p.invocation.measuredCuts.empty() || p.invocation.measuredCuts.back().asBuilt) {
             throw UsageError("--as-built follows the --measured sweep whose lengths it gives, once for each");
         }
         p.invocation.measuredCuts.back().asBuilt = p.invocation.check.asBuilt;
     }},
    {"--reference", "OHM", kFed, 0, {}, "the reference impedance of --s1p and --measured (default 50)",
     [](Parse& p, const std::string& v) {
         p.invocation.check.referenceOhm =
             LineOption("--reference", v, 10000, "is the reference impedance in ohm, above 0, at most 10000");
     }},
    {"--balun", "N", kFed, 0, {}, "an N:1 balun at the lines' junction (1, 4, 9 ...), the radio after it",
     SetBalun},
    {"--feeder", "Z0:VF:METRES:DB", kFed, 0, {},
     "the feeder from the balun to the radio: ohm, velocity factor, metres, matched dB per 100 m (a 1:1 balun "
     "without --balun)",
     SetFeeder},
    {"--port", "junction|radio", kFed, 0, {},
     "where --measured was taken and --s1p writes: the lines' junction (default) or the radio end",
     [](Parse& p, const std::string& v) {
         if (v == "junction") p.invocation.check.feed.port = nec::FeedPort::Junction;
         else if (v == "radio") p.invocation.check.feed.port = nec::FeedPort::Radio;
         else throw UsageError("--port is junction or radio");
     }},
    {"--band", "NAME|FROM:TO", kFed, 0, {},
     "the band to read (default: the band of the design frequency), by name or FROM:TO in MHz", SetCheckBand},
    {"--match", "", kFed, 0, {},
     "an L network that brings the radio end (else the junction after a 4:1 balun) to 1:1 on --reference",
     [](Parse& p, const std::string&) { p.invocation.check.feed.match = true; }},
    {"--note", "TEXT", kRecord, 0, {}, "a note on the --measured sweep, kept with it",
     [](Parse& p, const std::string& v) {
         p.invocation.note = v;
         if (!p.invocation.measuredCuts.empty()) p.invocation.measuredCuts.back().note = v;
     }},
    {"--record", "FILE.corvanta", kCheck, 0, {},
     "check the design a build record holds, with its feed, lengths as built and last measurement",
     [](Parse& p, const std::string& v) {
         if (v.empty()) throw UsageError("--record needs a file name");
         p.invocation.recordPath = v;
     }},
    {"--record", "FILE.corvanta", kSheet, 0, {},
     "the sheet of the design a build record holds, with its check as the window runs it (needs --output)",
     [](Parse& p, const std::string& v) {
         if (v.empty()) throw UsageError("--record needs a file name");
         p.invocation.recordPath = v;
     }},
    {"--format", "text|csv|json", kDesign | kTable | kCheck | kSheet, 0, {},
     "what to print: text, csv (RFC 4180) or json; check prints text or json", ApplyFormat},
    {"--output", "FILE.pdf", kSheet, 0, {}, "write the whole sheet as PDF instead of printing the cut list",
     [](Parse& p, const std::string& v) {
         if (Suffix(v, 4) != ".pdf") throw UsageError("--output writes a PDF: give FILE.pdf");
         p.invocation.outputPath = v;
     }},
    {"--output", "FILE.corvanta", kRecord, kRecord, {}, "the build record to write; one there is replaced whole",
     [](Parse& p, const std::string& v) {
         if (Suffix(v, 9) != ".corvanta") throw UsageError("--output writes a build record: give FILE.corvanta");
         p.invocation.outputPath = v;
     }},
};
// clang-format on

const Option* OptionNamed(std::string_view name, Command command) {
    for (const Option& option : kOptions) {
        if (option.name == name && (option.commands & Bit(command))) return &option;
    }
    return nullptr;
}

struct CommandInfo {
    Command command;
    std::string_view name;
    std::string_view summary;  // for the program's --help and its manual page
    std::string_view description;
};

// One row a line, as the table reads.
// clang-format off
const CommandInfo kCommands[] = {
    {Command::Design, "design", "one design, or both shapes without --sides, as text, csv or json",
     "A prism loop design, as the window computes it: the frequency in MHz,\n"
     "ACCEPT, then the size's CHANGE if one is given, then COMPUTE. Without\n"
     "--sides both the three- and the four-sided loop are printed.\n"},
    {Command::Table, "table", "one design per frequency: band edges and centres, a list or a sweep",
     "One design per frequency (and shape). --band takes band names (corvanta-cli\n"
     "bands lists them) and gives each band's low edge, centre and high edge;\n"
     "--freqs takes a comma-separated list; --from/--to/--step a sweep in MHz.\n"
     "A failing row stops the table after the rows before it.\n"},
    {Command::Nec, "nec", "a NEC-2 deck of the design on standard output",
     "Writes a NEC-2 deck of the design (as the millimetre texts show it) that\n"
     "every NEC-2 program reads (no line over 80 columns, millimetres under a GS\n"
     "card): the two polygons and the verticals, the feed gap as the middle\n"
     "segment of every vertical with 1 V on each, copper wire, a sweep (default\n"
     "0.8x to 1.4x the design frequency, 101 points) and the pattern at the\n"
     "design frequency. --ground average|perfect puts the loop's centre\n"
     "--height METRES over ground (the lowest wire at least a segment above it).\n"
     "--segments-per-gap N makes the segments the gap's length over N (a count\n"
     "too fine for the conductor is refused with the counts that work);\n"
     "--pattern-step DEG sets the pattern's azimuth step (default 5; elevation\n"
     "goes by 1).\n"
     "A conductor too thick for the thin-wire kernel gets the extended kernel\n"
     "(EK), or is refused with the reason.\n"},
    {Command::Check, "check",
     "the deck through nec2c: impedances, SWR, gain, ranges under 2:1, sanity checks, plots, a measurement",
     "Runs the model through nec2c (Debian's package nec2c) and reports the\n"
     "impedance at every gap and of the gaps in parallel, the SWR against 300\n"
     "and 50 ohm, and the feed as built: each gap feeds a lossless line, by\n"
     "default of 300 ohm with velocity factor 0.82 (TV twin-lead; open ladder\n"
     "line is nearer 0.9) as long as the design's matching section, and the\n"
     "lines join at one point. The impedance there (balanced) is reported with\n"
     "its SWR on 50, 200 (through a 4:1 balun) and 300 ohm; --line-impedance\n"
     "OHM, --velocity-factor VF and --line-length MM change the line. Then the\n"
     "gain at its best elevation and the efficiency at the design frequency,\n"
     "where the gap reactance crosses zero and where the SWR is under 2:1 (an\n"
     "edge the sweep runs into is reported open), with sanity checks of the\n"
     "model: segments, convergence (the design frequency again with segments\n"
     "half as long, the gap within 2 %) and average gain against the\n"
     "efficiency. --tune finds the one scale of HEIGHT, SIDE and GAP (the\n"
     "conductor stays) that puts the gap reactance's zero at the design\n"
     "frequency within 0.1 %, from the design frequency on engines side by\n"
     "side and the sweep's slope (short sweeps with --sweep-mode exact), and\n"
     "reports the tuned dimensions beside the design's own. --jobs N runs N\n"
     "engines side by side over slices of the sweep (default, and at most: one\n"
     "a core).\n"
     "--timeout SECONDS stops every engine after that long (default: grows\n"
     "with the model). --plot FILE draws SWR, R and X against frequency,\n"
     "--pattern FILE the azimuth and elevation cuts of the pattern, --smith\n"
     "FILE the impedance on a Smith chart, as SVG or PNG by the file's name;\n"
     "no display is needed. --view FILE draws the loop in three dimensions:\n"
     "its wires coloured by the current at the design frequency, the feed\n"
     "gaps, the ground and the pattern as a surface round it, seen from\n"
     "--view-angle AZ:EL (degrees). --s1p FILE writes the sweep as a Touchstone file:\n"
     "S11 where the lines join, against --reference OHM (default 50).\n"
     "--measured FILE reads an analyser's one-port Touchstone file taken where\n"
     "the lines join, draws it over the model, undoes the lines to find the\n"
     "built loop's resonance, and gives the trim: HEIGHT, SIDE and GAP times\n"
     "(measured resonance / design frequency). The model is fitted to the\n"
     "measurement (the loop's scale and the lines' velocity factor), and the\n"
     "other shape too; a measurement the loop does not fit gets no trim.\n"
     "--as-built HEIGHT:SIDE:GAP gives the lengths in mm the loop was cut to\n"
     "(default: the design's), which the trim scales: HEIGHT and SIDE from 0.7\n"
     "to 1.3 times the design's, GAP from 0.5 to 2 times, HEIGHT over SIDE\n"
     "within 10 % of the design's; others are refused with the likely slip.\n"
     "--record FILE.corvanta checks the design a build record holds (corvanta-cli\n"
     "record or the window writes one) with its ground, lines, feed, lengths as\n"
     "built and last measurement; the options the record holds are then refused.\n"
     "Exit status\n"
     "1 when the engine fails, its answer is broken or a file does not read, 3\n"
     "when a sanity check fails, 128 + the signal when a signal stops it.\n"},
    {Command::Sheet, "sheet", "the build sheet: its cut list as text, csv or json, or the whole page as PDF",
     "The build sheet of a design: the cut list (the horizontal sides of the two\n"
     "polygons, each vertical as two halves either side of its gap, the conductor\n"
     "total) and one 300 ohm line of the matching-section length per gap, in mm\n"
     "and inches, worked out from the dimensions as the calculator writes them.\n"
     "--format prints the cut list as text, csv or json; --output writes the\n"
     "whole one-page sheet as PDF (dimensions, cut list, lines and a dimensioned\n"
     "drawing of the prism), with no display needed. --record FILE.corvanta\n"
     "--output FILE.pdf checks the design a build record holds, as the window\n"
     "does (its ground, lines, feed, lengths as cut and last measurement, the\n"
     "tune included), and writes the sheet the window prints: the lengths the\n"
     "verdict names, the measurement and the SWR plot. Exit status 3 when a\n"
     "sanity check of the model fails (the sheet is written).\n"},
    {Command::Record, "record", "a build record: the design, its feed, the lengths as cut and a measurement",
     "Writes a build record, FILE.corvanta (JSON): the design's inputs as typed\n"
     "(--freq, --sides, the conductor), the ground and height, the lines and the\n"
     "feed to the radio, and each --measured sweep's Touchstone text with the\n"
     "date it was loaded and the --as-built lengths and --note that follow it:\n"
     "--measured comes once for every sweep of a loop trimmed between them, in\n"
     "the order they were taken, and the last one's lengths are the loop's as\n"
     "it stands. Only\n"
     "inputs are kept: what is computed from them is computed again when the\n"
     "record is read, by check --record or in the window. The design is computed\n"
     "first: an input that does not read writes nothing (exit status 1). A record\n"
     "already there is replaced whole, never in part.\n"},
    {Command::Line, "line", "a line's velocity factor and loss from an analyser's sweep of a stub of it",
     "Reads a line's own velocity factor and loss from an analyser's sweep\n"
     "(--measured STUB.s1p) of a stub of it, --line-length MM long, its far end\n"
     "--end open or short. The stub's impedance dips first where its reactance\n"
     "rises through zero: a quarter wave open (VF = 4 x length x f / c), a half\n"
     "wave shorted (VF = 2 x length x f / c). The resistance there is the loss\n"
     "alone, read with --line-impedance OHM (default 300). Give the velocity\n"
     "factor to check as --velocity-factor: a measurement's fit then holds it.\n"},
    {Command::Bands, "bands", "the band names and their edges in MHz", "Lists the band names and their edges in MHz.\n"},
    {Command::Analyser, "analyser", "the analysers plugged in: device file, USB id and firmware",
     "Lists the vector analysers plugged in over USB (USB id 0483:5740, the\n"
     "text-shell family), a line each: the device file, the USB id, the\n"
     "device's name and firmware, or why it could not be asked (permission\n"
     "denied, held by the modem manager ...). Exit status 1 when none is found.\n"},
    {Command::Measure, "measure", "sweep an analyser and write its S11 as a Touchstone file",
     "Sweeps S11 with the analyser at --device (corvanta-cli analyser lists\n"
     "them) over --sweep FROM:TO:POINTS in MHz, in as many runs as the device\n"
     "needs (101 or 401 points each), and writes --output FILE.s1p: Hz, S, RI\n"
     "against 50 ohm, a comment naming the device, its firmware and the date.\n"
     "The calibration is the device's own: open, short and load where the\n"
     "loop is measured (where the lines join, or the radio end of the feeder\n"
     "for check --port radio). A device that is missing, refused, busy, silent,\n"
     "answers nonsense or goes away writes nothing (exit status 1).\n"},
};
// clang-format on

const CommandInfo* CommandNamed(std::string_view name) {
    for (const CommandInfo& info : kCommands) {
        if (info.name == name) return &info;
    }
    return nullptr;
}

const CommandInfo& InfoOf(Command command) {
    for (const CommandInfo& info : kCommands) {
        if (info.command == command) return info;
    }
    throw std::logic_error("a command without a description");
}

// "corvanta-cli check --freq TEXT --sides 3|4 [...] ...", from the table.
std::string UsageLine(Command command) {
    std::string line = "corvanta-cli " + std::string(InfoOf(command).name);
    for (const Option& option : kOptions) {
        if (!(option.commands & Bit(command)) || option.group == "-") continue;
        std::string form;
        if (!option.group.empty()) {
            form = option.group;
        } else {
            form = std::string(option.name);
            std::string value(option.value);
            if (option.name == "--format" && command == Command::Check) value = "text|json";
            if (!value.empty()) form += " " + value;
            if (option.name == "--format" && command == Command::Sheet) form += " | --output FILE.pdf";
            if (option.name == "--output" && command == Command::Sheet) continue;
            if (!(option.required & Bit(command))) form = "[" + form + "]";
        }
        line += " " + form;
    }
    return line;
}

// The options of a command, a line each, as --help lists them.
std::string OptionList(Commands commands) {
    std::string list;
    for (const Option& option : kOptions) {
        if (!(option.commands & commands)) continue;
        std::string left = "  " + std::string(option.name);
        if (!option.value.empty()) left += " " + std::string(option.value);
        left.resize(std::max<std::size_t>(left.size() + 2, 32), ' ');
        list += left + std::string(option.help) + "\n";
    }
    return list;
}

}  // namespace

Invocation ParseCommandLine(const std::vector<std::string>& arguments) {
    Invocation invocation;
    Reader reader(arguments);
    if (reader.Done()) throw UsageError("no command given");
    const std::string first = reader.Take();
    if (first == "--help" || first == "-h" || first == "help") return invocation;
    if (first == "--version") {
        invocation.command = Command::Version;
        return invocation;
    }
    const CommandInfo* named = CommandNamed(first);
    if (!named) throw UsageError("unknown command \"" + first + "\"");
    const Command command = named->command;
    invocation.command = command;

    Parse parse{invocation, {}, {}, {}, {}, false, {}};
    while (!reader.Done()) {
        std::string name = reader.Take();
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            invocation.helpFor = command;
            invocation.command = Command::Help;
            return invocation;
        }
        const Option* option = OptionNamed(name, command);
        if (!option) throw UsageError("unknown option \"" + name + "\" for " + first);
        parse.given.push_back(option->name);
        if (option->value.empty()) {
            if (inlineValue) throw UsageError(name + " takes no value");
            option->apply(parse, "");
            continue;
        }
        option->apply(parse, reader.Value(name, inlineValue));
        // "NAME..." takes words up to the next option.
        if (option->value.ends_with("...")) {
            while (!reader.Done() && !reader.Peek().starts_with("--")) option->apply(parse, reader.Take());
        }
    }

    const auto given = [&](std::string_view name) {
        return std::find(parse.given.begin(), parse.given.end(), name) != parse.given.end();
    };
    // A record holds the design, its feed, its lengths and its measurement:
    // any of them given as well would be two answers to one question.
    const bool fromRecord = !invocation.recordPath.empty();
    if (fromRecord) {
        for (std::string_view name : parse.given) {
            if (name != "--output" && OptionNamed(name, Command::Record)) {
                throw UsageError("--record holds the design, its feed, its lengths and its measurement: leave out " +
                                 std::string(name));
            }
        }
    }
    for (const Option& option : kOptions) {
        if (!(option.required & Bit(command)) || given(option.name) || fromRecord) continue;
        throw UsageError(first + " needs " + std::string(option.name) +
                         (option.name == "--sides"    ? " 3 or 4"
                          : option.name == "--output" ? " FILE.corvanta"
                                                      : ""));
    }
    if (parse.formatGiven && !invocation.outputPath.empty()) {
        throw UsageError("sheet prints the cut list (--format) or writes the sheet (--output), not both");
    }
    if (command == Command::Sheet && fromRecord && invocation.outputPath.empty()) {
        throw UsageError("sheet --record writes the sheet with its check: give --output FILE.pdf");
    }
    const bool free = invocation.check.placement.ground == nec::Ground::Free;
    if (!free && !parse.height) {
        throw UsageError("a ground needs --height METRES, the height of the loop's centre");
    }
    if (free && parse.height) {
        throw UsageError("--height places the loop over a ground: give --ground average or perfect too");
    }
    if (!invocation.note.empty() && invocation.measuredPath.empty()) {
        throw UsageError("--note is kept with a measurement: give --measured FILE.s1p too");
    }
    if (!invocation.devicePath.empty() && command == Command::Check &&
        (!invocation.measuredPath.empty() || fromRecord)) {
        throw UsageError(std::string("--device measures now: leave out ") + (fromRecord ? "--record" : "--measured"));
    }
    if (invocation.viewAngle && invocation.viewPath.empty()) {
        throw UsageError("--view-angle turns the view --view draws: give --view FILE.svg|.png too");
    }
    if (invocation.check.asBuilt && invocation.measuredPath.empty() && invocation.devicePath.empty()) {
        throw UsageError("--as-built gives the lengths of the measured loop: give --measured FILE.s1p too");
    }
    // Two outputs into one file, or an output over the measurement, would
    // lose one of them.
    const std::string* files[] = {&invocation.plotPath,   &invocation.patternPath, &invocation.smithPath,
                                  &invocation.viewPath,   &invocation.s1pPath,     &invocation.measuredPath,
                                  &invocation.outputPath, &invocation.recordPath};
    for (std::size_t a = 0; a < std::size(files); ++a) {
        for (std::size_t b = a + 1; b < std::size(files); ++b) {
            if (!files[a]->empty() && *files[a] == *files[b]) {
                throw UsageError("\"" + *files[a] + "\" is named twice: give each output a file of its own");
            }
        }
    }
    if (invocation.check.feed.port == nec::FeedPort::Radio && !invocation.check.feed.chain) {
        throw UsageError("--port radio needs the chain to the radio: give --balun N or --feeder Z0:VF:METRES:DB");
    }
    if (command == Command::Table) {
        const bool sweep = parse.from || parse.to || parse.step;
        if (sweep && !(parse.from && parse.to && parse.step)) throw UsageError("--from, --to and --step go together");
        if (sweep) invocation.sweep = Sweep{*parse.from, *parse.to, *parse.step};
        const int sources =
            (invocation.bands.empty() ? 0 : 1) + (invocation.frequencies.empty() ? 0 : 1) + (sweep ? 1 : 0);
        if (sources != 1) throw UsageError("table needs one of --band, --freqs or --from/--to/--step");
    }
    return invocation;
}

std::string ShortUsage() {
    std::string usage;
    for (const CommandInfo& info : kCommands) {
        usage += (usage.empty() ? "Usage: " : "  or:  ") + UsageLine(info.command) + "\n";
    }
    return usage + "  or:  corvanta-cli --version\n";
}

std::vector<std::string_view> CommandNames() {
    std::vector<std::string_view> names;
    for (const CommandInfo& info : kCommands) names.push_back(info.name);
    return names;
}

std::vector<std::string_view> OptionNames(Command command) {
    std::vector<std::string_view> names;
    for (const Option& option : kOptions) {
        if (option.commands & Bit(command)) names.push_back(option.name);
    }
    return names;
}

std::string UsageText(std::optional<Command> command) {
    if (command) {
        const CommandInfo& info = InfoOf(*command);
        std::string text = "Usage: " + UsageLine(*command) + "\n\n" + std::string(info.description);
        const std::string options = OptionList(Bit(*command));
        if (!options.empty()) text += "\nOptions:\n" + options;
        return text;
    }
    // The program's own help is also its manual page (help2man reads it):
    // every command and every option, from the same tables as the parser.
    std::string text = ShortUsage() +
                       "\nPrism loop antenna designs from the command line. Numbers are read and\n"
                       "written with a point, whatever the locale. COMMAND --help tells more.\n"
                       "\nCommands:\n";
    for (const CommandInfo& info : kCommands) {
        std::string left = "  " + std::string(info.name);
        left.resize(std::max<std::size_t>(left.size() + 2, 10), ' ');
        text += left + std::string(info.summary) + "\n";
    }
    Commands all = 0;
    for (const CommandInfo& info : kCommands) all |= Bit(info.command);
    text += "\nOptions (COMMAND --help lists a command's own):\n" + OptionList(all) +
            "  --help                        this text, or a command's with COMMAND --help\n"
            "  --version                     the program's version\n";
    return text;
}

}  // namespace corvanta::cli
