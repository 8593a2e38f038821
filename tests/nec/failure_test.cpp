#include <gtest/gtest.h>

#include <string>

#include "tests/nec/failure_samples.h"

namespace corvanta::nec {
namespace {

// The library's own sentence for each kind, exactly: what the report's
// notes and a log show. It names no front end's controls.
TEST(Failure, DescribesEveryKindInItsOwnWords) {
    const char* const expected[] = {
        "the conductor is too thick to model",
        "at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model holds the loop "
        "from 0.370 m up",
        "nec2c is not installed",
        "nec2c could not be started: Permission denied",
        "the check did not finish within its time budget of 12.5 s for all of nec2c's runs together; every engine "
        "was stopped",
        "nec2c crashed on the model (signal 11, Segmentation fault); it said:\n  reading the deck\n  GW card 3",
        "nec2c failed on the model (exit status 1); it said:\n  GW card: the segment count is out of range",
        "the model check was stopped",
        "the engine's output has no segment count",
        "line 4: a number does not read: \"147 0.1 oops\"",
        "cannot make a temporary directory /nowhere/corvanta-nec-XXXXXX: No such file or directory",
        "segments of 3.223 mm (the 9.67 mm gap in 3) would be under 4 wire radii (3.252 mm), the least the "
        "extended thin-wire kernel holds; the gap's length may be cut into 2 segments here",
    };
    const auto samples = testing::FailureSamples();
    ASSERT_EQ(samples.size(), testing::kFailureKinds);
    ASSERT_EQ(std::size(expected), testing::kFailureKinds);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        EXPECT_EQ(static_cast<std::size_t>(samples[i].Kind()), i);
        EXPECT_EQ(samples[i].what(), std::string(expected[i]));
        for (const char* frontEnd : {"--", "sudo", "apt-get", "corvanta-cli"}) {
            EXPECT_EQ(std::string(samples[i].what()).find(frontEnd), std::string::npos) << frontEnd;
        }
    }
}

// A failure without the engine's words says nothing of them; a file's
// failure that is no line's names none.
TEST(Failure, LeavesOutWhatIsNotThere) {
    FailureFacts quiet = testing::Facts(FailureKind::EngineFailed);
    quiet.status = 2;
    EXPECT_STREQ(Failure(quiet).what(), "nec2c failed on the model (exit status 2)");
    EXPECT_STREQ(Failure(FailureKind::Measurement, "the Touchstone file has no data lines").what(),
                 "the Touchstone file has no data lines");
}

}  // namespace
}  // namespace corvanta::nec
