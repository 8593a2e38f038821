#include <gtest/gtest.h>

#include <string>

#include "nec/check_request.h"
#include "nec/json.h"
#include "nec/measurement.h"
#include "nec/report.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

std::string Words(Advice, double) { return "advice"; }

// The same measurement gives the same verdict whichever way it reaches the
// check: handed in with the request (the command line's --measured, a
// record) or taken in after the check ran (the window's Load measurement),
// and read again after the feed changed and changed back.
TEST(CheckRequest, AMeasurementGivesOneVerdictWhicheverWayItComes) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const Design design = RunDesign({"146", SideChoice::Three, std::nullopt});
    CheckOptions options;
    options.tune = true;
    options.feed.chain = FeedChain{4, Feeder{50, 0.66, 10, 7}};
    options.feed.match = true;
    const ModelCheck plain = Check({design, options, std::nullopt});

    // A loop 2 % small: the model's own sweep with every frequency 2 % up.
    OnePortSweep measured = ReadTouchstone(ModelTouchstone(plain));
    for (double& mhz : measured.mhz) mhz *= 1.02;
    const MeasurementInput input{measured, "small.s1p", std::nullopt};

    const ModelCheck handedIn = Check({design, options, input});
    ModelCheck takenIn = plain;
    AddMeasurement(takenIn, design, options, input);
    ModelCheck reread = takenIn;
    FeedOptions bare = options.feed;
    bare.chain.reset();
    Reread(reread, bare, std::nullopt);
    Reread(reread, options.feed, std::nullopt);

    ASSERT_TRUE(handedIn.measured && handedIn.measured->trim);
    EXPECT_EQ(HeadlineOf(handedIn).cut, CutChoice::Trimmed);
    EXPECT_EQ(handedIn.feed.loop.name, CutChoice::Trimmed);
    const std::string expected = ReportJson(handedIn, Words);
    EXPECT_EQ(ReportJson(takenIn, Words), expected);
    EXPECT_EQ(ReportJson(reread, Words), expected);
}

}  // namespace
}  // namespace corvanta::nec
