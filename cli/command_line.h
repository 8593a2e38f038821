#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/columns.h"
#include "cli/output.h"
#include "nec/line_stub.h"
#include "nec/check_request.h"
#include "nec/model_check.h"

namespace corvanta::cli {

// A command line that does not follow the usage (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Design, Table, Bands, Nec, Check, Sheet, Record, Line, Help, Version, Analyser, Measure };

struct Sweep {
    std::string from;
    std::string to;
    std::string step;
};

// record: one --measured sweep with the --as-built and --note that follow it.
struct MeasuredCut {
    std::string path;
    std::optional<nec::BuiltLengths> asBuilt;
    std::string note;
};

struct Invocation {
    Command command = Command::Help;
    std::optional<Command> helpFor;        // "COMMAND --help"
    std::optional<std::string> frequency;  // design
    std::vector<std::string> bands;        // table --band
    std::vector<std::string> frequencies;  // table --freqs
    std::optional<Sweep> sweep;            // table --from --to --step
    std::optional<SideChoice> sides;       // none: both shapes
    std::optional<SizeInput> size;
    Format format = Format::Text;
    nec::CheckOptions check;                               // nec, check
    std::string plotPath;                                  // check --plot
    std::string patternPath;                               // check --pattern
    std::string smithPath;                                 // check --smith
    std::string viewPath;                                  // check --view: the loop in three dimensions
    std::optional<std::pair<double, double>> viewAngle;    // check --view-angle AZ:EL in degrees
    std::string s1pPath;                                   // check --s1p: the model's sweep as Touchstone
    std::string measuredPath;                              // check --measured: a measured .s1p to compare
    std::string devicePath;                                // measure, check --device: the analyser to sweep
    std::string outputPath;                                // sheet --output: the whole sheet as PDF; record --output
    std::string recordPath;                                // check --record: the build record to check
    std::string note;                                      // record --note: on the measurement
    std::vector<MeasuredCut> measuredCuts;                 // record: every --measured, in order
    std::optional<std::string> measuredText;               // a record's measurement, read with it
    std::vector<nec::EarlierMeasurement> earlierMeasured;  // a record's measurements before that one
    nec::StubEnd stubEnd = nec::StubEnd::Open;             // line --end
};

Invocation ParseCommandLine(const std::vector<std::string>& arguments);

// The number an option's text stands for, or a UsageError naming both.
double NumberOption(const std::string& option, const std::string& text);

// The usage lines of every command.
std::string ShortUsage();

// The usage and a description of one command with its options, or of the
// program with every command and option (which is also its manual page).
std::string UsageText(std::optional<Command> command);

// The commands and each command's options, as the parser knows them.
std::vector<std::string_view> CommandNames();
std::vector<std::string_view> OptionNames(Command command);

}  // namespace corvanta::cli
