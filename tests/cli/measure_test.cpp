// corvanta-cli analyser, measure and check --device against the emulated
// analyser: the device's own S11 written point for point, a sweep checked
// at once as its saved file would be, and every failure a message, exit
// status 1 and no file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <complex>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/device/emulator.h"
#include "tests/installed.h"

#include <nlohmann/json.hpp>

namespace corvanta::cli {
namespace {

namespace fs = std::filesystem;
using test::EmulatedReflection;
using test::Emulator;

std::string Text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class CliMeasure : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / ("corvanta-measure-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string File(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

struct Points {
    const char* sweep;
    std::size_t points;
};

class MeasureWrites : public CliMeasure, public ::testing::WithParamInterface<Points> {};

// A board of 101 points: 201 and 1001 points are swept in segments.
TEST_P(MeasureWrites, TheDevicesOwnReflection) {
    Emulator emulator({"--limit", "101"});
    ASSERT_FALSE(emulator.Path().empty());
    const std::string output = File("sweep.s1p");
    const Outcome run =
        RunCli({"measure", "--device", emulator.Path(), "--sweep", GetParam().sweep, "--output", output});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(Text(output));
    std::string line;
    std::getline(lines, line);
    EXPECT_TRUE(line.starts_with("! S11 measured by Test analyser, firmware 1.2.27, at " + emulator.Path() + ", 20"))
        << line;
    std::size_t points = 0;
    bool options = false;
    double last = 0;
    while (std::getline(lines, line)) {
        if (line.starts_with("!")) continue;
        if (line.starts_with("#")) {
            EXPECT_EQ(line, "# Hz S RI R 50");
            options = true;
            continue;
        }
        std::istringstream words(line);
        double hz = 0, re = 0, im = 0;
        ASSERT_TRUE(words >> hz >> re >> im) << line;
        EXPECT_GT(hz, last) << line;
        last = hz;
        const std::complex<double> expected = EmulatedReflection(hz);
        EXPECT_NEAR(re, expected.real(), 6e-10) << line;
        EXPECT_NEAR(im, expected.imag(), 6e-10) << line;
        ++points;
    }
    EXPECT_TRUE(options);
    EXPECT_EQ(points, GetParam().points);
}

INSTANTIATE_TEST_SUITE_P(Cli, MeasureWrites,
                         ::testing::Values(Points{"140:155:101", 101}, Points{"140:155:201", 201},
                                           Points{"130:165:1001", 1001}));

// check --device sweeps and checks in one step: the report of check
// --measured with the file measure wrote, its source apart.
TEST_F(CliMeasure, CheckWithTheDeviceIsCheckWithItsFile) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    Emulator emulator;
    const std::string saved = File("saved.s1p");
    const std::vector<std::string> check = {"check",   "--freq",     "146",      "--sides", "3",
                                            "--sweep", "138:156:73", "--format", "json"};
    ASSERT_EQ(RunCli({"measure", "--device", emulator.Path(), "--sweep", "138:156:73", "--output", saved}).status, 0);
    std::vector<std::string> fromFile = check, fromDevice = check;
    fromFile.insert(fromFile.end(), {"--measured", saved});
    fromDevice.insert(fromDevice.end(), {"--device", emulator.Path()});
    const Outcome file = RunCli(fromFile);
    const Outcome device = RunCli(fromDevice);
    ASSERT_EQ(file.status, 0) << file.err;
    ASSERT_EQ(device.status, 0) << device.err;
    auto a = nlohmann::ordered_json::parse(file.out);
    auto b = nlohmann::ordered_json::parse(device.out);
    EXPECT_EQ(a["measured"]["source"], saved);
    EXPECT_EQ(b["measured"]["source"], "Test analyser at " + emulator.Path());
    a["measured"].erase("source");
    b["measured"].erase("source");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a["measured"]["points"], 73);
}

// The loop as the model has it, cut 1.5 % small: the check finds the
// resonance 1.5 % high and the trim that makes the loop 1.5 % larger.
TEST_F(CliMeasure, TheModelsLoopShiftedIsFoundShifted) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::string model = File("model.s1p");
    const std::vector<std::string> check = {"check", "--freq", "146", "--sides", "3", "--format", "json"};
    std::vector<std::string> modelled = check;
    modelled.insert(modelled.end(), {"--sweep", "120:175:221", "--sweep-mode", "exact", "--s1p", model});
    const Outcome ran = RunCli(modelled);
    ASSERT_EQ(ran.status, 0) << ran.err;
    const double modelResonance = nlohmann::json::parse(ran.out)["resonances_mhz"][0];
    Emulator emulator({"--model", model, "--shift", "1.5"});
    std::vector<std::string> measured = check;
    measured.insert(measured.end(), {"--sweep", "135:160:126", "--device", emulator.Path()});
    const Outcome device = RunCli(measured);
    ASSERT_EQ(device.status, 0) << device.err;
    const auto report = nlohmann::json::parse(device.out);
    const auto& m = report["measured"];
    ASSERT_TRUE(m["resonance_mhz"].is_number()) << m.dump(2);
    // The engine's sweep and the shifted one meet between points: within
    // a tenth of a per cent.
    EXPECT_NEAR(m["resonance_mhz"].get<double>() / (modelResonance * 1.015), 1, 1e-3) << m.dump(2);
    EXPECT_NEAR(m["fit"]["scale"].get<double>(), 1 / 1.015, 2e-3) << m.dump(2);
}

// Without --sweep the check runs first and chooses the range around its
// resonance: the model's resonance within its uncertainty and 5 % more,
// and the design frequency, said in the text before the report.
TEST_F(CliMeasure, WithoutASweepTheRangeIsAroundTheModelsResonance) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    Emulator emulator;
    const Outcome run = RunCli({"check", "--freq", "146", "--sides", "3", "--device", emulator.Path()});
    ASSERT_EQ(run.status, 0) << run.err;
    double from = 0, to = 0, resonance = 0, width = 0;
    int points = 0;
    ASSERT_EQ(std::sscanf(run.out.c_str(),
                          "the analyser swept %lf to %lf MHz in %d points: the model's resonance %lf MHz within %lf %%",
                          &from, &to, &points, &resonance, &width),
              5)
        << run.out;
    EXPECT_EQ(points, 101);
    EXPECT_GE(width, 5);
    const Outcome json =
        RunCli({"check", "--freq", "146", "--sides", "3", "--device", emulator.Path(), "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["measured"]["points"], 101);
    const double modelled = report["resonances_mhz"][0];
    const double sure = report["resonance_uncertainty_percent"].get<double>() + 5;
    EXPECT_NEAR(modelled, resonance, 0.005);
    EXPECT_NEAR(sure, width, 0.005);
    EXPECT_NEAR(from, std::min(146.0, modelled * (1 - sure / 100)), 2e-3);
    EXPECT_NEAR(to, std::max(146.0, modelled * (1 + sure / 100)), 2e-3);
}

struct Refusal {
    const char* name;
    std::vector<std::string> emulator;  // none started when it holds "none"
    const char* says;
};

class MeasureRefuses : public CliMeasure, public ::testing::WithParamInterface<Refusal> {};

// The file already there stays as it was; no other is made.
TEST_P(MeasureRefuses, WritingNothing) {
    const Refusal& r = GetParam();
    std::optional<Emulator> emulator;
    std::string device = "/dev/no-analyser-here";
    if (r.emulator.empty() || r.emulator.front() != "none") {
        emulator.emplace(r.emulator);
        device = emulator->Path();
    }
    const std::string output = File("sweep.s1p");
    const std::string plot = File("plot.svg");
    { std::ofstream(output) << "kept\n"; }
    for (const bool check : {false, true}) {
        const Outcome run = check
                                ? RunCli({"check", "--freq", "146", "--sides", "3", "--device", device, "--plot", plot})
                                : RunCli({"measure", "--device", device, "--sweep", "140:155:201", "--output", output});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one message: " << run.err;
        EXPECT_EQ(Text(output), "kept\n");
        EXPECT_FALSE(fs::exists(plot));
        if (emulator && std::string(r.name) == "unplugged") break;  // it is gone
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, MeasureRefuses,
    ::testing::Values(
        Refusal{"no_device", {"none"}, "no analyser at /dev/no-analyser-here"},
        Refusal{"no_prompt", {"--silent"}, "gave no prompt within 3 s"},
        Refusal{"garbage", {"--garbage"}, "which is not a point's FREQ RE IM; nothing was kept"},
        Refusal{"unplugged", {"--limit", "101", "--unplug-after", "150"}, " of 201 points); nothing was kept"}),
    [](const ::testing::TestParamInfo<Refusal>& each) { return std::string(each.param.name); });

TEST_F(CliMeasure, UsageNamesWhatIsMissing) {
    EXPECT_EQ(RunCli({"measure", "--device", "/dev/ttyACM0", "--output", File("a.s1p")}).status, 2);
    EXPECT_EQ(RunCli({"measure", "--device", "/dev/ttyACM0", "--sweep", "1:2:3", "--output", File("a.txt")}).status, 2);
    const Outcome both =
        RunCli({"check", "--freq", "146", "--sides", "3", "--device", "/dev/ttyACM0", "--measured", File("a.s1p")});
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--device measures now: leave out --measured"), std::string::npos) << both.err;
}

}  // namespace
}  // namespace corvanta::cli
