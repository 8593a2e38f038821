#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <stop_token>
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
        // A 2 MHz step is coarse for any resonance in the sweep (the
        // three-sided loop's is near 146 MHz): the report advises a finer
        // sweep as data, and no note names an option.
        if (sides == SideChoice::Three) {
            EXPECT_FALSE(one.report.resonancesMHz.empty());
        }
        EXPECT_EQ(one.report.advice,
                  one.report.resonancesMHz.empty() ? std::vector<Advice>{} : std::vector<Advice>{Advice::FinerSweep});
        for (const std::string& note : one.report.notes) EXPECT_EQ(note.find("--"), std::string::npos) << note;
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
    struct Case {
        const char* mode;
        FailureKind kind;
        const char* message;
    };
    const Case cases[] = {
        {"hang", FailureKind::EngineTimedOut, "did not finish within its time budget of 1 s for all of"},
        {"crash", FailureKind::EngineCrashed, "crashed on the model (signal 11"},
        {"fail", FailureKind::EngineFailed,
         "failed on the model (exit status 1); it said:\n  GW card: the segment count is out of range"},
        {"garbage", FailureKind::Answer, "no segment count"},
        {"stop", FailureKind::Stopped, "stopped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string mode = c.mode == std::string("stop") ? "hang" : c.mode;
        setenv("CORVANTA_STAND_IN", mode.c_str(), 1);
        CheckOptions options = Short(2);
        options.program = CORVANTA_TEST_DATA "/stand_in_engine.sh";
        options.timeoutSeconds = 1;
        std::stop_source stop;
        std::jthread stopper;
        if (c.mode == std::string("stop")) {
            options.timeoutSeconds = 60;
            options.stop = stop.get_token();
            stopper = std::jthread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                stop.request_stop();
            });
        }
        try {
            RunCheck(Awg20(SideChoice::Three), options);
            ADD_FAILURE() << "no error";
        } catch (const Failure& error) {
            EXPECT_EQ(error.Kind(), c.kind);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        if (stopper.joinable()) stopper.join();
        // SIGKILL reaches the group at once, but a process takes a moment
        // to go; the bound is against a leak, not a measure of speed.
        for (int tries = 0; tries < 500 && SleepRunning(temporary); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
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
    } catch (const Failure& error) {
        EXPECT_EQ(error.Kind(), FailureKind::EngineMissing);
        EXPECT_EQ(error.Facts().program, "nec2c-that-is-not-installed");
    }

    // A TMPDIR that is not there: the system's words, as a failure of the
    // check like the others. The stand-in, so that no nec2c is needed to
    // get that far.
    setenv("TMPDIR", "/nonexistent-corvanta-folder", 1);
    CheckOptions nowhere = Short(1);
    nowhere.program = CORVANTA_TEST_DATA "/stand_in_engine.sh";
    try {
        RunCheck(Awg20(SideChoice::Three), nowhere);
        ADD_FAILURE() << "no error";
    } catch (const Failure& error) {
        EXPECT_EQ(error.Kind(), FailureKind::System);
        EXPECT_NE(std::string(error.what()).find("/nonexistent-corvanta-folder/corvanta-nec-"), std::string::npos)
            << error.what();
    }
    unsetenv("TMPDIR");
}

// A stand-in engine written for one test: a shell script in its own folder.
class StandIns {
public:
    StandIns()
        : folder_(std::filesystem::path(::testing::TempDir()) / ("corvanta-stand-ins-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~StandIns() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Write(const std::string& name, const std::string& body) const {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0755);
        return path.string();
    }

private:
    std::filesystem::path folder_;
};

// The processes whose command line holds `marker`, which only this test
// process gives its stand-ins' sleeps.
int ProcessesWith(const std::string& marker) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (FileText(entry.path() / "cmdline").find(marker) != std::string::npos) ++count;
    }
    return count;
}

// Children of this process not yet reaped.
std::string Unreaped() {
    std::string children;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        children += FileText(task.path() / "children");
    }
    return children;
}

// Engines that leave children behind (in their group, in sessions of their
// own, two generations deep), that ignore SIGTERM, or that flood their
// output: whatever the outcome, nothing they started is left and the
// message keeps only their last words.
TEST(EngineRunner, NothingAnEngineStartsOutlivesTheCheck) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const StandIns standIns;
    // A sleep long enough to outlive any test, told apart by this process.
    const std::string marker = "987654." + std::to_string(getpid());
    const std::string sleep = "sleep " + marker;
    struct Case {
        const char* name;
        std::string body;
        const char* message;  // none: the check passes
    };
    const Case cases[] = {
        {"forks", sleep + " &\nexec nec2c \"$@\"", nullptr},
        {"leaves-its-session",
         "setsid " + sleep + " &\nsetsid sh -c '" + sleep + " & " + sleep +
             " & exit 0' &\nsleep 0.2\nexec nec2c \"$@\"",
         nullptr},
        {"ignores-sigterm", "trap '' TERM\n" + sleep + " &\nwait", "did not finish within its time budget of 1 s"},
        {"floods-then-fails",
         "yes 'the engine says this over and over' | head -n 500000\n" + sleep +
             " &\necho 'GW card: the last words' >&2\nexit 1",
         "GW card: the last words"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CheckOptions options = Short(2);
        options.program = standIns.Write(c.name, c.body);
        options.timeoutSeconds = c.message ? 1 : 60;
        try {
            const ModelCheck check = RunCheck(Awg20(SideChoice::Three), options);
            EXPECT_EQ(c.message, nullptr) << "no error";
            EXPECT_TRUE(check.report.Sane());
        } catch (const Failure& error) {
            ASSERT_NE(c.message, nullptr) << error.what();
            const std::string what = error.what();
            EXPECT_NE(what.find(c.message), std::string::npos) << what;
            EXPECT_LT(what.size(), 1000U);
        }
        EXPECT_EQ(ProcessesWith(marker), 0);
        EXPECT_EQ(Unreaped(), "");
    }
}

// nec2c refuses a file name of 76 characters or more: a TMPDIR deep enough
// to make every path that long must not matter.
TEST(EngineRunner, ADeepTmpdirDoesNotMatter) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    std::filesystem::path deep = std::filesystem::path(::testing::TempDir()) / ("corvanta-" + std::to_string(getpid()));
    const std::filesystem::path top = deep;
    while (deep.string().size() < 120) deep /= "a-rather-long-folder-name";
    std::filesystem::create_directories(deep);
    setenv("TMPDIR", deep.c_str(), 1);
    const ModelCheck check = RunCheck(Awg20(SideChoice::Four), Short(2));
    unsetenv("TMPDIR");
    EXPECT_TRUE(check.report.Sane());
    EXPECT_EQ(check.report.sweep.size(), 7U);
    EXPECT_TRUE(std::filesystem::is_empty(deep));
    std::filesystem::remove_all(top);
}

}  // namespace
}  // namespace corvanta::nec
