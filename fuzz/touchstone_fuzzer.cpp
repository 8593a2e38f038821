// Any text as a one-port Touchstone file. What reads must be a sweep a
// plot and a trim can use: at least one point, as many reflections as
// frequencies, frequencies above 0 and rising, every number finite, a
// reference above 0. What is refused must be refused with TouchstoneError,
// naming a line of the text ("line 7: ...") and quoting it, or saying the
// file has no data lines.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "nec/touchstone.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

// The most lines the text can have, whether a line ends with a line feed,
// a carriage return or both.
std::size_t MostLines(std::string_view text) {
    std::size_t ends = 0;
    for (char c : text) {
        if (c == '\n' || c == '\r') ++ends;
    }
    return ends + 1;
}

// "line N: why: \"text\"": N within the text, and the quoted text (cut to
// 77 characters and "..." when long) a piece of it.
void CheckRefusal(std::string_view message, std::string_view text) {
    if (message == "the Touchstone file has no data lines") return;
    Check(message.rfind("line ", 0) == 0, "a refusal does not start with \"line \"");
    std::size_t at = 5;
    std::size_t number = 0;
    while (at < message.size() && message[at] >= '0' && message[at] <= '9') {
        number = number * 10 + static_cast<std::size_t>(message[at] - '0');
        Check(number <= MostLines(text), "a refusal names a line beyond the text");
        ++at;
    }
    Check(at > 5 && number >= 1, "a refusal names no line number");
    Check(message.substr(at, 2) == ": ", "no \": \" after the line number");
    // what() ends at the first NUL byte of a word or line it quotes.
    if (text.find('\0') != std::string_view::npos) return;
    const std::size_t open = message.find(": \"", at + 2);
    Check(open != std::string_view::npos && message.back() == '"', "a refusal does not quote its line");
    std::string_view quoted = message.substr(open + 3, message.size() - open - 4);
    if (quoted.size() == 80 && quoted.substr(77) == "...") quoted = quoted.substr(0, 77);
    Check(text.find(quoted) != std::string_view::npos, "the quoted line is not in the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const corvanta::nec::OnePortSweep sweep = corvanta::nec::ReadTouchstone(text);
        Check(!sweep.mhz.empty(), "a sweep without points");
        Check(sweep.mhz.size() == sweep.reflection.size(), "frequencies and reflections differ in number");
        Check(std::isfinite(sweep.referenceOhm) && sweep.referenceOhm > 0, "reference impedance");
        for (std::size_t i = 0; i < sweep.mhz.size(); ++i) {
            Check(std::isfinite(sweep.mhz[i]) && sweep.mhz[i] > 0, "a frequency not finite and above 0");
            Check(i == 0 || sweep.mhz[i] > sweep.mhz[i - 1], "frequencies not rising");
            Check(std::isfinite(sweep.reflection[i].real()) && std::isfinite(sweep.reflection[i].imag()),
                  "a reflection not finite");
        }
    } catch (const corvanta::nec::TouchstoneError& error) {
        CheckRefusal(error.what(), text);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Check(false, "refused with another exception than TouchstoneError");
    }
    return 0;
}
