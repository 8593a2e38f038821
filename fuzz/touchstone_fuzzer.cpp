// Any text as a one-port Touchstone file. What reads must be a sweep a
// plot and a trim can use: at least one point, as many reflections as
// frequencies, frequencies above 0 and rising, every number finite, a
// reference above 0. What is refused must be refused with the library's
// Failure, a measurement's, naming a line of the text ("line 7: ...") and
// quoting it, or the file as a whole (no data lines).
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

// A refusal of a measurement: a line of the text named, from 1, and its
// text (shortened to 80 characters and "..." when long) a piece of it, or
// the file as a whole (line 0); what() starts "line N: " for a line.
void CheckRefusal(const corvanta::nec::Failure& failure, std::string_view text) {
    const corvanta::nec::FailureFacts& facts = failure.Facts();
    Check(failure.Kind() == corvanta::nec::FailureKind::Measurement, "a refusal of another kind");
    Check(!facts.detail.empty(), "a refusal that says nothing");
    if (facts.line == 0) return;
    Check(facts.line <= MostLines(text), "a refusal names a line beyond the text");
    const std::string start = "line " + std::to_string(facts.line) + ": ";
    Check(std::string_view(failure.what()).substr(0, start.size()) == start, "what() does not start with the line");
    std::string_view shown = facts.text;
    if (shown.size() >= 3 && shown.substr(shown.size() - 3) == "...") shown.remove_suffix(3);
    Check(text.find(shown) != std::string_view::npos, "the line's text is not in the file");
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
    } catch (const corvanta::nec::Failure& failure) {
        CheckRefusal(failure, text);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Check(false, "refused with another exception than the library's Failure");
    }
    return 0;
}
