// corvanta-cli record and check --record: a record written from options
// checks as those options do, a bad input writes nothing, and a damaged
// record is refused with its field and checks nothing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/installed.h"

#include <nlohmann/json.hpp>

namespace corvanta::cli {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

const std::string kMeasured = std::string(CORVANTA_SOURCE_DIR) + "/docs/measured-146-three.s1p";

std::string Text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class CliRecord : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / ("corvanta-record-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string File(const std::string& name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

std::vector<std::string> With(std::vector<std::string> words, const std::vector<std::string>& more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

// The design, its feed, its cut and its measurement given once to record,
// then checked from the record: the same report as the plain check.
TEST_F(CliRecord, ARecordChecksAsItsOptionsDo) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    // Each option beside its value, as typed.
    // clang-format off
    const std::vector<std::string> inputs = {
        "--freq", "146", "--sides", "3", "--awg", "20", "--ground", "average", "--height", "6.5",
        "--balun", "4", "--feeder", "50:0.66:10:5", "--velocity-factor", "0.88", "--reference", "75",
        "--measured", kMeasured, "--as-built", "709.6:263.5:9.55"};
    // clang-format on
    const std::vector<std::string> checkOnly = {"--sweep", "138:150:7", "--pattern-step", "15", "--format", "json"};
    const std::string record = File("loop.corvanta");
    const Outcome written =
        RunCli(With(With({"record"}, inputs), {"--note", "after the first cut", "--output", record}));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.out + written.err, "");

    const Json json = Json::parse(Text(record));
    EXPECT_EQ(json["version"], 1);
    EXPECT_EQ(json["design"]["conductor"], Json({{"unit", "awg"}, {"text", "20"}}));
    EXPECT_EQ(json["feed"]["feeder"]["velocity_factor"], 0.66);
    EXPECT_EQ(json["measurements"][0]["file"], "measured-146-three.s1p");
    EXPECT_EQ(json["measurements"][0]["note"], "after the first cut");
    EXPECT_EQ(json["measurements"][0]["touchstone"], Text(kMeasured));
    EXPECT_EQ(json["changes"][0]["what"], Json({"design", "placement", "feed", "as_built", "measurements"}));

    const Outcome plain = RunCli(With(With({"check"}, inputs), checkOnly));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const Outcome fromRecord = RunCli(With({"check", "--record", record}, checkOnly));
    ASSERT_EQ(fromRecord.status, 0) << fromRecord.err;
    EXPECT_EQ(fromRecord.out, plain.out);
    EXPECT_TRUE(Json::parse(fromRecord.out).contains("measured"));
}

struct Refusal {
    const char* name;
    std::vector<std::string> arguments;  // @ stands for the test's folder
    int status;
    std::string message;  // all of standard error's first line
};

// Bad inputs write nothing, and a record already there stays as it was.
TEST_F(CliRecord, BadInputsWriteNothing) {
    const std::string bad = File("bad.s1p");
    std::ofstream(bad) << "# MHz S RI R 50\n146 0.1 0.2\n147 0.1 oops\n";
    const std::string out = File("kept.corvanta");
    ASSERT_EQ(RunCli({"record", "--freq", "146", "--sides", "4", "--output", out}).status, 0);
    const std::string before = Text(out);
    // One row a line, as the table reads.
    // clang-format off
    const Refusal cases[] = {
        {"frequency", {"record", "--freq", "abc", "--sides", "3", "--output", out}, 1, "corvanta-cli: Error 13: Type mismatch: --freq \"abc\" is not a number"},
        {"comma", {"record", "--freq", "146", "--sides", "3", "--mm", "1,6", "--output", out}, 1, "corvanta-cli: Error 13: Type mismatch: --mm \"1,6\" is not a number"},
        {"measurement", {"record", "--freq", "146", "--sides", "3", "--measured", bad, "--output", out}, 1, "corvanta-cli: " + bad + ": line 3: a number does not read: \"147 0.1 oops\""},
        {"no measurement", {"record", "--freq", "146", "--sides", "3", "--measured", File("none.s1p"), "--output", out}, 1, "corvanta-cli: cannot read " + File("none.s1p") + ": No such file or directory"},
        {"too low", {"record", "--freq", "146", "--sides", "3", "--ground", "perfect", "--height", "0.36", "--output", out}, 2, "corvanta-cli: at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model needs at least one segment (34.5 mm) between them: give a --height of 0.395 m or more"},
        {"no output", {"record", "--freq", "146", "--sides", "3"}, 2, "corvanta-cli: record needs --output FILE.corvanta"},
        {"pdf", {"record", "--freq", "146", "--sides", "3", "--output", "x.pdf"}, 2, "corvanta-cli: --output writes a build record: give FILE.corvanta"},
        {"note alone", {"record", "--freq", "146", "--sides", "3", "--note", "hi", "--output", out}, 2, "corvanta-cli: --note is kept with a measurement: give --measured FILE.s1p too"},
        {"sweep", {"record", "--freq", "146", "--sides", "3", "--sweep", "140:150:3", "--output", out}, 2, "corvanta-cli: unknown option \"--sweep\" for record"},
        {"record and freq", {"check", "--record", out, "--freq", "146"}, 2, "corvanta-cli: --record holds the design, its feed, its lengths and its measurement: leave out --freq"},
        {"record and feeder", {"check", "--record", out, "--sweep", "140:150:3", "--feeder", "50:0.66:10:5"}, 2, "corvanta-cli: --record holds the design, its feed, its lengths and its measurement: leave out --feeder"},
        {"record and measured", {"check", "--measured", bad, "--record", out}, 2, "corvanta-cli: --record holds the design, its feed, its lengths and its measurement: leave out --measured"},
        {"record twice", {"check", "--record", File("a.s1p"), "--s1p", File("a.s1p")}, 2, "corvanta-cli: \"" + File("a.s1p") + "\" is named twice: give each output a file of its own"},
    };
    // clang-format on
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = RunCli(c.arguments);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), c.message);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(Text(out), before);
    }
    // Only the record itself is in the folder: no temporary file is left.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.s1p", "kept.corvanta"}));
}

// A damaged record: exit 1, the record's name and the field or line, no
// check, and the file as it was.
TEST_F(CliRecord, DamagedRecordsAreRefused) {
    const std::string good = File("good.corvanta");
    ASSERT_EQ(RunCli({"record", "--freq", "146", "--sides", "3", "--measured", kMeasured, "--output", good}).status, 0);
    const std::string text = Text(good);
    const auto damaged = [&](const char* pointer, Json value) {
        Json json = Json::parse(text);
        json[Json::json_pointer(pointer)] = std::move(value);
        return json.dump(2);
    };
    const struct {
        const char* name;
        std::string text;
        std::string message;  // after "corvanta-cli: FILE: "
    } cases[] = {
        {"truncated", text.substr(0, 40),
         "line " + std::to_string(std::count(text.begin(), text.begin() + 40, '\n') + 1) +
             ": the record is not JSON: "},
        {"a number as text", damaged("/feed/lines/velocity_factor", "0.82"),
         "feed.lines.velocity_factor: is not a number"},
        {"newer", damaged("/version", 3),
         "the record was made by a newer corvanta (format 3; this one reads format 1 and older)"},
        {"measurement", damaged("/measurements/0/touchstone", "[Version] 2.0\n"),
         "measurements.0.touchstone: \"measured-146-three.s1p\" does not read: line 1: "},
        {"design", damaged("/design/frequency", "146,5"),
         "Error 13: Type mismatch: design.frequency \"146,5\" is not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = File(std::string(c.name) + ".corvanta");
        std::ofstream(file, std::ios::binary) << c.text;
        const Outcome outcome = RunCli({"check", "--record", file, "--format", "json"});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_TRUE(outcome.err.starts_with("corvanta-cli: " + file + ": " + c.message)) << outcome.err;
        EXPECT_EQ(Text(file), c.text);
    }
}

}  // namespace
}  // namespace corvanta::cli
