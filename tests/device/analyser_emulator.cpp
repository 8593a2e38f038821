// An analyser on a pseudo-terminal, for the tests: it prints the path of
// its device file on a line of its own, then answers as the text-shell
// analysers do (an echo of every character, CR LF line ends, the prompt
// "ch> ") until it is killed, or "unplugs" itself.
//
//     analyser_emulator [--old] [--limit N] [--slow MS] [--garbage] [--silent]
//                       [--unplug-after POINTS] [--greeting 0|1|2] [--mode OCTAL]
//                       [--resonance MHZ]
//
// --old         the older firmware: no scan; sweep, frequencies and data 0,
//               whose array holds the previous sweep until a new one has run
// --limit N     the most points a sweep takes (default 401)
// --slow MS     MS milliseconds a point
// --garbage     a sweep's points come back as line noise
// --silent      never answers
// --unplug-after POINTS  the device goes away after printing so many points
// --greeting    a bare CR answered "ch> " (0), "\r\nch> " (1) or "?\r\nch> " (2)
// --mode        the device file's permissions
// --resonance   where the loop resonates (default 147.46 MHz)
// --model FILE  the loop's S11 from the model's own sweep (corvanta-cli check
//               --s1p: MHz, RI), between its points on a straight line ...
// --shift PCT   ... with every frequency PCT per cent higher, as a loop cut
//               that much small resonates
//
// Without --model the loop is a series resonant circuit: Z = R + j Q R
// (f/f0 - f0/f) with R 60 ohm and Q 20, against 50 ohm. Either is printed
// to 9 decimals as the device prints its floats.

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Settings {
    bool old = false;
    std::size_t limit = 401;
    int slowMs = 0;
    bool garbage = false;
    bool silent = false;
    long unplugAfter = -1;
    int greeting = 0;
    double resonanceMHz = 147.46;
    std::vector<double> modelMHz;
    std::vector<std::complex<double>> model;
    double shiftPercent = 0;
};

Settings settings;
int master = -1;
long printed = 0;  // points, over every sweep

std::complex<double> Reflection(double hz) {
    if (!settings.model.empty()) {
        const double mhz = hz / 1e6 / (1 + settings.shiftPercent / 100);
        const auto& f = settings.modelMHz;
        if (mhz <= f.front()) return settings.model.front();
        if (mhz >= f.back()) return settings.model.back();
        std::size_t i = 1;
        while (f[i] < mhz) ++i;
        const double t = (mhz - f[i - 1]) / (f[i] - f[i - 1]);
        return settings.model[i - 1] + t * (settings.model[i] - settings.model[i - 1]);
    }
    const double r = 60, q = 20, f0 = settings.resonanceMHz * 1e6;
    const std::complex<double> z(r, q * r * (hz / f0 - f0 / hz));
    return (z - 50.0) / (z + 50.0);
}

void Send(const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::write(master, text.data() + sent, text.size() - sent);
        if (n < 0) std::exit(0);
        sent += static_cast<std::size_t>(n);
    }
}

std::string Fixed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9f", value);
    return text;
}

// Frequencies as the firmware works them out: whole hertz, the step cut.
std::vector<std::uint64_t> Frequencies(std::uint64_t start, std::uint64_t stop, std::size_t points) {
    std::vector<std::uint64_t> hz;
    for (std::size_t i = 0; i < points; ++i) {
        hz.push_back(points == 1 ? start : start + (stop - start) * i / (points - 1));
    }
    return hz;
}

// A point printed; the device may go away here.
void Point(const std::string& line) {
    if (settings.slowMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(settings.slowMs));
    Send(line + "\r\n");
    if (settings.unplugAfter >= 0 && ++printed >= settings.unplugAfter) {
        ::close(master);
        std::exit(0);
    }
}

// The older firmware's running sweep: its range, when it began, and the
// array it fills a point at a time over the previous sweep's values.
struct Running {
    std::vector<std::uint64_t> hz = Frequencies(50'000, 900'000'000, 101);
    std::vector<std::complex<double>> previous = std::vector<std::complex<double>>(101, {0.5, 0.5});
    std::chrono::steady_clock::time_point began = std::chrono::steady_clock::now();

    std::complex<double> At(std::size_t i) const {
        const auto perPoint = std::chrono::milliseconds(std::max(settings.slowMs, 1));
        const auto run = std::chrono::steady_clock::now() - began;
        return run >= perPoint * static_cast<long>(i + 1) ? Reflection(static_cast<double>(hz[i])) : previous[i];
    }
};
Running running;

bool Number(const std::string& word, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(word.c_str(), &end, 0);  // 0x... too
    return !word.empty() && *end == '\0';
}

void Answer(const std::string& line) {
    std::vector<std::string> words;
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t end = line.find(' ', start);
        if (end != start) words.push_back(line.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (words.empty()) return;
    const std::string& name = words[0];
    if (name == "version") {
        Send(settings.old ? "0.2.3\r\n" : "1.2.27\r\n");
    } else if (name == "info") {
        Send("Test analyser\r\nBoard: emulated\r\n");
    } else if (name == "resume" || name == "pause") {
    } else if ((name == "scan" && !settings.old) || (name == "sweep" && settings.old)) {
        std::uint64_t start = 0, stop = 0, points = 101, mask = 0;
        if (words.size() < 3 || !Number(words[1], start) || !Number(words[2], stop) ||
            (words.size() > 3 && !Number(words[3], points)) || (words.size() > 4 && !Number(words[4], mask)) ||
            stop < start) {
            Send("usage: " + name + " {start(Hz)} {stop(Hz)} [points]\r\n");
            return;
        }
        if (points > settings.limit || points < 1) {
            Send("sweep points exceeds range\r\n");
            return;
        }
        const auto hz = Frequencies(start, stop, points);
        if (name == "sweep") {
            std::vector<std::complex<double>> now;
            for (std::size_t i = 0; i < running.hz.size(); ++i) now.push_back(running.At(i));
            now.resize(points, {0.25, -0.25});
            running.previous = now;
            running.hz = hz;
            running.began = std::chrono::steady_clock::now();
            return;
        }
        for (std::uint64_t f : hz) {
            const std::complex<double> s = Reflection(static_cast<double>(f));
            std::string out;
            if (mask & 1) out += std::to_string(f);
            if (mask & 2) out += (out.empty() ? "" : " ") + Fixed(s.real()) + " " + Fixed(s.imag());
            Point(settings.garbage ? "\x13#%!~ noise" + std::to_string(f % 97) + " ::" : out);
        }
    } else if (name == "frequencies" && settings.old) {
        for (std::uint64_t f : running.hz) Send(std::to_string(f) + "\r\n");
    } else if (name == "data" && settings.old) {
        for (std::size_t i = 0; i < running.hz.size(); ++i) {
            const std::complex<double> s = running.At(i);
            Point(settings.garbage ? "%%garbage%%" : Fixed(s.real()) + " " + Fixed(s.imag()));
        }
    } else {
        Send(name + "?\r\n");
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    mode_t mode = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (option == "--old") settings.old = true;
        else if (option == "--limit") settings.limit = std::stoul(value());
        else if (option == "--slow") settings.slowMs = std::stoi(value());
        else if (option == "--garbage") settings.garbage = true;
        else if (option == "--silent") settings.silent = true;
        else if (option == "--unplug-after") settings.unplugAfter = std::stol(value());
        else if (option == "--greeting") settings.greeting = std::stoi(value());
        else if (option == "--mode") mode = static_cast<mode_t>(std::stoul(value(), nullptr, 8));
        else if (option == "--resonance") settings.resonanceMHz = std::stod(value());
        else if (option == "--shift") settings.shiftPercent = std::stod(value());
        else if (option == "--model") {
            FILE* file = std::fopen(value().c_str(), "r");
            char text[512];
            while (file && std::fgets(text, sizeof text, file)) {
                double mhz = 0, re = 0, im = 0;
                if (text[0] == '!' || text[0] == '#' || std::sscanf(text, "%lf %lf %lf", &mhz, &re, &im) != 3) continue;
                settings.modelMHz.push_back(mhz);
                settings.model.emplace_back(re, im);
            }
            if (file) std::fclose(file);
            if (settings.model.size() < 2) {
                std::fprintf(stderr, "analyser_emulator: no model sweep read\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "analyser_emulator: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("analyser_emulator: posix_openpt");
        return 1;
    }
    const std::string path = ::ptsname(master);
    // Held open here, raw, so that the terminal neither echoes of its own
    // nor hangs up between the clients that come and go.
    const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (slave < 0 || ::tcgetattr(slave, &raw) != 0) {
        std::perror("analyser_emulator: the terminal");
        return 1;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    if (mode != 0) ::chmod(path.c_str(), mode);
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    std::string line;
    while (true) {
        char bytes[256];
        const ssize_t n = ::read(master, bytes, sizeof bytes);
        if (n <= 0) {
            if (n < 0 && errno != EINTR && errno != EIO) return 0;
            continue;
        }
        if (settings.silent) continue;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = bytes[i];
            if (c == '\r') {
                if (line.empty()) {
                    const char* greetings[] = {"ch> ", "\r\nch> ", "?\r\nch> "};
                    Send(greetings[settings.greeting % 3]);
                    continue;
                }
                Send("\r\n");
                Answer(line);
                line.clear();
                Send("ch> ");
            } else if (c != '\n') {
                Send(std::string(1, c));
                line += c;
            }
        }
    }
}
