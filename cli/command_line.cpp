#include "cli/command_line.h"

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

void SetSize(Invocation& invocation, SizeUnit unit, std::string text) {
    if (invocation.size) throw UsageError("give only one of --awg, --inch and --mm");
    invocation.size = SizeInput{unit, std::move(text)};
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
    const std::optional<Command> command = CommandNamed(first);
    if (!command) throw UsageError("unknown command \"" + first + "\"");
    invocation.command = *command;

    std::optional<std::string> from, to, step;
    while (!reader.Done()) {
        std::string option = reader.Take();
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = option.find('='); option.starts_with("--") &&
                                                         equals != std::string::npos) {
            inlineValue = option.substr(equals + 1);
            option.resize(equals);
        }
        const bool design = *command == Command::Design;
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
        } else if ((design || table) && option == "--format") {
            const std::string format = reader.Value(option, inlineValue);
            if (format == "text") invocation.format = Format::Text;
            else if (format == "csv") invocation.format = Format::Csv;
            else if (format == "json") invocation.format = Format::Json;
            else throw UsageError("--format is text, csv or json");
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

    if (*command == Command::Design && !invocation.frequency) throw UsageError("design needs --freq");
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

}  // namespace

std::string ShortUsage() {
    return "usage: " + kDesignUsage + "\n       " + kTableUsage +
           "\n       corvanta-cli bands\n       corvanta-cli --version\n";
}

std::string UsageText(std::optional<Command> command) {
    if (command == Command::Design) {
        return "usage: " + kDesignUsage +
               "\n\nA prism loop design, as the window computes it: the frequency in MHz,\n"
               "ACCEPT, then the size's CHANGE if one is given, then COMPUTE. Without\n"
               "--sides both the three- and the four-sided loop are printed.\n";
    }
    if (command == Command::Table) {
        return "usage: " + kTableUsage +
               "\n\nOne design per frequency (and shape). --band takes band names (corvanta-cli\n"
               "bands lists them) and gives each band's low edge, centre and high edge;\n"
               "--freqs takes a comma-separated list; --from/--to/--step a sweep in MHz.\n"
               "A failing row stops the table after the rows before it.\n";
    }
    if (command == Command::Bands) {
        return "usage: corvanta-cli bands\n\nLists the band names and their edges in MHz.\n";
    }
    return ShortUsage() +
           "\nPrism loop antenna designs from the command line. Numbers are read and\n"
           "written with a point, whatever the locale. COMMAND --help tells more.\n";
}

}  // namespace corvanta::cli
