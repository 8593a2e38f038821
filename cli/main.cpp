// corvanta-cli: designs and band tables from the calculator library, for
// scripts and printing, and a NEC-2 model of a design with the engine's
// check. Exit status: 0 done, 1 a design or the model failed (the message
// names the option and its text), 2 the command line is not understood,
// 3 the engine's answer failed a sanity check.

#include <QByteArray>
#include <QGuiApplication>
#include <atomic>
#include <cmath>
#include <csignal>
#include <optional>
#include <utility>
#include <iostream>
#include <string>
#include <vector>

#include "cli/bands.h"
#include "cli/command_line.h"
#include "cli/columns.h"
#include "cli/output.h"
#include "nec/model_check.h"
#include "nec/report.h"
#include "plot/plot_file.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"

namespace corvanta::cli {

namespace {

constexpr int kDesignFailed = 1;
constexpr int kUsage = 2;
constexpr int kModelInsane = 3;  // check: a sanity check of the model failed
constexpr int kInterrupted = 130;
constexpr std::size_t kMostRows = 10000;

// "error 13: Type mismatch: --freq "abc" is not a number".
std::string FailureLine(const RunTimeError& error, const DesignRequest& request) {
    std::string line = "error " + std::to_string(static_cast<int>(error.Number())) + ": " +
                       std::string(Description(error.Number()));
    if (const auto field = error.FailedField()) {
        line += ": " + std::string(OptionOf(*field)) + " \"" + error.FieldText() + "\"";
        line += error.Number() == ErrorNumber::TypeMismatch ? " is not a number" : " is out of range";
    } else {
        line += ": the design for --freq \"" + request.frequency + "\"";
        if (request.size) line += " with the size \"" + request.size->text + "\"";
        line += " cannot be computed";
    }
    return line;
}

double SweepNumber(const std::string& option, const std::string& text) {
    const Parsed<double> parsed = ParseDouble(text);
    if (!parsed) {
        throw UsageError(option + " \"" + text + "\" is not a number");
    }
    return *parsed.value;
}

// The frequency texts of a table, as they go into the frequency field.
std::vector<std::string> TableFrequencies(const Invocation& invocation) {
    if (!invocation.frequencies.empty()) return invocation.frequencies;
    std::vector<std::string> texts;
    if (invocation.sweep) {
        const double from = SweepNumber("--from", invocation.sweep->from);
        const double to = SweepNumber("--to", invocation.sweep->to);
        const double step = SweepNumber("--step", invocation.sweep->step);
        if (!(step > 0) || from > to) throw UsageError("a sweep needs --from <= --to and --step > 0");
        // A tolerance of a millionth of a step keeps the last edge that
        // repeated additions would miss by a rounding.
        const double count = std::floor((to - from) / step + 1e-6) + 1;
        if (count > static_cast<double>(kMostRows)) throw UsageError("a sweep of more than 10000 rows");
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            texts.push_back(FormatDouble(from + static_cast<double>(i) * step));
        }
        return texts;
    }
    for (const std::string& name : invocation.bands) {
        const auto band = FindBand(name);
        if (!band) throw UsageError("unknown band \"" + name + "\" (corvanta-cli bands lists them)");
        for (std::string_view text : {band->low, band->centre, band->high}) texts.emplace_back(text);
    }
    return texts;
}

// Set by Ctrl+C (or SIGTERM): the engines are stopped and their files go.
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int /*signal*/) { interrupted = true; }

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QtMessageHandler qtMessages = nullptr;

// Qt warns at start, as root without XDG_RUNTIME_DIR (CI, containers), of a
// directory that drawing never uses; everything else it says goes through.
void QuietStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    qtMessages(type, context, message);
}

// The plots the command line asks for. Qt starts only here, and on its
// offscreen platform unless told otherwise: a server or CI has no display.
std::optional<std::string> DrawPlots(const Invocation& invocation, const nec::ModelCheck& check) {
    const std::pair<const std::string*, plot::PlotKind> files[] = {
        {&invocation.plotPath, plot::PlotKind::Sweep}, {&invocation.patternPath, plot::PlotKind::Pattern}};
    if (invocation.plotPath.empty() && invocation.patternPath.empty()) return std::nullopt;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(QuietStart);
    int argc = 1;
    char name[] = "corvanta-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    for (const auto& [path, kind] : files) {
        if (path->empty()) continue;
        if (auto failed = plot::WritePlot(*path, kind, check)) return failed;
    }
    return std::nullopt;
}

// nec: the deck on standard output. check: the engine's verdict.
int RunModel(const Invocation& invocation) {
    const DesignRequest request{*invocation.frequency, *invocation.sides, invocation.size};
    Design design;
    try {
        design = RunDesign(request);
    } catch (const RunTimeError& error) {
        std::cerr << "corvanta-cli: " << FailureLine(error, request) << '\n';
        return kDesignFailed;
    }
    try {
        nec::CheckOptions options = invocation.check;
        if (invocation.command == Command::Nec) {
            std::cout << nec::FullDeck(nec::PlanCheck(design, options));
            return 0;
        }
        CatchInterrupts();
        options.stop = &interrupted;
        const nec::ModelCheck check = nec::RunCheck(design, options);
        // The report first: a plot that cannot be written loses nothing else.
        std::cout << (invocation.format == Format::Json ? nec::ReportJson(check)
                                                        : nec::ReportText(check));
        std::cout.flush();
        if (const auto failed = DrawPlots(invocation, check)) {
            std::cerr << "corvanta-cli: " << *failed << '\n';
            return kDesignFailed;
        }
        return check.report.Sane() ? 0 : kModelInsane;
    } catch (const nec::PlacementError& error) {
        std::cerr << "corvanta-cli: " << error.what() << '\n' << ShortUsage();
        return kUsage;
    } catch (const nec::EngineStopped& error) {
        std::cerr << "corvanta-cli: " << error.what() << '\n';
        return kInterrupted;
    } catch (const std::exception& error) {
        // The model refused, the engine failed, or its answer is broken.
        std::cerr << "corvanta-cli: " << error.what() << '\n';
    }
    return kDesignFailed;
}

}  // namespace

int Run(const Invocation& invocation) {
    switch (invocation.command) {
    case Command::Help:
        std::cout << UsageText(invocation.helpFor);
        return 0;
    case Command::Version:
        std::cout << "corvanta-cli " << CORVANTA_VERSION << '\n';
        return 0;
    case Command::Bands:
        std::cout << "band   low MHz  centre MHz  high MHz\n";
        for (const Band& band : kBands) {
            std::string line(band.name);
            line.resize(6, ' ');
            std::cout << line << ' ' << std::string(8 - band.low.size(), ' ') << band.low << "  "
                      << std::string(10 - band.centre.size(), ' ') << band.centre << "  "
                      << std::string(8 - band.high.size(), ' ') << band.high << '\n';
        }
        return 0;
    case Command::Nec:
    case Command::Check:
        return RunModel(invocation);
    case Command::Design:
    case Command::Table:
        break;
    }

    const std::vector<std::string> frequencies = invocation.command == Command::Design
                                                     ? std::vector{*invocation.frequency}
                                                     : TableFrequencies(invocation);
    const std::vector<SideChoice> shapes =
        invocation.sides ? std::vector{*invocation.sides}
                         : std::vector{SideChoice::Three, SideChoice::Four};
    std::vector<DesignRow> rows;
    for (const std::string& frequency : frequencies) {
        for (SideChoice sides : shapes) {
            const DesignRequest request{frequency, sides, invocation.size};
            try {
                rows.push_back(RowOf(RunDesign(request)));
            } catch (const RunTimeError& error) {
                // A failed design prints nothing; a table keeps its rows before.
                if (invocation.command == Command::Table) Write(std::cout, invocation.format, rows);
                std::cout.flush();
                std::cerr << "corvanta-cli: " << FailureLine(error, request) << '\n';
                return kDesignFailed;
            }
        }
    }
    Write(std::cout, invocation.format, rows);
    return 0;
}

}  // namespace corvanta::cli

int main(int argc, char* argv[]) {
    using namespace corvanta::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return Run(ParseCommandLine(arguments));
    } catch (const UsageError& error) {
        std::cerr << "corvanta-cli: " << error.what() << '\n' << ShortUsage();
        return kUsage;
    }
}
