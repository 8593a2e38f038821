#include "cli/command_line.h"

#include "core/field_conversion.h"

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

std::optional<Command> CommandNamed(std::string_view name) {
    if (name == "design") return Command::Design;
    if (name == "table") return Command::Table;
    if (name == "bands") return Command::Bands;
    if (name == "nec") return Command::Nec;
    if (name == "check") return Command::Check;
    if (name == "sheet") return Command::Sheet;
    return std::nullopt;
}

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
    if (!(from > 0) || !(to >= from) || !std::isfinite(to) || !(points >= 1) || points > 1000 ||
        points != std::floor(points)) {
        throw UsageError("--sweep needs 0 < FROM <= TO and 1 to 1000 whole POINTS");
    }
    check.sweepFromMHz = from;
    check.sweepToMHz = to;
    check.sweepPoints = static_cast<int>(points);
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
    const std::optional<Command> command = CommandNamed(first);
    if (!command) throw UsageError("unknown command \"" + first + "\"");
    invocation.command = *command;

    std::optional<std::string> from, to, step;
    std::optional<double> height;
    bool formatGiven = false;
    while (!reader.Done()) {
        std::string option = reader.Take();
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = option.find('='); option.starts_with("--") &&
                                                         equals != std::string::npos) {
            inlineValue = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool model = *command == Command::Nec || *command == Command::Check;
        const bool design = *command == Command::Design || *command == Command::Sheet || model;
        const bool table = *command == Command::Table;
        if (option == "--help" || option == "-h") {
            invocation.helpFor = *command;
            invocation.command = Command::Help;
            return invocation;
        } else if (design && option == "--freq") {
            invocation.frequency = reader.Value(option, inlineValue);
        } else if ((design || table) && option == "--sides") {
            const std::string sides = reader.Value(option, inlineValue);
            if (sides != "3" && sides != "4") throw UsageError("--sides is 3 or 4");
            invocation.sides = sides == "3" ? SideChoice::Three : SideChoice::Four;
        } else if ((design || table) && option == "--awg") {
            SetSize(invocation, SizeUnit::Gauge, reader.Value(option, inlineValue));
        } else if ((design || table) && option == "--inch") {
            SetSize(invocation, SizeUnit::Inch, reader.Value(option, inlineValue));
        } else if ((design || table) && option == "--mm") {
            SetSize(invocation, SizeUnit::Mm, reader.Value(option, inlineValue));
        } else if ((design || table) && *command != Command::Nec && option == "--format") {
            const std::string format = reader.Value(option, inlineValue);
            formatGiven = true;
            if (format == "text") invocation.format = Format::Text;
            else if (format == "csv" && *command != Command::Check) invocation.format = Format::Csv;
            else if (format == "json") invocation.format = Format::Json;
            else throw UsageError(*command == Command::Check ? "--format is text or json"
                                                             : "--format is text, csv or json");
        } else if (model && option == "--ground") {
            const std::string ground = reader.Value(option, inlineValue);
            if (ground == "free") invocation.check.placement.ground = nec::Ground::Free;
            else if (ground == "average") invocation.check.placement.ground = nec::Ground::Average;
            else if (ground == "perfect") invocation.check.placement.ground = nec::Ground::Perfect;
            else throw UsageError("--ground is free, average or perfect");
        } else if (model && option == "--height") {
            height = NumberOption(option, reader.Value(option, inlineValue));
            if (!(*height > 0) || !std::isfinite(*height)) {
                throw UsageError("--height is the height of the loop's centre in metres, above 0");
            }
            invocation.check.placement.heightM = *height;
        } else if (model && option == "--sweep") {
            SetSweep(invocation.check, reader.Value(option, inlineValue));
        } else if (model && option == "--segments-per-gap") {
            const double count = NumberOption(option, reader.Value(option, inlineValue));
            if (count < 1 || count > 16 || count != std::floor(count)) {
                throw UsageError("--segments-per-gap is a whole number from 1 to 16");
            }
            invocation.check.segmentsPerGap = static_cast<int>(count);
        } else if (model && option == "--pattern-step") {
            const double degrees = NumberOption(option, reader.Value(option, inlineValue));
            if (!(degrees >= 1 && degrees <= 45) || std::fmod(90.0, degrees) != 0) {
                throw UsageError("--pattern-step divides 90 degrees, from 1 to 45");
            }
            invocation.check.pattern.azimuthStepDeg = degrees;
        } else if (*command == Command::Check && option == "--jobs") {
            const double jobs = NumberOption(option, reader.Value(option, inlineValue));
            if (!(jobs >= 1 && jobs <= 64) || jobs != std::floor(jobs)) {
                throw UsageError("--jobs is a whole number from 1 to 64");
            }
            invocation.check.jobs = static_cast<int>(jobs);
        } else if (*command == Command::Check && option == "--timeout") {
            const double seconds = NumberOption(option, reader.Value(option, inlineValue));
            if (!(seconds > 0 && seconds <= 86400)) {
                throw UsageError("--timeout is a number of seconds above 0, at most 86400");
            }
            invocation.check.timeoutSeconds = seconds;
        } else if (*command == Command::Check && option == "--plot") {
            invocation.plotPath = PlotFile(option, reader.Value(option, inlineValue));
        } else if (*command == Command::Check && option == "--pattern") {
            invocation.patternPath = PlotFile(option, reader.Value(option, inlineValue));
        } else if (*command == Command::Check && option == "--s1p") {
            invocation.s1pPath = reader.Value(option, inlineValue);
            if (Suffix(invocation.s1pPath, 4) != ".s1p") {
                throw UsageError("--s1p writes a one-port Touchstone file: give FILE.s1p");
            }
        } else if (*command == Command::Check && option == "--measured") {
            invocation.measuredPath = reader.Value(option, inlineValue);
            if (invocation.measuredPath.empty()) throw UsageError("--measured needs a file name");
        } else if (*command == Command::Check && option == "--reference") {
            invocation.check.referenceOhm = LineOption(
                option, reader.Value(option, inlineValue), 10000, "is the reference impedance in ohm, above 0, at most 10000");
        } else if (*command == Command::Check && option == "--tune") {
            if (inlineValue) throw UsageError("--tune takes no value");
            invocation.check.tune = true;
        } else if (*command == Command::Check && option == "--line-impedance") {
            invocation.check.lineImpedanceOhm = LineOption(
                option, reader.Value(option, inlineValue), 10000, "is the lines' impedance in ohm, above 0, at most 10000");
        } else if (*command == Command::Check && option == "--velocity-factor") {
            invocation.check.velocityFactor = LineOption(
                option, reader.Value(option, inlineValue), 1, "is above 0 and at most 1");
        } else if (*command == Command::Check && option == "--line-length") {
            invocation.check.lineLengthMm = LineOption(
                option, reader.Value(option, inlineValue), 1e6, "is the length of each line in mm, above 0");
        } else if (*command == Command::Sheet && option == "--output") {
            invocation.outputPath = reader.Value(option, inlineValue);
            if (Suffix(invocation.outputPath, 4) != ".pdf") throw UsageError("--output writes a PDF: give FILE.pdf");
        } else if (table && option == "--band") {
            invocation.bands.push_back(reader.Value(option, inlineValue));
            while (!reader.Done() && !reader.Peek().starts_with("--")) {
                invocation.bands.push_back(reader.Take());
            }
        } else if (table && option == "--freqs") {
            for (std::string& f : SplitList(reader.Value(option, inlineValue))) {
                invocation.frequencies.push_back(std::move(f));
            }
        } else if (table && option == "--from") {
            from = reader.Value(option, inlineValue);
        } else if (table && option == "--to") {
            to = reader.Value(option, inlineValue);
        } else if (table && option == "--step") {
            step = reader.Value(option, inlineValue);
        } else {
            throw UsageError("unknown option \"" + option + "\" for " + first);
        }
    }

    const bool designs = *command == Command::Design || *command == Command::Nec ||
                         *command == Command::Check || *command == Command::Sheet;
    if (designs && !invocation.frequency) throw UsageError(first + " needs --freq");
    if ((*command == Command::Nec || *command == Command::Check || *command == Command::Sheet) &&
        !invocation.sides) {
        throw UsageError(first + " needs --sides 3 or 4");
    }
    if (formatGiven && !invocation.outputPath.empty()) {
        throw UsageError("sheet prints the cut list (--format) or writes the sheet (--output), not both");
    }
    const bool free = invocation.check.placement.ground == nec::Ground::Free;
    if (!free && !height) {
        throw UsageError("a ground needs --height METRES, the height of the loop's centre");
    }
    if (free && height) {
        throw UsageError("--height places the loop over a ground: give --ground average or perfect too");
    }
    // Two outputs into one file, or an output over the measurement, would
    // lose one of them.
    const std::string* files[] = {&invocation.plotPath, &invocation.patternPath, &invocation.s1pPath,
                                  &invocation.measuredPath};
    for (std::size_t a = 0; a < std::size(files); ++a) {
        for (std::size_t b = a + 1; b < std::size(files); ++b) {
            if (!files[a]->empty() && *files[a] == *files[b]) {
                throw UsageError("\"" + *files[a] + "\" is named twice: give each output a file of its own");
            }
        }
    }
    if (*command == Command::Table) {
        const bool sweep = from || to || step;
        if (sweep && !(from && to && step)) throw UsageError("--from, --to and --step go together");
        if (sweep) invocation.sweep = Sweep{*from, *to, *step};
        const int sources = (invocation.bands.empty() ? 0 : 1) +
                            (invocation.frequencies.empty() ? 0 : 1) + (sweep ? 1 : 0);
        if (sources != 1) throw UsageError("table needs one of --band, --freqs or --from/--to/--step");
    }
    return invocation;
}

namespace {

const std::string kShape = "[--sides 3|4] [--awg TEXT | --inch TEXT | --mm TEXT] [--format text|csv|json]";
const std::string kDesignUsage = "corvanta-cli design --freq TEXT " + kShape;
const std::string kTableUsage =
    "corvanta-cli table (--band NAME... | --freqs LIST | --from F --to F --step S) " + kShape;
const std::string kModel =
    "--freq TEXT --sides 3|4 [--awg TEXT | --inch TEXT | --mm TEXT] "
    "[--ground average|perfect --height METRES] [--sweep FROM:TO:POINTS] "
    "[--segments-per-gap N] [--pattern-step DEG]";
const std::string kSheetUsage =
    "corvanta-cli sheet --freq TEXT --sides 3|4 [--awg TEXT | --inch TEXT | --mm TEXT] "
    "[--format text|csv|json | --output FILE.pdf]";
const std::string kNecUsage = "corvanta-cli nec " + kModel;
const std::string kCheckUsage =
    "corvanta-cli check " + kModel +
    " [--line-impedance OHM] [--velocity-factor VF] [--line-length MM] [--tune] [--jobs N] "
    "[--timeout SECONDS] [--plot FILE.svg|.png] [--pattern FILE.svg|.png] [--s1p FILE.s1p] "
    "[--measured FILE.s1p] [--reference OHM] [--format text|json]";

}  // namespace

std::string ShortUsage() {
    return "Usage: " + kDesignUsage + "\n  or:  " + kTableUsage + "\n  or:  " + kNecUsage +
           "\n  or:  " + kCheckUsage + "\n  or:  " + kSheetUsage + "\n  or:  corvanta-cli bands\n  or:  corvanta-cli --version\n";
}

std::string UsageText(std::optional<Command> command) {
    if (command == Command::Design) {
        return "Usage: " + kDesignUsage +
               "\n\nA prism loop design, as the window computes it: the frequency in MHz,\n"
               "ACCEPT, then the size's CHANGE if one is given, then COMPUTE. Without\n"
               "--sides both the three- and the four-sided loop are printed.\n";
    }
    if (command == Command::Table) {
        return "Usage: " + kTableUsage +
               "\n\nOne design per frequency (and shape). --band takes band names (corvanta-cli\n"
               "bands lists them) and gives each band's low edge, centre and high edge;\n"
               "--freqs takes a comma-separated list; --from/--to/--step a sweep in MHz.\n"
               "A failing row stops the table after the rows before it.\n";
    }
    if (command == Command::Nec) {
        return "Usage: " + kNecUsage +
               "\n\nWrites a NEC-2 deck of the design (as the millimetre texts show it) that\n"
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
               "(EK), or is refused with the reason.\n";
    }
    if (command == Command::Check) {
        return "Usage: " + kCheckUsage +
               "\n\nRuns the model through nec2c (Debian's package nec2c) and reports the\n"
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
               "frequency within 0.1 %, with short sweeps on engines side by side, and\n"
               "reports the tuned dimensions beside the design's own. --jobs N runs N\n"
               "engines side by side over slices of the sweep (default, and at most: one\n"
               "a core).\n"
               "--timeout SECONDS stops every engine after that long (default: grows\n"
               "with the model). --plot FILE draws SWR, R and X against frequency,\n"
               "--pattern FILE the azimuth and elevation cuts of the pattern, as SVG or\n"
               "PNG by the file's name; no display is needed. --s1p FILE writes the\n"
               "sweep as a Touchstone file: S11 where the lines join, against --reference\n"
               "OHM (default 50). --measured FILE reads an analyser's one-port Touchstone\n"
               "file taken where the lines join, draws it over the model, undoes the\n"
               "lines to find the built loop's resonance, and gives the trim: HEIGHT,\n"
               "SIDE and GAP times (measured resonance / design frequency). Exit status\n"
               "1 when the engine fails, its answer is broken or a file does not read, 3\n"
               "when a sanity check fails, 130 when interrupted.\n";
    }
    if (command == Command::Sheet) {
        return "Usage: " + kSheetUsage +
               "\n\nThe build sheet of a design: the cut list (the horizontal sides of the two\n"
               "polygons, each vertical as two halves either side of its gap, the conductor\n"
               "total) and one 300 ohm line of the matching-section length per gap, in mm\n"
               "and inches, worked out from the dimensions as the calculator writes them.\n"
               "--format prints the cut list as text, csv or json; --output writes the\n"
               "whole one-page sheet as PDF (dimensions, cut list, lines and a dimensioned\n"
               "drawing of the prism), with no display needed.\n";
    }
    if (command == Command::Bands) {
        return "Usage: corvanta-cli bands\n\nLists the band names and their edges in MHz.\n";
    }
    return ShortUsage() +
           "\nPrism loop antenna designs from the command line. Numbers are read and\n"
           "written with a point, whatever the locale. COMMAND --help tells more.\n";
}

}  // namespace corvanta::cli
