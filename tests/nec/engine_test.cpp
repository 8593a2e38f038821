#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "nec/model_check.h"
#include "tests/installed.h"

namespace corvanta::nec {
namespace {

Design Awg20(SideChoice sides, const char* mhz = "146") {
    return RunDesign({mhz, sides, SizeInput{SizeUnit::Gauge, "20"}});
}

CheckOptions Short(int jobs) {
    CheckOptions options;
    options.sweepFromMHz = 140;
    options.sweepToMHz = 152;
    options.sweepPoints = 7;
    options.pattern.azimuthStepDeg = 15;
    options.jobs = jobs;
    return options;
}

// The sweep spread over engines gives the very numbers of one engine, and
// the model passes its own checks.
TEST(EngineRunner, SlicesMergeToTheOneRunsNumbers) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    for (SideChoice sides : {SideChoice::Three, SideChoice::Four}) {
        const ModelCheck one = RunCheck(Awg20(sides), Short(1));
        const ModelCheck three = RunCheck(Awg20(sides), Short(3));
        ASSERT_EQ(one.report.sweep.size(), 7U);
        ASSERT_EQ(three.report.sweep.size(), 7U);
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(one.report.sweep[i].mhz, 140 + 2.0 * static_cast<double>(i));
            EXPECT_EQ(three.report.sweep[i].mhz, one.report.sweep[i].mhz);
            EXPECT_EQ(three.report.sweep[i].gaps, one.report.sweep[i].gaps);
        }
        for (const SanityCheck& check : one.report.sanity) {
            EXPECT_EQ(check.verdict, Verdict::Passed) << check.name << ": " << check.detail;
        }
    }
}

// The thick wire at 1296 MHz (extended kernel) and the loop over real
// ground, run through nec2c: an answer that reads, with the average gain
// check not applied over real ground.
TEST(EngineRunner, ThickWireAndRealGround) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    CheckOptions thick;
    thick.sweepPoints = 5;
    const ModelCheck ek = RunCheck(RunDesign({"1296", SideChoice::Four, SizeInput{SizeUnit::Gauge, "8"}}), thick);
    EXPECT_EQ(ek.plan.model.kernel, Kernel::Extended);
    EXPECT_EQ(ek.report.sanity[0].verdict, Verdict::Passed);

    CheckOptions ground = Short(0);
    ground.placement = {Ground::Average, 10};
    const ModelCheck over = RunCheck(Awg20(SideChoice::Three), ground);
    EXPECT_EQ(over.report.sanity[2].verdict, Verdict::NotApplicable);
    // A loop 10 m up has its lobe low: within 10 degrees of the horizon.
    EXPECT_LT(over.report.MaxGainElevationDeg(), 10);
    EXPECT_GT(over.report.MaxGainElevationDeg(), 0);
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The stand-in's sleep started by this test: the same suite may run in
// another build at the same time, so it is told by the TMPDIR it inherited.
bool SleepRunning(const std::filesystem::path& temporary) {
    const std::string tmpdir = "TMPDIR=" + temporary.string() + std::string(1, '\0');
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (FileText(entry.path() / "cmdline") == std::string("sleep\0987\0", 10) &&
            FileText(entry.path() / "environ").find(tmpdir) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A stand-in engine that hangs, crashes, fails or writes garbage: a message
// that says so, every engine gone, no file left behind.
TEST(EngineRunner, EveryBrokenEngineEndsInAMessage) {
    const std::filesystem::path temporary =
        std::filesystem::path(::testing::TempDir()) / ("corvanta-engine-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(temporary);
    setenv("TMPDIR", temporary.c_str(), 1);
    struct Case { const char* mode; const char* message; };
    const Case cases[] = {
        {"hang", "did not finish within 1 s; every engine was stopped"},
        {"crash", "crashed on the model (signal 11"},
        {"fail", "failed on the model (exit status 1); it said:\n  GW card: the segment count is out of range"},
        {"garbage", "no segment count"},
        {"stop", "stopped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string mode = c.mode == std::string("stop") ? "hang" : c.mode;
        setenv("CORVANTA_STAND_IN", mode.c_str(), 1);
        CheckOptions options = Short(2);
        options.program = CORVANTA_TEST_DATA "/stand_in_engine.sh";
        options.timeoutSeconds = 1;
        std::atomic<bool> stop{false};
        std::thread stopper;
        if (c.mode == std::string("stop")) {
            options.timeoutSeconds = 60;
            options.stop = &stop;
            stopper = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                stop = true;
            });
        }
        try {
            RunCheck(Awg20(SideChoice::Three), options);
            ADD_FAILURE() << "no error";
        } catch (const std::exception& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        if (stopper.joinable()) stopper.join();
        EXPECT_FALSE(SleepRunning(temporary));
        EXPECT_TRUE(std::filesystem::is_empty(temporary));
    }
    unsetenv("TMPDIR");
    std::filesystem::remove(temporary);
    unsetenv("CORVANTA_STAND_IN");

    CheckOptions missing = Short(1);
    missing.program = "nec2c-that-is-not-installed";
    try {
        RunCheck(Awg20(SideChoice::Three), missing);
        ADD_FAILURE() << "no error";
    } catch (const EngineError& error) {
        EXPECT_NE(std::string(error.what()).find("package nec2c"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace corvanta::nec
