// Any text as a build record. What reads must write a record that reads
// back to the same text, every measurement in it a sweep; what is refused
// must be refused with the library's Failure, a record's: text that is not
// JSON with a line of the text, a field by its path, or a newer format.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "nec/build_record.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvanta::nec;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const BuildRecord record = ReadRecord(text);
        const std::string written = RecordText(record);
        Check(RecordText(ReadRecord(written)) == written, "a record that does not read back the same");
        for (const RecordMeasurement& m : record.measurements)
            Check(!ReadTouchstone(m.touchstone).mhz.empty(), "a measurement without points");
    } catch (const Failure& failure) {
        const FailureFacts& facts = failure.Facts();
        Check(failure.Kind() == FailureKind::Record || failure.Kind() == FailureKind::RecordNewer,
              "a refusal of another kind");
        if (failure.Kind() == FailureKind::RecordNewer) {
            // The version is told as written, a whole number however large.
            const std::string v = facts.text.empty() ? std::to_string(facts.count) : facts.text;
            Check(!v.empty() && v.find_first_not_of("0123456789") == std::string::npos && v[0] != '0',
                  "a newer format that is not a whole number");
            Check(v.size() > 19 || std::stoull(v) > kRecordVersion, "a newer format that is not newer");
        } else if (facts.line != 0) {
            std::size_t lines = 1;
            for (char c : text) lines += c == '\n' ? 1 : 0;
            Check(facts.line <= lines, "a refusal names a line beyond the text");
        } else {
            Check(!facts.text.empty() || !facts.detail.empty(), "a refusal that says nothing");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        Check(false, "refused with another exception than the library's Failure");
    }
    return 0;
}
