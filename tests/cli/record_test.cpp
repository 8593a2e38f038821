// corvanta-cli record and check --record: a record written from options
// checks as those options do, a bad input writes nothing, and a damaged
// record is refused with its field and checks nothing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
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
    EXPECT_EQ(json["version"], 2);
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
    // The same report, but for the source: the record keeps the file's name.
    Json a = Json::parse(fromRecord.out), b = Json::parse(plain.out);
    ASSERT_TRUE(a.contains("measured"));
    EXPECT_EQ(a["measured"]["source"], "measured-146-three.s1p");
    EXPECT_EQ(b["measured"]["source"], kMeasured);
    a["measured"].erase("source");
    b["measured"].erase("source");
    EXPECT_EQ(a, b);
}

// A loop swept twice, cut 2 % long and then 0.5 % long: the model's own
// sweep with its frequencies over 1.02 and over 1.005, as a loop of that
// size resonates. The record's check sets the cut from the two sweeps
// beside the trim, worked here from the model's resonance f: the line
// through (100 (1.02 / 1.005 - 1) %, f / 1.02) and (0, f / 1.005), and
// the size on it that resonates at 146 MHz.
TEST_F(CliRecord, TwoSweepsOfOneLoopGiveTheirCutBesideTheTrim) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::string model = File("model.s1p");
    const Outcome ran = RunCli({"check", "--freq", "146", "--sides", "3", "--sweep", "120:175:221", "--sweep-mode",
                                "exact", "--s1p", model, "--format", "json"});
    ASSERT_EQ(ran.status, 0) << ran.err;
    const Json modelled = Json::parse(ran.out);
    const double f = modelled["resonances_mhz"][0];
    ASSERT_EQ(modelled["headline"]["cut"], "design");
    const Json& design = modelled["headline"]["lengths"];
    const double height = design["height_mm"], side = design["side_mm"], gap = design["gap_mm"];
    const auto sweptAt = [&](double k, const std::string& name) {
        std::istringstream in(Text(model));
        std::ostringstream out;
        out.precision(12);
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '!' || line[0] == '#') {
                out << line << "\n";
                continue;
            }
            std::istringstream words(line);
            double frequency = 0;
            words >> frequency;
            std::string rest;
            std::getline(words, rest);
            out << frequency / k << rest << "\n";
        }
        std::ofstream(File(name)) << out.str();
        return File(name);
    };
    const auto cutAt = [&](double k) {
        std::ostringstream lengths;
        lengths.precision(10);
        lengths << height * k << ':' << side * k << ':' << gap * k;
        return lengths.str();
    };
    const std::string record = File("loop.corvanta");
    ASSERT_EQ(RunCli({"record", "--freq", "146", "--sides", "3", "--measured", sweptAt(1.02, "first.s1p"), "--as-built",
                      cutAt(1.02), "--measured", sweptAt(1.005, "second.s1p"), "--as-built", cutAt(1.005), "--output",
                      record})
                  .status,
              0);
    const Outcome checked = RunCli({"check", "--record", record, "--format", "json"});
    ASSERT_EQ(checked.status, 0) << checked.err;
    const Json headline = Json::parse(checked.out)["headline"];
    ASSERT_EQ(headline["cut"], "trimmed") << headline.dump(2);
    ASSERT_TRUE(headline.contains("two_sweep_cut")) << headline.dump(2);
    const Json& two = headline["two_sweep_cut"];
    const double fa = f / 1.02, fb = f / 1.005, xa = 100 * (1.02 / 1.005 - 1);
    const double slope = (fa - fb) / xa;
    const double next = 1.005 * (1 + (146 - fb) / slope / 100);
    EXPECT_NEAR(two["mhz_per_percent"].get<double>() / slope, 1, 0.02) << two.dump(2);
    EXPECT_NEAR(two["height_mm"].get<double>() / (height * next), 1, 1e-3) << two.dump(2);
    EXPECT_NEAR(two["side_mm"].get<double>() / (side * next), 1, 1e-3) << two.dump(2);
    EXPECT_NEAR(two["gap_mm"].get<double>() / (gap * next), 1, 1e-3) << two.dump(2);
    // The difference from the trim's lengths as the headline gives them;
    // both cuts bring one loop to 146 MHz, so they lie close.
    const Json& trim = headline["lengths"];
    const double difference = 100 * ((two["height_mm"].get<double>() + two["side_mm"].get<double>()) /
                                         (trim["height_mm"].get<double>() + trim["side_mm"].get<double>()) -
                                     1);
    EXPECT_NEAR(two["difference_percent"].get<double>(), difference, 2e-3) << two.dump(2);
    EXPECT_LT(std::abs(difference), 0.5);

    const Outcome text = RunCli({"check", "--record", record});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::size_t cut = text.out.find("\n  cut the lengths trimmed from the measurement: HEIGHT ");
    const std::size_t sweeps = text.out.find("\n  from the last two sweeps: HEIGHT ");
    ASSERT_NE(cut, std::string::npos) << text.out;
    EXPECT_EQ(sweeps, text.out.find('\n', cut + 1)) << "right under the cut:\n" << text.out;
    EXPECT_NE(text.out.find(" MHz per 1 %); ", sweeps), std::string::npos) << text.out;

    // One sweep alone gives no cut from the sweeps.
    const Outcome plain = RunCli({"check", "--freq", "146", "--sides", "3", "--measured", sweptAt(1.005, "b.s1p"),
                                  "--as-built", cutAt(1.005), "--format", "json"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_FALSE(Json::parse(plain.out)["headline"].contains("two_sweep_cut"));
}

// The sheet of a record, with its check as the window runs it (the tune
// included): one set of lengths to cut, the verdict's, the design's in grey
// beside them, the lengths as cut and the measurement, and the plot on a
// page of its own.
TEST_F(CliRecord, SheetOfARecordPrintsTheVerdictsLengths) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    if (!testing::Installed("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    const std::string record = File("loop.corvanta");
    const Outcome written =
        RunCli({"record", "--freq", "146", "--sides", "3", "--balun", "4", "--feeder", "50:0.66:10:7", "--match",
                "--measured", kMeasured, "--as-built", "709.6:263.5:9.55", "--output", record});
    ASSERT_EQ(written.status, 0) << written.err;
    const std::string pdf = File("loop.pdf");
    const Outcome sheet = RunCli({"sheet", "--record", record, "--output", pdf});
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_EQ(sheet.out, "");
    const Outcome info = RunProgram({"pdfinfo", pdf});
    ASSERT_EQ(info.status, 0) << info.err;
    const std::size_t pages = info.out.find("Pages:");
    ASSERT_NE(pages, std::string::npos);
    EXPECT_EQ(std::stoi(info.out.substr(pages + 6)), 2) << info.out;
    const Outcome page = RunProgram({"pdftotext", "-layout", pdf, "-"});
    ASSERT_EQ(page.status, 0) << page.err;

    // The verdict's lengths, as the check of the same record reports them.
    const Outcome check = RunCli({"check", "--record", record, "--tune", "--format", "json"});
    ASSERT_EQ(check.status, 0) << check.err;
    const Json headline = Json::parse(check.out)["headline"];
    ASSERT_EQ(headline["cut"], "trimmed") << headline.dump();
    const double scale = headline["lengths"]["height_mm"].get<double>() / 709.6;
    // The trim scales the lengths as cut, not the design's.
    EXPECT_NEAR(headline["lengths"]["side_mm"].get<double>(), 263.5 * scale, 0.002);
    const auto mm = [](double value) {
        std::ostringstream text;
        text << std::fixed << std::setprecision(2) << value;
        return text.str();
    };
    const std::string height = mm(headline["lengths"]["height_mm"]);
    const std::string gap = mm(headline["lengths"]["gap_mm"]);
    // The page's words with one space between them: a wrapped sentence reads whole.
    std::string words;
    for (std::istringstream in(page.out); in;) {
        std::string word;
        if (in >> word) words += (words.empty() ? "" : " ") + word;
    }
    for (const std::string& text :
         {std::string("CUT LIST: TRIMMED LENGTHS"), height, mm(headline["lengths"]["side_mm"]), gap,
          std::string("of the lengths as cut (HEIGHT 709.60 mm, SIDE 263.50 mm, GAP 9.55 mm)"), std::string("718.233"),
          std::string("MEASURED"), std::string("measured-146-three.s1p, taken in"), std::string("UTC"),
          std::string("Lengths as cut"), std::string("SWR AND IMPEDANCE")}) {
        EXPECT_NE(words.find(text), std::string::npos) << text;
    }
    // A half vertical is (HEIGHT - GAP) / 2 of the lengths to cut.
    const double half = (std::stod(height) - std::stod(gap)) / 2;
    // The cut list's row, not the pieces' words: a count follows it.
    std::size_t b = page.out.find("half vertical");
    while (b != std::string::npos && page.out.find_first_not_of(' ', b + 13) < page.out.size() &&
           !std::isdigit(static_cast<unsigned char>(page.out[page.out.find_first_not_of(' ', b + 13)]))) {
        b = page.out.find("half vertical", b + 13);
    }
    ASSERT_NE(b, std::string::npos);
    std::istringstream row(page.out.substr(b + 13, page.out.find('\n', b) - b - 13));
    double count = 0, length = 0;
    row >> count >> length;
    EXPECT_EQ(count, 6);
    EXPECT_NEAR(length, half, 0.0051);
    EXPECT_EQ(words.find("of the design's"), std::string::npos);

    // A sheet of a record has one output, and no option the record holds.
    const Outcome noOutput = RunCli({"sheet", "--record", record});
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_NE(noOutput.err.find("sheet --record writes the sheet with its check: give --output FILE.pdf"),
              std::string::npos)
        << noOutput.err;
    const Outcome twice = RunCli({"sheet", "--record", record, "--freq", "146", "--output", pdf});
    EXPECT_EQ(twice.status, 2);
    const Outcome missing = RunCli({"sheet", "--record", File("none.corvanta"), "--output", File("none.pdf")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(fs::exists(File("none.pdf")));
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
    const std::string comma = File("komma.s1p");
    std::ofstream(comma) << "! saved with a German locale\n# MHz S RI R 50\n146,0 0,12 -0,5\n";
    const std::string folder = folder_.string();
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
        {"endless measurement", {"record", "--freq", "146", "--sides", "3", "--measured", "/dev/zero", "--output", out}, 1, "corvanta-cli: cannot read /dev/zero: it is a device, not a file"},
        {"folder as measurement", {"record", "--freq", "146", "--sides", "3", "--measured", folder, "--output", out}, 1, "corvanta-cli: cannot read " + folder + ": it is a folder, not a file"},
        {"decimal commas", {"record", "--freq", "146", "--sides", "3", "--measured", comma, "--output", out}, 1, "corvanta-cli: " + comma + ": line 3: the numbers are written with decimal commas; a Touchstone file has a decimal point (146.5, not 146,5): save it again with points, or replace each comma with a point: \"146,0 0,12 -0,5\""},
        {"endless record", {"check", "--record", "/dev/zero"}, 1, "corvanta-cli: cannot read /dev/zero: it is a device, not a file"},
        {"folder as record", {"check", "--record", folder, "--sweep", "140:150:3"}, 1, "corvanta-cli: cannot read " + folder + ": it is a folder, not a file"},
        {"too low", {"record", "--freq", "146", "--sides", "3", "--ground", "perfect", "--height", "0.36", "--output", out}, 2, "corvanta-cli: at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model needs at least one segment (34.5 mm) between them: give a --height of 0.395 m or more"},
        {"no output", {"record", "--freq", "146", "--sides", "3"}, 2, "corvanta-cli: record needs --output FILE.corvanta"},
        {"pdf", {"record", "--freq", "146", "--sides", "3", "--output", "x.pdf"}, 2, "corvanta-cli: --output writes a build record: give FILE.corvanta"},
        {"note alone", {"record", "--freq", "146", "--sides", "3", "--note", "hi", "--output", out}, 2, "corvanta-cli: --note is kept with a measurement: give --measured FILE.s1p too"},
        {"sweep", {"record", "--freq", "146", "--sides", "3", "--sweep", "140:150:3", "--output", out}, 2, "corvanta-cli: unknown option \"--sweep\" for record"},
        {"cut ten times", {"record", "--freq", "146", "--sides", "3", "--measured", kMeasured, "--as-built", "7096:2635:95.5", "--output", out}, 2, "corvanta-cli: --as-built: HEIGHT 7096 mm, SIDE 2635 mm, GAP 95.5 mm are not lengths of this design (HEIGHT 718.233 mm, SIDE 266.718 mm, GAP 9.67 mm): HEIGHT is 9.88 times the design's, SIDE 9.88 times (0.7 to 1.3 times is taken) and GAP is 9.88 times the design's (0.5 to 2 times is taken); every length is about ten times the design's: a decimal point left out?"},
        {"HEIGHT and SIDE swapped", {"record", "--freq", "146", "--sides", "3", "--measured", kMeasured, "--as-built", "263.5:709.6:9.55", "--output", out}, 2, "corvanta-cli: --as-built: HEIGHT 263.5 mm, SIDE 709.6 mm, GAP 9.55 mm are not lengths of this design (HEIGHT 718.233 mm, SIDE 266.718 mm, GAP 9.67 mm): HEIGHT is 0.37 times the design's, SIDE 2.66 times (0.7 to 1.3 times is taken) and HEIGHT over SIDE is 0.371 where the design's is 2.693 (within 10 % is taken); HEIGHT and SIDE look swapped"},
        {"feeder velocity factor 1e-300", {"record", "--freq", "146", "--sides", "3", "--feeder", "50:1e-300:10:5", "--output", out}, 2, "corvanta-cli: --feeder's VF is its velocity factor, from 0.1 to 1"},
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
    EXPECT_EQ(names, (std::vector<std::string>{"bad.s1p", "kept.corvanta", "komma.s1p"}));
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
         "the record was made by a newer corvanta (format 3; this one reads format 2 and older)"},
        {"measurement", damaged("/measurements/0/touchstone", "[Version] 2.0\n"),
         "measurements.0.touchstone: \"measured-146-three.s1p\" does not read: line 1: "},
        {"design", damaged("/design/frequency", "146,5"),
         "Error 13: Type mismatch: design.frequency \"146,5\" is not a number"},
        {"version past 32 bits", damaged("/version", 4294967297LL),
         "the record was made by a newer corvanta (format 4294967297; this one reads format 2 and older)"},
        {"a key twice",
         [&] {
             std::string twice = text;
             return twice.insert(twice.find("\"feed\": {") + 9, "\"balun\": 4,");
         }(),
         "feed.balun appears twice; a record holds each field once"},
        {"too low over ground", damaged("/placement", Json{{"ground", "perfect"}, {"height_m", 0.36}}),
         "placement.height_m: at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model "
         "needs at least one segment (34.5 mm) between them; the ground model holds the loop from 0.395 m up"},
        {"height 1e300", damaged("/placement", Json{{"ground", "perfect"}, {"height_m", 1e300}}),
         "placement.height_m: is the height of the loop's centre in metres, above 0, at most 100000"},
        {"a band's name over other edges",
         damaged("/feed/band", Json{{"name", "2m"}, {"from_mhz", 50}, {"to_mhz", 54}}),
         "feed.band.name: is \"2m\", whose edges are 144 to 148 MHz, not 50 to 54: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = File(std::string(c.name) + ".corvanta");
        std::ofstream(file, std::ios::binary) << c.text;
        const Outcome outcome = RunCli({"check", "--record", file, "--format", "json"});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_TRUE(outcome.err.starts_with("corvanta-cli: " + file + ": " + c.message)) << outcome.err;
        // A record is not the command line: no usage, no option to give.
        EXPECT_EQ(outcome.err.find("Usage:"), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find("--"), std::string::npos) << outcome.err;
        EXPECT_EQ(Text(file), c.text);
    }
}

// Lengths as cut that a record holds and that new input would be refused
// with still open, with a warning, and the check gives no trim.
TEST_F(CliRecord, StoredLengthsThatCannotBeOpenWithoutATrim) {
    if (!corvanta::testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::string good = File("cut.corvanta");
    ASSERT_EQ(RunCli({"record", "--freq", "146", "--sides", "3", "--measured", kMeasured, "--as-built",
                      "709.6:263.5:9.55", "--output", good})
                  .status,
              0);
    Json json = Json::parse(Text(good));
    json["as_built"] = Json{{"height_mm", 7096}, {"side_mm", 2635}, {"gap_mm", 95.5}};
    const std::string stored = File("stored.corvanta");
    std::ofstream(stored, std::ios::binary) << json.dump(2);
    const Outcome outcome =
        RunCli({"check", "--record", stored, "--sweep", "120:180:61", "--pattern-step", "15", "--format", "json"});
    EXPECT_TRUE(outcome.status == 0 || outcome.status == 3) << outcome.err;
    EXPECT_TRUE(outcome.err.starts_with("corvanta-cli: warning: " + stored +
                                        ": as_built: HEIGHT 7096 mm, SIDE 2635 mm, GAP 95.5 mm are not lengths"))
        << outcome.err;
    const Json report = Json::parse(outcome.out);
    EXPECT_TRUE(report["measured"]["trimmed"].is_null());
    EXPECT_NE(report["headline"]["cut"], "trimmed");
    EXPECT_NE(report["measured"]["notes"].dump().find("no trim: the lengths as cut that the record holds"),
              std::string::npos);
}

}  // namespace
}  // namespace corvanta::cli

namespace corvanta::cli {
namespace {

// Cut and measure again: every --measured with the --as-built after it,
// in the order given; the last lengths are the loop's as it stands.
TEST_F(CliRecord, EverySweepKeepsTheLengthsItWasCutTo) {
    const std::string record = File("loop.corvanta");
    const Outcome run =
        RunCli({"record", "--freq", "146", "--sides", "3", "--measured", kMeasured, "--as-built", "718:266.7:9.67",
                "--note", "first", "--measured", kMeasured, "--as-built", "709.6:263.5:9.55", "--output", record});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json json = Json::parse(Text(record));
    EXPECT_EQ(json["version"], 2);
    ASSERT_EQ(json["measurements"].size(), 2u);
    EXPECT_EQ(json["measurements"][0]["as_built"]["height_mm"], 718);
    EXPECT_EQ(json["measurements"][0]["note"], "first");
    EXPECT_EQ(json["measurements"][1]["as_built"]["height_mm"], 709.6);
    EXPECT_EQ(json["measurements"][1]["note"], "");
    EXPECT_EQ(json["as_built"]["gap_mm"], 9.55);
}

TEST_F(CliRecord, AsBuiltFollowsItsSweepOnce) {
    const std::string record = File("loop.corvanta");
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--as-built", "718:266.7:9.67", "--measured", kMeasured},
          std::vector<std::string>{"--measured", kMeasured, "--as-built", "718:266.7:9.67", "--as-built",
                                   "709.6:263.5:9.55"}}) {
        const Outcome run = RunCli(With({"record", "--freq", "146", "--sides", "3", "--output", record}, words));
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("--as-built follows the --measured sweep"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(record));
    }
}

}  // namespace
}  // namespace corvanta::cli
