// What each command of corvanta-cli does, once its command line is read:
// a design or a table of them, the band list, a NEC-2 deck, the model check
// with its plots and files, the build sheet, the build record. Exit status:
// 0 done, 1 a design, the model, the engine, a file or a record failed (the
// message names the option or the record's field and its text), 2 the command line is not understood (a height the
// ground cannot hold and lengths as cut that are no loop of the design included), 3 the engine's answer failed a sanity
// check, 128 + the signal when Ctrl+C, SIGTERM or SIGHUP stopped a check or
// the writing of a record. Every file is written whole or not at all
// (core/whole_file.h).

#include "cli/commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <utility>
#include <variant>

#include "cli/columns.h"
#include "cli/cut_list_output.h"
#include "cli/drawing_qt.h"
#include "cli/failure_words.h"
#include "cli/files.h"
#include "cli/interrupt_watch.h"
#include "cli/output.h"
#include "nec/number_text.h"
#include "core/amateur_bands.h"
#include "core/cut_list.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"
#include "device/analyser.h"
#include "nec/build_record.h"
#include "nec/measure_range.h"
#include "nec/built_lengths.h"
#include "nec/check_request.h"
#include "nec/feed_report.h"
#include "nec/measurement.h"
#include "nec/model_check.h"
#include "nec/report.h"
#include "plot/plot_file.h"
#include "sheet/build_sheet.h"
#include "sheet/sheet_figures.h"

namespace corvanta::cli {

namespace {

constexpr std::size_t kMostRows = 10000;

// "Error 13: Type mismatch: --freq "abc" is not a number"; of a record's
// design, its fields by their names in the record.
std::string FailureLine(const RunTimeError& error, const DesignRequest& request, const std::string& record = {}) {
    if (!record.empty()) {
        return record + ": " + FailureText(error, [](Field field) {
                   return std::string(OptionOf(field) == "--freq" ? "design.frequency" : "design.conductor.text");
               });
    }
    std::string subject = "the design for --freq \"" + request.frequency + "\"";
    if (request.size) subject += " with the size \"" + request.size->text + "\"";
    return FailureText(
        error, [](Field field) { return std::string(OptionOf(field)); }, subject);
}

}  // namespace

void Tell(std::string_view message) { std::cerr << "corvanta-cli: " << message << '\n'; }

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

namespace {

// The plots the command line asks for. Qt starts only here, and on its
// offscreen platform unless told otherwise: a server or CI has no display.
std::vector<std::string> DrawPlots(const Invocation& invocation, const nec::ModelCheck& check) {
    const std::pair<const std::string*, plot::PlotKind> files[] = {{&invocation.plotPath, plot::PlotKind::Sweep},
                                                                   {&invocation.patternPath, plot::PlotKind::Pattern},
                                                                   {&invocation.smithPath, plot::PlotKind::Smith}};
    std::vector<std::string> failures;
    if (invocation.viewPath.empty() &&
        std::all_of(std::begin(files), std::end(files), [](const auto& file) { return file.first->empty(); })) {
        return failures;
    }
    const DrawingQt qt;
    for (const auto& [path, kind] : files) {
        if (path->empty()) continue;
        if (auto failed = plot::WritePlot(*path, kind, check)) failures.push_back(*failed);
    }
    if (!invocation.viewPath.empty()) {
        plot::LoopViewSettings settings;
        if (invocation.viewAngle) settings.angle = {invocation.viewAngle->first, invocation.viewAngle->second};
        if (auto failed = plot::WriteLoopView(invocation.viewPath, check, settings)) failures.push_back(*failed);
    }
    return failures;
}

// The one design that nec, check and sheet work on; nothing, after the
// failure is told, when it cannot be computed.
std::optional<Design> DesignOf(const Invocation& invocation) {
    const DesignRequest request{*invocation.frequency, *invocation.sides, invocation.size};
    try {
        return RunDesign(request);
    } catch (const RunTimeError& error) {
        Tell(FailureLine(error, request, invocation.recordPath));
        return std::nullopt;
    }
}

// A measurement or a record handed in, within the reader's limit; none,
// and told, when it is not read (a folder, a device, a pipe, too large).
std::optional<std::string> ReadHandedIn(const std::string& path) {
    try {
        return ReadFile(path);
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure, path));
        return std::nullopt;
    }
}

// The measurement --measured names, read before anything runs; the exit
// status when it does not read.
std::variant<std::optional<nec::OnePortSweep>, int> ReadMeasurement(const Invocation& invocation) {
    if (invocation.measuredPath.empty()) return std::optional<nec::OnePortSweep>{};
    // A record's measurement was read with the record.
    const auto text = invocation.measuredText ? invocation.measuredText : ReadHandedIn(invocation.measuredPath);
    if (!text) return kDesignFailed;
    try {
        return std::optional<nec::OnePortSweep>(nec::ReadTouchstone(*text));
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure, invocation.measuredPath));
        return ExitStatusOf(failure);
    }
}

// Every output's folder, before a check that may run for minutes.
bool OutputsCanBeWritten(const Invocation& invocation) {
    for (const std::string* path : {&invocation.plotPath, &invocation.patternPath, &invocation.smithPath,
                                    &invocation.viewPath, &invocation.s1pPath}) {
        if (path->empty()) continue;
        if (const auto problem = FolderProblem(*path)) {
            Tell(*problem);
            return false;
        }
    }
    return true;
}

// More engines than cores or runs would only wait: say so, and run what
// helps. The report is the same either way.
void TellJobLimit(const Design& design, const nec::CheckOptions& options) {
    const nec::JobLimit jobs = nec::LimitJobs(nec::PlanCheck(design, options), options.jobs);
    if (options.jobs > jobs.used) {
        Tell("--jobs " + std::to_string(options.jobs) + ": " + std::to_string(jobs.used) +
             (jobs.used == 1 ? " engine runs" : " engines run") + " at a time, " +
             (jobs.used == jobs.cores ? "one a core" : "one a run of the check"));
    }
}

// The report first, then every file: one that cannot be written loses
// nothing else. The files that could not be written, worded.
std::vector<std::string> WriteOutputs(const Invocation& invocation, const nec::ModelCheck& check) {
    std::cout << (invocation.format == Format::Json ? nec::ReportJson(check, AdviceWords)
                                                    : nec::ReportText(check, AdviceWords));
    std::cout.flush();
    std::vector<std::string> failures = DrawPlots(invocation, check);
    if (!invocation.s1pPath.empty()) {
        if (auto failed = WriteWhole(invocation.s1pPath, nec::ModelTouchstone(check))) failures.push_back(*failed);
    }
    return failures;
}

// The lengths as cut against the design's. Typed with --as-built they are
// refused (the exit status); a record's are taken with a warning, and its
// check gets no trim: nothing a builder saved becomes unopenable.
std::variant<std::optional<nec::BuiltLengthsRefusal>, int> JudgeAsBuilt(const Invocation& invocation,
                                                                        const nec::LoopModel& model) {
    if (!invocation.check.asBuilt) return std::optional<nec::BuiltLengthsRefusal>{};
    auto refused = nec::JudgeBuiltLengths(*invocation.check.asBuilt, {model.heightMm, model.sideMm, model.gapMm});
    if (!refused) return refused;
    if (invocation.recordPath.empty()) {
        Tell("--as-built: " + nec::Describe(*refused));
        return kUsage;
    }
    Tell("warning: " + invocation.recordPath + ": as_built: " + nec::Describe(*refused) +
         "; the record is checked without a trim");
    return refused;
}

// The check, stopped by Ctrl+C, SIGTERM or SIGHUP; the exit status where
// it stopped or its measurement does not read.
std::variant<nec::ModelCheck, int> RunWatched(nec::CheckRequest request, const std::string& measuredName) {
    const InterruptWatch interrupts;
    request.options.stop = interrupts.Token();
    try {
        return nec::Check(request);
    } catch (const nec::Failure& failure) {
        if (failure.Kind() == nec::FailureKind::Stopped) {
            Tell(FailureWords(failure));
            return 128 + interrupts.Signal();  // as the shell reports a signal
        }
        if (!request.measurement || failure.Kind() != nec::FailureKind::Measurement) throw;
        Tell(FailureWords(failure, measuredName));
        return ExitStatusOf(failure);
    }
}

// Qt's serial ports watch their device from the thread's event loop:
// Qt's core started for as long as an analyser is spoken to, and ended
// before a plot starts Qt's drawing.
class SerialQt {
public:
    SerialQt() {
        if (!QCoreApplication::instance()) application_.emplace(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[13] = "corvanta-cli";
    char* argv_[2] = {name_, nullptr};
    std::optional<QCoreApplication> application_;
};

// The analyser at `path` swept, Ctrl+C, SIGTERM or SIGHUP stopping it;
// the exit status, told, when it fails.
std::variant<device::DeviceSweep, int> SweepDevice(const std::string& path, const device::SweepRequest& request) {
    const SerialQt qt;
    const InterruptWatch interrupts;
    device::SweepOptions options;
    options.stop = interrupts.Token();
    try {
        return device::Sweep(path, request, options);
    } catch (const device::Failure& failure) {
        Tell(failure.what());
        return failure.Kind() == device::FailureKind::Stopped ? 128 + interrupts.Signal() : kDesignFailed;
    }
}

// The sweep --sweep names, in Hz, for an analyser to take.
device::SweepRequest DeviceRequest(const nec::CheckOptions& options, const Design& design) {
    const nec::Sweep sweep = nec::PlanCheck(design, options).sweep;
    return {sweep.fromMHz * 1e6, sweep.ToMHz() * 1e6, sweep.points};
}

// The check, and the analyser's sweep compared with it: over --sweep's
// range, taken before the check runs; else over the range the check
// chooses around its resonance, taken once it has run, and said in the
// text. The exit status where the analyser, the check or the comparison
// fails or is stopped.
std::variant<nec::ModelCheck, int> CheckWithDevice(const Invocation& invocation, nec::CheckRequest request) {
    if (invocation.check.sweepFromMHz) {
        auto taken = SweepDevice(invocation.devicePath, DeviceRequest(invocation.check, request.design));
        if (const int* status = std::get_if<int>(&taken)) return *status;
        device::DeviceSweep& sweep = std::get<device::DeviceSweep>(taken);
        const std::string source = device::SourceOf(sweep);
        request.measurement = nec::MeasurementInput{std::move(sweep.sweep), source, std::nullopt};
        return RunWatched(std::move(request), source);
    }
    // An analyser that is not there is told before the check's minutes;
    // Qt's core is kept up until it has swept.
    const SerialQt qt;
    try {
        device::Identify(invocation.devicePath);
    } catch (const device::Failure& failure) {
        Tell(failure.what());
        return kDesignFailed;
    }
    const Design design = request.design;
    const nec::CheckOptions options = request.options;
    auto ran = RunWatched(std::move(request), {});
    if (const int* status = std::get_if<int>(&ran)) return *status;
    nec::ModelCheck& check = std::get<nec::ModelCheck>(ran);
    // The analysers spoken to here do not say what they sweep.
    const nec::MeasureRangeResult chosen = nec::ChooseMeasureRange(nec::MeasureRangeInputOf(check, std::nullopt));
    if (!chosen.range) {
        Tell("--device: " + chosen.why);
        return kDesignFailed;
    }
    const nec::MeasureRange& range = *chosen.range;
    auto taken = SweepDevice(invocation.devicePath, {range.fromMHz * 1e6, range.toMHz * 1e6, range.points});
    if (const int* status = std::get_if<int>(&taken)) return *status;
    device::DeviceSweep& sweep = std::get<device::DeviceSweep>(taken);
    const std::string source = device::SourceOf(sweep);
    if (invocation.format != Format::Json) std::cout << nec::MeasureRangeText(range) << "\n";
    const InterruptWatch interrupts;
    nec::CheckOptions watched = options;
    watched.stop = interrupts.Token();
    try {
        nec::AddMeasurement(check, design, watched, {std::move(sweep.sweep), source, std::nullopt});
    } catch (const nec::Failure& failure) {
        if (failure.Kind() == nec::FailureKind::Stopped) {
            Tell(FailureWords(failure));
            return 128 + interrupts.Signal();
        }
        if (failure.Kind() != nec::FailureKind::Measurement) throw;
        Tell(FailureWords(failure, source));
        return ExitStatusOf(failure);
    }
    return std::move(check);
}

// check: the engine's verdict, and the measurement beside it.
int RunCheck(const Invocation& invocation, const Design& design) {
    // The check itself withholds the trim of lengths it would refuse.
    const auto judged = JudgeAsBuilt(invocation, nec::PlanCheck(design, invocation.check).model);
    if (const int* status = std::get_if<int>(&judged)) return *status;
    auto measured = ReadMeasurement(invocation);
    if (const int* status = std::get_if<int>(&measured)) return *status;
    if (!OutputsCanBeWritten(invocation)) return kDesignFailed;
    nec::CheckRequest request{design, invocation.check, std::nullopt, invocation.earlierMeasured};
    std::string source = invocation.measuredPath;
    if (auto& sweep = std::get<std::optional<nec::OnePortSweep>>(measured)) {
        request.measurement = nec::MeasurementInput{std::move(*sweep), source, std::nullopt};
    }
    TellJobLimit(design, request.options);
    auto ran = invocation.devicePath.empty() ? RunWatched(std::move(request), source)
                                             : CheckWithDevice(invocation, std::move(request));
    if (const int* status = std::get_if<int>(&ran)) return *status;
    const nec::ModelCheck& check = std::get<nec::ModelCheck>(ran);
    const std::vector<std::string> failures = WriteOutputs(invocation, check);
    for (const std::string& failure : failures) Tell(failure);
    if (!failures.empty()) return kDesignFailed;
    return check.report.Sane() ? 0 : kModelInsane;
}

// nec: the deck on standard output. check: the engine's verdict.
int RunModel(const Invocation& invocation) {
    const std::optional<Design> computed = DesignOf(invocation);
    if (!computed) return kDesignFailed;
    try {
        if (invocation.command == Command::Nec) {
            std::cout << nec::FullDeck(nec::PlanCheck(*computed, invocation.check));
            return 0;
        }
        return RunCheck(invocation, *computed);
    } catch (const nec::Failure& failure) {
        // A record's height is the record's field, not an option to give.
        if (!invocation.recordPath.empty() && failure.Kind() == nec::FailureKind::TooNearGround) {
            Tell(RecordFailureWords(failure, invocation.recordPath));
            return kDesignFailed;
        }
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

// The command line with the record's design in place of the options.
Invocation WithRecordedDesign(Invocation invocation, const nec::BuildRecord& record) {
    invocation.frequency = record.design.frequency;
    invocation.sides = record.design.sides;
    invocation.size = record.design.size;
    return invocation;
}

// sheet --record: the record's check, run as the window runs it (the tune
// included), and the sheet the window would print of it.
int SheetOfRecord(const Invocation& invocation) {
    const auto text = ReadHandedIn(invocation.recordPath);
    if (!text) return kDesignFailed;
    try {
        const nec::BuildRecord record = nec::ReadRecord(*text);
        Invocation recorded = WithRecordedDesign(invocation, record);
        const std::optional<Design> computed = DesignOf(recorded);
        if (!computed) return kDesignFailed;
        const Design& design = *computed;
        CutList list;
        try {
            list = MakeCutList(design);
        } catch (const CutListError& error) {
            Tell(error.what());
            return kDesignFailed;
        }
        if (const auto problem = FolderProblem(invocation.outputPath)) {
            Tell(*problem);
            return kDesignFailed;
        }
        nec::CheckRequest request{design, nec::RecordCheckOptions(record, invocation.check), std::nullopt};
        request.options.tune = true;
        std::string measuredName, measuredOn;
        if (std::optional<nec::OnePortSweep> sweep = nec::LastMeasurement(record)) {
            measuredName = record.measurements.back().file;
            measuredOn = record.measurements.back().loaded;
            request.measurement = nec::MeasurementInput{std::move(*sweep), measuredName, std::nullopt};
        }
        TellJobLimit(design, request.options);
        auto ran = RunWatched(std::move(request), measuredName);
        if (const int* status = std::get_if<int>(&ran)) return *status;
        const nec::ModelCheck& check = std::get<nec::ModelCheck>(ran);
        const DrawingQt qt;
        const sheet::SheetContent content{design, list, NumberFormat{},
                                          sheet::SheetFigures(check, AdviceWords, sheet::MeasuredOnWords(measuredOn))};
        if (const std::optional<QString> failure =
                sheet::WriteSheetPdf(QString::fromStdString(invocation.outputPath), content)) {
            Tell(failure->toStdString());
            return kDesignFailed;
        }
        return check.report.Sane() ? 0 : kModelInsane;
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure, invocation.recordPath));
        const int status = ExitStatusOf(failure);
        return status == kUsage ? kDesignFailed : status;
    } catch (const std::exception& error) {
        Tell(error.what());
    }
    return kDesignFailed;
}

// check --record: the check the record's inputs ask for, as if each had
// been given as its option.
int CheckRecord(const Invocation& invocation) {
    const auto text = ReadHandedIn(invocation.recordPath);
    if (!text) return kDesignFailed;
    try {
        const nec::BuildRecord record = nec::ReadRecord(*text);
        Invocation recorded = WithRecordedDesign(invocation, record);
        recorded.check = nec::RecordCheckOptions(record, invocation.check);
        if (!record.measurements.empty()) {
            recorded.measuredPath = record.measurements.back().file;
            recorded.measuredText = record.measurements.back().touchstone;
            for (std::size_t i = 0; i + 1 < record.measurements.size(); ++i) {
                const nec::RecordMeasurement& m = record.measurements[i];
                recorded.earlierMeasured.push_back({nec::ReadTouchstone(m.touchstone), m.asBuilt});
            }
        }
        return RunModel(recorded);
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure, invocation.recordPath));
        return kDesignFailed;
    }
}

// record: the inputs judged as check would judge them, then written whole.
int WriteRecord(const Invocation& invocation) {
    const std::optional<Design> computed = DesignOf(invocation);
    if (!computed) return kDesignFailed;
    nec::BuildRecord record;
    record.design = {*invocation.frequency, *invocation.sides, invocation.size};
    record.Setup() = invocation.check.Setup();
    try {
        // A height the ground cannot hold is refused now, not when the
        // record is checked; so are the lengths of every cut.
        const nec::CheckPlan plan = nec::PlanCheck(*computed, nec::RecordCheckOptions(record));
        for (const MeasuredCut& cut : invocation.measuredCuts) {
            Invocation one = invocation;
            one.check.asBuilt = cut.asBuilt;
            const auto judged = JudgeAsBuilt(one, plan.model);
            if (const int* status = std::get_if<int>(&judged)) return *status;
        }
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure));
        return ExitStatusOf(failure);
    }
    const std::string now = nec::UtcNow();
    // Each sweep within the reader's limit, on its own.
    for (const MeasuredCut& cut : invocation.measuredCuts) {
        const auto text = ReadHandedIn(cut.path);
        if (!text) return kDesignFailed;
        try {
            nec::ReadTouchstone(*text);
        } catch (const nec::Failure& failure) {
            Tell(FailureWords(failure, cut.path));
            return ExitStatusOf(failure);
        }
        const std::string name = std::filesystem::path(cut.path).filename().string();
        nec::RecordMeasurement measurement{name, now, cut.note, *text, nec::Json::object()};
        measurement.asBuilt = cut.asBuilt;
        record.measurements.push_back(std::move(measurement));
    }
    const std::string text = nec::RecordText(nec::Stamped(record, {}, now));
    // A record with a long measurement takes a while to write: Ctrl+C,
    // SIGTERM or SIGHUP then leave the old record and no part of the new.
    const InterruptWatch interrupts;
    if (const auto failed = WriteWhole(invocation.outputPath, text, interrupts.Token())) {
        if (interrupts.Token().stop_requested()) {
            Tell("stopped: " + invocation.outputPath + " was not written");
            return 128 + interrupts.Signal();
        }
        Tell(*failed);
        return kDesignFailed;
    }
    return 0;
}

// analyser: the devices plugged in, each asked what it is.
int ListAnalysers() {
    const SerialQt qt;
    const std::vector<device::Found> found = device::FindAnalysers(true);
    if (found.empty()) {
        Tell(device::Describe({device::FailureKind::NoDevice}));
        return kDesignFailed;
    }
    for (const device::Found& one : found) {
        std::cout << one.path << "  " << one.usbId << "  ";
        if (one.problem.empty()) {
            std::cout << one.identity.name
                      << (one.identity.firmware.empty() ? "" : ", firmware " + one.identity.firmware);
        } else {
            std::cout << "not asked: " << one.problem;
        }
        std::cout << '\n';
    }
    return 0;
}

// measure: the analyser's sweep as a Touchstone file, written whole once
// the whole sweep is read.
int Measure(const Invocation& invocation) {
    if (const auto problem = FolderProblem(invocation.outputPath)) {
        Tell(*problem);
        return kDesignFailed;
    }
    const nec::CheckOptions& asked = invocation.check;
    auto taken =
        SweepDevice(invocation.devicePath, {*asked.sweepFromMHz * 1e6, *asked.sweepToMHz * 1e6, asked.sweepPoints});
    if (const int* status = std::get_if<int>(&taken)) return *status;
    if (const auto failed = WriteWhole(invocation.outputPath, std::get<device::DeviceSweep>(taken).touchstone)) {
        Tell(*failed);
        return kDesignFailed;
    }
    return 0;
}

}  // namespace

void ListBands(std::ostream& out) {
    out << "band   low MHz  centre MHz  high MHz\n";
    for (const Band& band : Bands()) {
        std::string line(band.name);
        line.resize(6, ' ');
        out << line << ' ' << std::string(8 - band.low.size(), ' ') << band.low << "  "
            << std::string(10 - band.centre.size(), ' ') << band.centre << "  "
            << std::string(8 - band.high.size(), ' ') << band.high << '\n';
    }
}

// line --measured: a stub's velocity factor and loss.
int ReadLineStub(const Invocation& invocation) {
    const auto read = ReadMeasurement(invocation);
    if (const int* status = std::get_if<int>(&read)) return *status;
    const nec::OnePortSweep& sweep = *std::get<std::optional<nec::OnePortSweep>>(read);
    const double lengthMm = invocation.check.lineLengthMm.value_or(0);
    const double ohm = invocation.check.lineImpedanceOhm;
    try {
        const nec::StubReading stub = nec::ReadStub(sweep, lengthMm, invocation.stubEnd, ohm);
        std::cout << nec::StubWords(stub, lengthMm, invocation.stubEnd, ohm, invocation.measuredPath)
                  << "give it to check as --velocity-factor " << nec::Fixed(stub.velocityFactor, 3) << "\n";
    } catch (const nec::Failure& failure) {
        Tell(FailureWords(failure, invocation.measuredPath));
        return ExitStatusOf(failure);
    }
    return 0;
}

int Run(const Invocation& invocation) {
    switch (invocation.command) {
        case Command::Help:
            std::cout << UsageText(invocation.helpFor);
            return 0;
        case Command::Version:
            std::cout << "corvanta-cli " << CORVANTA_VERSION << '\n';
            return 0;
        case Command::Bands:
            ListBands(std::cout);
            return 0;
        case Command::Analyser:
            return ListAnalysers();
        case Command::Measure:
            return Measure(invocation);
        case Command::Check:
            if (!invocation.recordPath.empty()) return CheckRecord(invocation);
            return RunModel(invocation);
        case Command::Nec:
            return RunModel(invocation);
        case Command::Record:
            return WriteRecord(invocation);
        case Command::Line:
            return ReadLineStub(invocation);
        case Command::Sheet:
            if (!invocation.recordPath.empty()) return SheetOfRecord(invocation);
            return RunSheet(invocation);
        case Command::Design:
        case Command::Table:
            break;
    }

    const std::vector<std::string> frequencies =
        invocation.command == Command::Design ? std::vector{*invocation.frequency} : TableFrequencies(invocation);
    const std::vector<SideChoice> shapes =
        invocation.sides ? std::vector{*invocation.sides} : std::vector{SideChoice::Three, SideChoice::Four};
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
