#include "device/analyser.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>
#include <utility>

#include "nec/build_record.h"

namespace corvanta::device {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kPrompt = "ch> ";
// The most any one wait for the device lasts before the stop is looked at.
constexpr auto kSlice = std::chrono::milliseconds(50);
constexpr std::size_t kLargeBoardPoints = 401;
constexpr std::size_t kSmallBoardPoints = 101;
constexpr int kMostPoints = 10000;

Clock::time_point After(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// What the device printed, fit for a message: printable ASCII, short.
std::string Shown(std::string_view text) {
    std::string shown;
    for (char c : text) {
        if (shown.size() >= 60) {
            shown += "...";
            break;
        }
        if (c == '\r') continue;
        if (c == '\n') {
            shown += " | ";
        } else if (c >= ' ' && c <= '~') {
            shown += c;
        } else {
            shown += '?';
        }
    }
    return shown;
}

std::string GroupOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (const group* named = ::getgrgid(status.st_gid); named && named->gr_name) return named->gr_name;
    }
    return "dialout";
}

// One open port and what has come from it but not yet been taken.
class Link {
public:
    Link(std::string path, std::stop_token stop) : path_(std::move(path)), stop_(std::move(stop)) {
        if (!QFileInfo::exists(QString::fromStdString(path_))) Throw(FailureKind::NoDevice);
        if (::access(path_.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
            Throw({FailureKind::PermissionDenied, path_, GroupOf(path_)});
        }
        port_.setPortName(QString::fromStdString(path_));
        if (!port_.open(QIODevice::ReadWrite)) {
            switch (port_.error()) {
                case QSerialPort::DeviceNotFoundError:
                    Throw(FailureKind::NoDevice);
                case QSerialPort::PermissionError:
                    Throw(FailureKind::PortBusy);
                default:
                    Throw({FailureKind::UnknownAnswer,
                           path_,
                           {},
                           "open",
                           port_.errorString().toStdString(),
                           "so the port does not open"});
            }
        }
        // A CDC-ACM device ignores these; a pseudo-terminal refuses some.
        port_.setBaudRate(QSerialPort::Baud115200);
        port_.setDataBits(QSerialPort::Data8);
        port_.setParity(QSerialPort::NoParity);
        port_.setStopBits(QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        port_.clearError();
    }

    const std::string& Path() const { return path_; }

    // The first prompt. A bare CR is answered "ch> ", "\r\nch> " or "?"
    // and a prompt, by the firmware; what is left over is skipped by Ask.
    void Greet(double seconds) {
        Write("\r");
        const auto deadline = After(seconds);
        while (!buffer_.ends_with(kPrompt)) Fill(deadline, {}, seconds);
        buffer_.clear();
    }

    // The lines `command` printed. `lines` is told how many have come.
    std::vector<std::string> Ask(const std::string& command, double seconds,
                                 const std::function<void(std::size_t)>& lines = {}) {
        Write(command + "\r");
        const std::string echo = command + "\r\n";
        const auto deadline = After(seconds);
        std::size_t told = 0;
        while (true) {
            SkipLeftovers();
            const std::size_t echoed = buffer_.find(echo);
            if (echoed != std::string::npos) {
                const std::size_t body = echoed + echo.size();
                if (buffer_.size() >= body + kPrompt.size() && buffer_.ends_with(kPrompt)) {
                    std::vector<std::string> out = Lines(buffer_.substr(body, buffer_.size() - kPrompt.size() - body));
                    buffer_.clear();
                    return out;
                }
                if (lines) {
                    const std::size_t count = static_cast<std::size_t>(
                        std::count(buffer_.begin() + static_cast<std::ptrdiff_t>(body), buffer_.end(), '\n'));
                    if (count != told) lines(told = count);
                }
            } else if (buffer_.ends_with(kPrompt) && buffer_.size() > kPrompt.size()) {
                // A prompt, but not after this command's echo.
                Throw({FailureKind::UnknownAnswer, path_, {}, command, Shown(buffer_), {}});
            }
            Fill(deadline, command, seconds);
        }
    }

    // Points `done` of `total` when the device goes away now.
    void Progress(std::size_t done, std::size_t total) {
        done_ = done;
        total_ = total;
    }

    // A wait the device needs, the stop looked at.
    void Wait(double seconds) {
        const auto deadline = After(seconds);
        while (Clock::now() < deadline) {
            if (stop_.stop_requested()) Throw(FailureKind::Stopped);
            std::this_thread::sleep_for(std::min<Clock::duration>(kSlice, deadline - Clock::now()));
        }
    }

    [[noreturn]] void Throw(FailureKind kind) const { Throw(FailureFacts{kind, path_}); }
    [[noreturn]] void Throw(FailureFacts facts) const {
        if (facts.kind == FailureKind::Unplugged) {
            facts.done = done_;
            facts.total = total_;
        }
        throw Failure(std::move(facts));
    }

private:
    void Write(const std::string& text) {
        if (port_.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
            !port_.waitForBytesWritten(static_cast<int>(kSlice.count()) * 20)) {
            if (Gone()) Throw(FailureKind::Unplugged);
        }
    }

    bool Gone() const {
        return port_.error() == QSerialPort::ResourceError || !QFileInfo::exists(QString::fromStdString(path_));
    }

    // Prompts and stray CR, LF or "?" before an echo: the rest of the
    // greeting's answer.
    void SkipLeftovers() {
        std::size_t start = 0;
        while (start < buffer_.size()) {
            if (buffer_.compare(start, kPrompt.size(), kPrompt) == 0) {
                start += kPrompt.size();
            } else if (buffer_[start] == '\r' || buffer_[start] == '\n' || buffer_[start] == '?') {
                ++start;
            } else {
                break;
            }
        }
        buffer_.erase(0, start);
    }

    void Fill(Clock::time_point deadline, const std::string& command, double seconds) {
        if (stop_.stop_requested()) Throw(FailureKind::Stopped);
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) Throw({FailureKind::NoPrompt, path_, {}, command, {}, {}, seconds});
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min<Clock::duration>(left, kSlice));
        if (port_.waitForReadyRead(static_cast<int>(std::max<long long>(wait.count(), 1)))) {
            const QByteArray bytes = port_.readAll();
            buffer_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        } else if (Gone()) {
            Throw(FailureKind::Unplugged);
        }
        // So much without a prompt is no analyser talking.
        if (buffer_.size() > 4'000'000) Throw({FailureKind::UnknownAnswer, path_, {}, command, Shown(buffer_), {}});
    }

    static std::vector<std::string> Lines(std::string_view text) {
        std::vector<std::string> lines;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines.emplace_back(line);
            if (end == std::string_view::npos) break;
            text.remove_prefix(end + 1);
        }
        return lines;
    }

    std::string path_;
    std::stop_token stop_;
    QSerialPort port_;
    std::string buffer_;
    std::size_t done_ = 0, total_ = 0;
};

std::optional<double> Number(std::string_view word) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<double> Numbers(std::string_view line) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start < line.size()) {
        if (line[start] == ' ' || line[start] == '\t') {
            ++start;
            continue;
        }
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos) end = line.size();
        const auto number = Number(line.substr(start, end - start));
        if (!number) return {};
        numbers.push_back(*number);
        start = end;
    }
    return numbers;
}

// "NAME?": the firmware has no such command.
bool Unknown(const std::vector<std::string>& lines, std::string_view name) {
    return lines.size() == 1 && lines[0].size() == name.size() + 1 && lines[0].starts_with(name) &&
           lines[0].back() == '?';
}

bool TooManyPoints(const std::vector<std::string>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& line) { return line.find("exceeds range") != std::string::npos; });
}

std::string Printable(std::string_view text) {
    std::string shown = Shown(text);
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    return shown;
}

Identity AskIdentity(Link& link, const Timing& timing) {
    Identity identity;
    const auto version = link.Ask("version", timing.promptSeconds);
    if (!Unknown(version, "version") && !version.empty()) identity.firmware = Printable(version.front());
    const auto info = link.Ask("info", timing.promptSeconds);
    identity.name = "analyser";
    if (!Unknown(info, "info")) {
        for (const std::string& line : info) {
            if (!Printable(line).empty()) {
                identity.name = Printable(line);
                break;
            }
        }
    }
    if (identity.firmware.empty() && !Unknown(info, "info") && info.size() > 1) identity.firmware = Printable(info[1]);
    return identity;
}

std::string Whole(double hz) { return std::to_string(static_cast<long long>(std::llround(hz))); }

// The shortest text that reads back as `value`; a frequency in whole
// hertz without an exponent.
std::string Text(double value, std::chars_format format = std::chars_format::general) {
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    return std::string(buffer, ec == std::errc{} ? end : buffer);
}

class Sweeper {
public:
    Sweeper(Link& link, const SweepRequest& request, const SweepOptions& options)
        : link_(link), options_(options), grid_(Grid(request)) {
        const double step =
            grid_.size() > 1 ? (grid_.back() - grid_.front()) / static_cast<double>(grid_.size() - 1) : 0;
        tolerance_ = std::max(2.0, step / 4);
    }

    // The newer family; false when the firmware has no scan.
    bool Scan() {
        std::size_t limit = kLargeBoardPoints;
        for (std::size_t first = 0; first < grid_.size();) {
            const Segment segment = Segments(grid_.size() - first, limit).front();
            const std::size_t a = first, n = segment.count;
            const std::string command =
                "scan " + Whole(grid_[a]) + " " + Whole(grid_[a + n - 1]) + " " + std::to_string(n) + " 3";
            link_.Progress(hz_.size(), grid_.size());
            const auto lines = link_.Ask(command, Seconds(n), [&](std::size_t count) {
                link_.Progress(hz_.size() + std::min(count, n), grid_.size());
                Tell(hz_.size() + std::min(count, n));
            });
            if (first == 0 && Unknown(lines, "scan")) return false;
            if (TooManyPoints(lines) && limit > kSmallBoardPoints) {
                limit = kSmallBoardPoints;
                continue;
            }
            if (lines.size() != n) Refuse(command, lines, "not " + std::to_string(n) + " points");
            for (std::size_t i = 0; i < n; ++i) {
                const std::vector<double> numbers = Numbers(lines[i]);
                if (numbers.size() != 3) Refuse(command, {lines[i]}, "not a point's FREQ RE IM");
                Take(command, lines[i], a + i, numbers[0], {numbers[1], numbers[2]});
            }
            first += n;
            Tell(hz_.size());
        }
        link_.Ask("resume", options_.timing.promptSeconds);
        return true;
    }

    // The older family: a running sweep, read once a whole new one has run.
    void Old() {
        std::size_t limit = kLargeBoardPoints;
        for (std::size_t first = 0; first < grid_.size();) {
            const Segment segment = Segments(grid_.size() - first, limit).front();
            const std::size_t a = first, n = segment.count;
            const std::string command =
                "sweep " + Whole(grid_[a]) + " " + Whole(grid_[a + n - 1]) + " " + std::to_string(n);
            link_.Progress(hz_.size(), grid_.size());
            const auto set = link_.Ask(command, options_.timing.promptSeconds);
            if (TooManyPoints(set) && limit > kSmallBoardPoints) {
                limit = kSmallBoardPoints;
                continue;
            }
            if (!set.empty()) Refuse(command, set, {});
            // The new range shows in "frequencies" once its sweep has begun.
            const auto deadline = After(Seconds(n));
            std::vector<std::string> frequencies;
            while (!Matches(frequencies = link_.Ask("frequencies", Seconds(n)), a, n)) {
                if (Clock::now() > deadline) Refuse("frequencies", frequencies, "not the range asked for");
                link_.Wait(0.01);
            }
            link_.Wait(options_.timing.oldSweepPerPointSeconds * static_cast<double>(n));
            const auto data = link_.Ask("data 0", Seconds(n));
            if (data.size() != n) Refuse("data 0", data, "not " + std::to_string(n) + " points");
            // Still the range asked for: nobody changed it meanwhile.
            frequencies = link_.Ask("frequencies", Seconds(n));
            if (!Matches(frequencies, a, n)) Refuse("frequencies", frequencies, "not the range asked for");
            for (std::size_t i = 0; i < n; ++i) {
                const std::vector<double> numbers = Numbers(data[i]);
                if (numbers.size() != 2) Refuse("data 0", {data[i]}, "not a point's RE IM");
                Take("frequencies", frequencies[i], a + i, Numbers(frequencies[i])[0], {numbers[0], numbers[1]});
            }
            first += n;
            Tell(hz_.size());
        }
    }

    std::vector<double>& Hz() { return hz_; }
    std::vector<std::complex<double>>& Reflection() { return s11_; }

private:
    double Seconds(std::size_t points) const {
        return options_.timing.promptSeconds + options_.timing.perPointSeconds * static_cast<double>(points);
    }

    void Tell(std::size_t done) const {
        if (options_.progress) options_.progress(done, grid_.size());
    }

    bool Matches(const std::vector<std::string>& lines, std::size_t a, std::size_t n) const {
        if (lines.size() != n) return false;
        for (std::size_t i = 0; i < n; ++i) {
            const std::vector<double> numbers = Numbers(lines[i]);
            if (numbers.size() != 1 || std::abs(numbers[0] - grid_[a + i]) > tolerance_) return false;
        }
        return true;
    }

    void Take(const std::string& command, const std::string& line, std::size_t index, double hz,
              std::complex<double> s11) {
        if (std::abs(hz - grid_[index]) > tolerance_ || (!hz_.empty() && !(hz > hz_.back()))) {
            Refuse(command, {line}, "a frequency other than the " + Whole(grid_[index]) + " Hz asked for");
        }
        if (std::abs(s11) > 10) Refuse(command, {line}, "no reflection coefficient");
        hz_.push_back(hz);
        s11_.push_back(s11);
    }

    [[noreturn]] void Refuse(const std::string& command, const std::vector<std::string>& lines,
                             const std::string& why) const {
        std::string answer;
        for (const std::string& line : lines) answer += (answer.empty() ? "" : "\n") + line;
        link_.Throw({FailureKind::UnknownAnswer,
                     link_.Path(),
                     {},
                     command,
                     Shown(answer),
                     why.empty() ? std::string() : "which is " + why});
    }

    Link& link_;
    const SweepOptions& options_;
    std::vector<double> grid_;
    double tolerance_ = 2;
    std::vector<double> hz_;
    std::vector<std::complex<double>> s11_;
};

std::string Touchstone(const DeviceSweep& taken, const std::vector<double>& hz,
                       const std::vector<std::complex<double>>& s11) {
    std::string text = "! S11 measured by " + taken.identity.name +
                       (taken.identity.firmware.empty() ? "" : ", firmware " + taken.identity.firmware) + ", at " +
                       Printable(taken.path) + ", " + taken.date + "\n";
    text += "! calibrated by the device itself, at the plane where it was measured\n";
    text += "# Hz S RI R 50\n";
    for (std::size_t i = 0; i < hz.size(); ++i) {
        text += Text(hz[i], std::chars_format::fixed) + " " + Text(s11[i].real()) + " " + Text(s11[i].imag()) + "\n";
    }
    return text;
}

}  // namespace

std::vector<double> Grid(const SweepRequest& request) {
    std::vector<double> grid;
    const std::size_t n = static_cast<std::size_t>(std::max(request.points, 0));
    for (std::size_t i = 0; i < n; ++i) {
        const double hz = n == 1 ? request.fromHz
                                 : request.fromHz + (request.toHz - request.fromHz) * static_cast<double>(i) /
                                                        static_cast<double>(n - 1);
        grid.push_back(std::round(hz));
    }
    return grid;
}

std::vector<Segment> Segments(std::size_t points, std::size_t limit) {
    std::vector<Segment> segments;
    if (points == 0 || limit == 0) return segments;
    const std::size_t count = (points + limit - 1) / limit;
    std::size_t first = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t size = points / count + (k < points % count ? 1 : 0);
        segments.push_back({first, size});
        first += size;
    }
    return segments;
}

Identity Identify(const std::string& path, const Timing& timing) {
    Link link(path, {});
    link.Greet(timing.promptSeconds);
    return AskIdentity(link, timing);
}

std::vector<Found> FindAnalysers(bool ask, const Timing& timing) {
    std::vector<Found> found;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        if (!port.hasVendorIdentifier() || !port.hasProductIdentifier() || port.vendorIdentifier() != kVendorId ||
            port.productIdentifier() != kProductId) {
            continue;
        }
        Found one{port.systemLocation().toStdString(), kUsbId, {}, {}};
        if (ask) {
            try {
                one.identity = Identify(one.path, timing);
            } catch (const Failure& failure) {
                one.problem = failure.what();
            }
        }
        found.push_back(std::move(one));
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.path < b.path; });
    return found;
}

DeviceSweep Sweep(const std::string& path, const SweepRequest& request, const SweepOptions& options) {
    if (!(request.points >= 1 && request.points <= kMostPoints) || !(request.fromHz > 0) ||
        !(request.toHz >= request.fromHz) || !std::isfinite(request.toHz) || request.toHz > 1e11) {
        throw Failure({FailureKind::Refused, path, {}, {}, {}, "a sweep needs 0 < FROM <= TO and 1 to 10000 points"});
    }
    if (request.points > 1 && Grid(request)[1] <= Grid(request)[0]) {
        throw Failure({FailureKind::Refused,
                       path,
                       {},
                       {},
                       {},
                       "a sweep's points must be at least 1 Hz apart: fewer points or a wider range"});
    }
    Link link(path, options.stop);
    link.Greet(options.timing.promptSeconds);
    DeviceSweep taken;
    taken.path = path;
    taken.identity = AskIdentity(link, options.timing);
    Sweeper sweeper(link, request, options);
    taken.identity.scans = sweeper.Scan();
    if (!taken.identity.scans) sweeper.Old();
    taken.date = options.date.empty() ? nec::UtcNow() : options.date;
    taken.touchstone = Touchstone(taken, sweeper.Hz(), sweeper.Reflection());
    taken.sweep = nec::ReadTouchstone(taken.touchstone);
    return taken;
}

std::string SourceOf(const DeviceSweep& sweep) { return sweep.identity.name + " at " + sweep.path; }

}  // namespace corvanta::device
