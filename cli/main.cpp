// corvanta-cli: designs and band tables from the calculator library, for
// scripts and printing, a NEC-2 model of a design with the engine's check,
// and a design's build sheet (its cut list, or the whole page as PDF). Exit
// status: 0 done, 1 a design, the model, the engine or a file failed (the
// message names the option and its text), 2 the command line is not
// understood (a height the ground cannot hold included), 3 the engine's
// answer failed a sanity check, 128 + the signal when Ctrl+C, SIGTERM or
// SIGHUP (the terminal closed) stopped a check.

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QGuiApplication>
#include <cmath>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <iostream>
#include <sstream>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/amateur_bands.h"
#include "cli/command_line.h"
#include "cli/columns.h"
#include "cli/cut_list_output.h"
#include "cli/failure_words.h"
#include "cli/output.h"
#include "core/cut_list.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/report.h"
#include "plot/plot_file.h"
#include "sheet/build_sheet.h"

namespace corvanta::cli {

namespace {

constexpr int kDesignFailed = 1;
constexpr int kUsage = 2;
constexpr int kModelInsane = 3;  // check: a sanity check of the model failed
constexpr std::size_t kMostRows = 10000;

// Every message of the program on standard error, "corvanta-cli: " first.
void Tell(std::string_view message) { std::cerr << "corvanta-cli: " << message << '\n'; }

// "Error 13: Type mismatch: --freq "abc" is not a number".
std::string FailureLine(const RunTimeError& error, const DesignRequest& request) {
    std::string subject = "the design for --freq \"" + request.frequency + "\"";
    if (request.size) subject += " with the size \"" + request.size->text + "\"";
    return FailureText(error, [](Field field) { return std::string(OptionOf(field)); }, subject);
}

// The frequency texts of a table, as they go into the frequency field.
std::vector<std::string> TableFrequencies(const Invocation& invocation) {
    if (!invocation.frequencies.empty()) return invocation.frequencies;
    std::vector<std::string> texts;
    if (invocation.sweep) {
        const double from = NumberOption("--from", invocation.sweep->from);
        const double to = NumberOption("--to", invocation.sweep->to);
        const double step = NumberOption("--step", invocation.sweep->step);
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

// Ctrl+C, SIGTERM or SIGHUP (the terminal closed) during a check stops it:
// the engines are killed, their files go, and the program ends with 128 +
// the signal, as a shell reports one. Left to its default, SIGHUP would end
// the program on the spot and leave the temporary folder behind.
//
// A signal handler may not take a lock, and std::stop_source's request_stop
// may (it runs the stop's callbacks), so the handler only records the
// signal and writes a byte into a pipe; a watcher thread wakes on that byte
// and asks for the stop. Outside a check the signals keep their defaults.
int wakeWatcher = -1;              // the pipe's writing end, for the handler
volatile std::sig_atomic_t caught = 0;

extern "C" void OnInterrupt(int signal) {
    const int saved = errno;
    caught = signal;
    const char stop = 1;
    // Non-blocking: a full pipe already holds a stop.
    [[maybe_unused]] const auto written = ::write(wakeWatcher, &stop, 1);
    errno = saved;
}

class InterruptWatch {
public:
    InterruptWatch() {
        // Close-on-exec, so that no engine holds the pipe open.
        if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
        ::fcntl(pipe_[1], F_SETFL, O_NONBLOCK);
        wakeWatcher = pipe_[1];
        watcher_ = std::jthread([this] {
            char byte = 0;
            while (::read(pipe_[0], &byte, 1) < 0 && errno == EINTR) {
            }
            if (byte == 1) stop_.request_stop();
        });
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (int signal : kSignals) sigaction(signal, &action, nullptr);
    }
    ~InterruptWatch() {
        if (!watcher_.joinable()) return;
        // From here a signal ends the program as it would without a check.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (int signal : kSignals) sigaction(signal, &action, nullptr);
        const char done = 0;
        [[maybe_unused]] const auto written = ::write(pipe_[1], &done, 1);
        watcher_.join();
        wakeWatcher = -1;
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token Token() const { return stop_.get_token(); }
    // The signal that stopped the check.
    int Signal() const { return caught; }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    int pipe_[2] = {-1, -1};
    std::stop_source stop_;
    std::jthread watcher_;
};

QtMessageHandler qtMessages = nullptr;

// Qt warns at start, as root without XDG_RUNTIME_DIR (CI, containers), of a
// directory that drawing never uses; everything else it says goes through.
void QuietStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    qtMessages(type, context, message);
}

// Qt for drawing plots and the sheet, started only when something is drawn,
// on its offscreen platform unless told otherwise: a server or CI has no
// display.
class DrawingQt {
public:
    DrawingQt() : application_((Prepare(), argc_), argv_) {}

private:
    static void Prepare() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        qtMessages = qInstallMessageHandler(QuietStart);
    }
    // Qt keeps a reference to these for the application's life.
    int argc_ = 1;
    char name_[13] = "corvanta-cli";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication application_;
};

// The plots the command line asks for. Qt starts only here, and on its
// offscreen platform unless told otherwise: a server or CI has no display.
std::vector<std::string> DrawPlots(const Invocation& invocation, const nec::ModelCheck& check) {
    const std::pair<const std::string*, plot::PlotKind> files[] = {
        {&invocation.plotPath, plot::PlotKind::Sweep}, {&invocation.patternPath, plot::PlotKind::Pattern}};
    std::vector<std::string> failures;
    if (invocation.plotPath.empty() && invocation.patternPath.empty()) return failures;
    const DrawingQt qt;
    for (const auto& [path, kind] : files) {
        if (path->empty()) continue;
        if (auto failed = plot::WritePlot(*path, kind, check)) failures.push_back(*failed);
    }
    return failures;
}

// Why a file could not be written there, found before a check that may run
// for minutes: its folder is missing or not writable.
std::optional<std::string> FolderProblem(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    std::error_code error;
    if (!std::filesystem::is_directory(where, error)) {
        return "cannot write " + path + ": there is no folder " + where.string();
    }
    if (::access(where.c_str(), W_OK) != 0) {
        return "cannot write " + path + ": the folder " + where.string() + " is not writable";
    }
    return std::nullopt;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return text.str();
}

// The one design that nec, check and sheet work on; nothing, after the
// failure is told, when it cannot be computed.
std::optional<Design> DesignOf(const Invocation& invocation) {
    const DesignRequest request{*invocation.frequency, *invocation.sides, invocation.size};
    try {
        return RunDesign(request);
    } catch (const RunTimeError& error) {
        Tell(FailureLine(error, request));
        return std::nullopt;
    }
}

// nec: the deck on standard output. check: the engine's verdict.
int RunModel(const Invocation& invocation) {
    const std::optional<Design> computed = DesignOf(invocation);
    if (!computed) return kDesignFailed;
    const Design& design = *computed;
    try {
        nec::CheckOptions options = invocation.check;
        if (invocation.command == Command::Nec) {
            std::cout << nec::FullDeck(nec::PlanCheck(design, options));
            return 0;
        }
        // A measurement that does not read stops here, before anything is run.
        std::optional<nec::OnePortSweep> measured;
        if (!invocation.measuredPath.empty()) {
            const auto text = ReadFile(invocation.measuredPath);
            if (!text) {
                Tell("cannot read " + invocation.measuredPath + ": " + std::strerror(errno));
                return kDesignFailed;
            }
            try {
                measured = nec::ReadTouchstone(*text);
            } catch (const nec::Failure& failure) {
                Tell(FailureWords(failure, invocation.measuredPath));
                return ExitStatusOf(failure);
            }
        }
        for (const std::string* path : {&invocation.plotPath, &invocation.patternPath, &invocation.s1pPath}) {
            if (path->empty()) continue;
            if (const auto problem = FolderProblem(*path)) {
                Tell(*problem);
                return kDesignFailed;
            }
        }
        // More engines than cores or runs would only wait: say so, and
        // run what helps. The report is the same either way.
        const nec::JobLimit jobs = nec::LimitJobs(nec::PlanCheck(design, options), options.jobs);
        if (options.jobs > jobs.used) {
            Tell("--jobs " + std::to_string(options.jobs) + ": " + std::to_string(jobs.used) +
                 (jobs.used == 1 ? " engine runs" : " engines run") + " at a time, " +
                 (jobs.used == jobs.cores ? "one a core" : "one a run of the check"));
        }
        std::optional<nec::ModelCheck> ran;
        {
            const InterruptWatch interrupts;
            options.stop = interrupts.Token();
            try {
                ran = nec::RunCheck(design, options);
            } catch (const nec::Failure& failure) {
                if (failure.Kind() != nec::FailureKind::Stopped) throw;
                Tell(FailureWords(failure));
                return 128 + interrupts.Signal();  // as the shell reports a signal
            }
        }
        nec::ModelCheck& check = *ran;
        if (measured) {
            try {
                check.measured = nec::CompareMeasurement(check, *measured, invocation.measuredPath);
            } catch (const nec::Failure& failure) {
                Tell(FailureWords(failure, invocation.measuredPath));
                return ExitStatusOf(failure);
            }
        }
        // The report first, then every file: one that cannot be written
        // loses nothing else.
        std::cout << (invocation.format == Format::Json ? nec::ReportJson(check, AdviceWords)
                                                        : nec::ReportText(check, AdviceWords));
        std::cout.flush();
        std::vector<std::string> failures = DrawPlots(invocation, check);
        if (!invocation.s1pPath.empty()) {
            std::ofstream file(invocation.s1pPath, std::ios::binary);
            file << nec::ModelTouchstone(check);
            file.close();
            if (!file) failures.push_back("cannot write " + invocation.s1pPath + ": " + std::strerror(errno));
        }
        for (const std::string& failure : failures) Tell(failure);
        if (!failures.empty()) return kDesignFailed;
        return check.report.Sane() ? 0 : kModelInsane;
    } catch (const nec::Failure& failure) {
        // The model refused, the engine failed, or its answer is broken.
        Tell(FailureWords(failure));
        const int status = ExitStatusOf(failure);
        if (status == kUsage) std::cerr << ShortUsage();
        return status;
    } catch (const std::exception& error) {
        // The system refused (memory, a file the report goes to).
        Tell(error.what());
    }
    return kDesignFailed;
}

// The whole sheet as PDF. Qt starts only here, on the offscreen platform
// unless told otherwise, so that no display is needed.
int WriteSheet(const std::string& path, const Design& design, const CutList& list) {
    const DrawingQt qt;
    const std::optional<QString> failure =
        sheet::WriteSheetPdf(QString::fromStdString(path), {design, list, NumberFormat{}, std::nullopt});
    if (failure) {
        Tell(failure->toStdString());
        return kDesignFailed;
    }
    return 0;
}

// sheet: the cut list on standard output, or the whole sheet as PDF.
int RunSheet(const Invocation& invocation) {
    const std::optional<Design> computed = DesignOf(invocation);
    if (!computed) return kDesignFailed;
    const Design& design = *computed;
    CutList list;
    try {
        list = MakeCutList(design);
    } catch (const CutListError& error) {
        Tell(error.what());
        return kDesignFailed;
    }
    if (!invocation.outputPath.empty()) return WriteSheet(invocation.outputPath, design, list);
    WriteCutList(std::cout, invocation.format, design, list);
    return 0;
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
        for (const Band& band : Bands()) {
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
    case Command::Sheet:
        return RunSheet(invocation);
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
                Tell(FailureLine(error, request));
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
        Tell(error.what());
        std::cerr << ShortUsage();
        return kUsage;
    }
}
