#include "nec/touchstone.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "core/shortened.h"
#include "nec/line_split.h"
#include "nec/number_text.h"

namespace corvanta::nec {

namespace {

// Analysers' programs separate with spaces, tabs or commas.
std::vector<std::string_view> Words(std::string_view line) { return SplitWords(line, " \t\r,"); }

std::string Upper(std::string_view word) {
    std::string upper(word);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::optional<double> Number(std::string_view word) {
    // from_chars takes no leading "+", which some programs write.
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A data line written with decimal commas, as an analyser's program set to
// a German or a French locale writes it ("146,5 0,12 -0,3"): split at its
// spaces alone it is three numbers once each comma is a point. Split at
// the commas too, as other programs' lines must be, it would look like
// more than one port.
bool WrittenWithDecimalCommas(std::string_view content) {
    if (content.find(',') == std::string_view::npos) return false;
    const auto words = SplitWords(content, " \t\r");
    if (words.size() != 3) return false;
    for (const std::string_view word : words) {
        std::string number(word);
        const std::size_t comma = number.find(',');
        if (comma != std::string::npos) {
            if (number.find(',', comma + 1) != std::string::npos) return false;
            number[comma] = '.';
        }
        if (!Number(number)) return false;
    }
    return true;
}

enum class Form { RealImaginary, MagnitudeAngle, DecibelAngle };

struct Options {
    double toMHz = 1000;  // GHz
    Form form = Form::MagnitudeAngle;
    double referenceOhm = 50;
};

// A line in a message: a file with no line feeds is one long line.
constexpr std::size_t kShownCharacters = 80;

class LineError {
public:
    LineError(std::size_t number, std::string_view line) : number_(number), line_(line) {}
    [[noreturn]] void operator()(const std::string& why) const {
        std::string text(line_);
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
        FailureFacts facts;
        facts.kind = FailureKind::Measurement;
        facts.detail = why;
        facts.line = number_;
        facts.text = Shortened(text, kShownCharacters);
        throw Failure(std::move(facts));
    }

private:
    std::size_t number_;
    std::string_view line_;
};

Options ReadOptions(const std::vector<std::string_view>& words, const LineError& fail) {
    Options options;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string word = Upper(words[i]);
        if (word == "HZ") options.toMHz = 1e-6;
        else if (word == "KHZ") options.toMHz = 1e-3;
        else if (word == "MHZ") options.toMHz = 1;
        else if (word == "GHZ") options.toMHz = 1000;
        else if (word == "S") continue;
        else if (word == "Y" || word == "Z" || word == "G" || word == "H") {
            fail("only S parameters are read, not " + word);
        } else if (word == "RI") options.form = Form::RealImaginary;
        else if (word == "MA") options.form = Form::MagnitudeAngle;
        else if (word == "DB") options.form = Form::DecibelAngle;
        else if (word == "R") {
            const auto reference = i + 1 < words.size() ? Number(words[i + 1]) : std::nullopt;
            if (!reference || !(*reference > 0)) fail("R needs a reference impedance above 0 ohm");
            options.referenceOhm = *reference;
            ++i;
        } else {
            fail("the option line has \"" + std::string(words[i]) + "\"");
        }
    }
    return options;
}

std::complex<double> Reflection(double a, double b, Form form) {
    const double degrees = std::numbers::pi / 180;
    switch (form) {
        case Form::RealImaginary:
            return {a, b};
        case Form::MagnitudeAngle:
            return std::polar(a, b * degrees);
        case Form::DecibelAngle:
            return std::polar(std::pow(10.0, a / 20), b * degrees);
    }
    return {};
}

}  // namespace

std::complex<double> ReflectionOf(std::complex<double> impedance, double referenceOhm) {
    return (impedance - referenceOhm) / (impedance + referenceOhm);
}

std::complex<double> ImpedanceOf(std::complex<double> reflection, double referenceOhm) {
    return referenceOhm * (1.0 + reflection) / (1.0 - reflection);
}

OnePortSweep ReadTouchstone(std::string_view text) {
    OnePortSweep sweep;
    std::optional<Options> options;
    // Windows programs may begin a UTF-8 file with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t number = 0;
    for (const std::string_view line : SplitLines(text)) {
        ++number;
        const LineError fail(number, line);
        const std::string_view content = line.substr(0, line.find('!'));
        const auto words = Words(content);
        if (words.empty()) continue;
        if (words.front().front() == '[') {
            fail("Touchstone 2 files are not read; save the sweep as a version 1 .s1p file");
        }
        if (words.front().front() == '#') {
            // Only the first option line counts, as the format says.
            if (!options) {
                std::vector<std::string_view> all = words;
                if (all.front().size() > 1) all.insert(all.begin() + 1, all.front().substr(1));
                options = ReadOptions(all, fail);
                sweep.referenceOhm = options->referenceOhm;
            }
            continue;
        }
        // The option line may be left out: then GHz S MA R 50, as for an
        // option line with nothing on it.
        const bool first = !options && sweep.mhz.empty();
        if (!options) options = Options{};
        const auto decimalCommas = [&] {
            if (WrittenWithDecimalCommas(content)) {
                fail(
                    "the numbers are written with decimal commas; a Touchstone file has a decimal point "
                    "(146.5, not 146,5): save it again with points, or replace each comma with a point");
            }
        };
        const auto notTouchstone = [&] {
            fail("not a Touchstone file: the first data line is not a frequency and a pair of numbers");
        };
        if (words.size() != 3) {
            decimalCommas();
            if (first) notTouchstone();
            if (words.size() == 9 || (words.size() > 3 && words.size() % 2 == 1)) {
                fail("a file of more than one port; a one-port (.s1p) file has a frequency and one pair");
            }
            fail("a data line is a frequency and one pair of numbers");
        }
        const auto frequency = Number(words[0]);
        const auto a = Number(words[1]);
        const auto b = Number(words[2]);
        if (!frequency || !a || !b) {
            decimalCommas();
            if (first) notTouchstone();
            fail("a number does not read");
        }
        const double mhz = *frequency * options->toMHz;
        // A frequency that reads can still pass the largest double in MHz.
        if (!std::isfinite(mhz)) fail("a number does not read");
        if (!(mhz > 0)) fail("frequencies must be above 0");
        if (options->form == Form::MagnitudeAngle && *a < 0) fail("a magnitude must not be below 0");
        if (!sweep.mhz.empty() && !(mhz > sweep.mhz.back())) fail("frequencies must rise from line to line");
        const std::complex<double> reflection = Reflection(*a, *b, options->form);
        if (!std::isfinite(reflection.real()) || !std::isfinite(reflection.imag())) fail("a number does not read");
        sweep.mhz.push_back(mhz);
        sweep.reflection.push_back(reflection);
    }
    if (sweep.mhz.empty()) throw Failure(FailureKind::Measurement, "the Touchstone file has no data lines");
    return sweep;
}

std::string WriteTouchstone(const std::vector<double>& mhz, const std::vector<std::complex<double>>& impedance,
                            double referenceOhm, const std::vector<std::string>& comments) {
    std::string text;
    for (const std::string& comment : comments) text += "! " + comment + "\n";
    text += "# MHz S RI R " + Trimmed(referenceOhm, 6) + "\n";
    for (std::size_t i = 0; i < mhz.size() && i < impedance.size(); ++i) {
        const std::complex<double> s = ReflectionOf(impedance[i], referenceOhm);
        text += Fixed(mhz[i], 6) + " " + Fixed(s.real(), 9) + " " + Fixed(s.imag(), 9) + "\n";
    }
    return text;
}

}  // namespace corvanta::nec
