#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/files.h"
#include "cli/failure_words.h"
#include "cli/output.h"
#include "tests/cli/run_cli.h"
#include "tests/installed.h"
#include "tests/nec/failure_samples.h"

#include <nlohmann/json.hpp>

namespace corvanta::cli {
namespace {

using Json = nlohmann::ordered_json;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

const char* const k146ThreeSided[] = {"718.233", "28.277", "266.718",  "10.501",
                                      "9.67",    "0.381",  "421.2329", "16.5839716393178"};

TEST(CliDesign, The146MHzDesignInEveryFormat) {
    const Outcome text = RunCli({"design", "--freq", "146.00", "--sides", "3"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* number : k146ThreeSided) EXPECT_NE(text.out.find(number), std::string::npos) << number;

    const Outcome csv = RunCli({"design", "--freq", "146.00", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = Lines(csv.out);
    ASSERT_EQ(rows.size(), 3U);  // header, three sided, four sided
    EXPECT_EQ(rows[1],
              "3,146.00,14,0.064,1.626,28.277,718.233,10.501,266.718,0.381,9.67,16.5839716393178,"
              "421.2329,1.626014,-8.870969E-05,0.00845,146.0001");
    EXPECT_TRUE(rows[2].starts_with("4,146.00,14,0.064,1.626,26.733,679.027,15.402,391.212,"));

    const Outcome json = RunCli({"design", "--freq", "146.00", "--sides", "3", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    Json design = Json::parse(json.out);
    ASSERT_EQ(design.size(), 1U);
    EXPECT_EQ(design[0]["height_mm"], Json({{"text", "718.233"}, {"value", 718.233}}));
    EXPECT_EQ(design[0]["frequency_mhz"], Json({{"text", "146.00"}, {"value", 146}}));
    EXPECT_EQ(design[0].begin().key(), "sides");
}

TEST(CliTable, BandsGiveEdgesAndCentre) {
    const Outcome table = RunCli({"table", "--band", "2m", "23cm", "--sides", "4", "--format", "csv"});
    ASSERT_EQ(table.status, 0) << table.err;
    const auto rows = Lines(table.out);
    ASSERT_EQ(rows.size(), 7U);
    const char* const edges[] = {"144", "146", "148", "1240", "1270", "1300"};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_TRUE(rows[i + 1].starts_with(std::string("4,") + edges[i] + ",")) << rows[i + 1];

    const Outcome both = RunCli({"table", "--band", "6m", "--format", "csv"});
    EXPECT_EQ(Lines(both.out).size(), 7U);  // three frequencies, two shapes

    const Outcome sweep =
        RunCli({"table", "--from", "144", "--to", "148", "--step", "0.5", "--sides", "3", "--format", "csv"});
    const auto sweepRows = Lines(sweep.out);
    ASSERT_EQ(sweepRows.size(), 10U);
    EXPECT_TRUE(sweepRows[2].starts_with("3,144.5,"));
    EXPECT_TRUE(sweepRows[9].starts_with("3,148,"));

    const Outcome list = RunCli({"bands"});
    EXPECT_EQ(Lines(list.out).size(), 18U);  // a header and 17 bands, 160 m to 23 cm
}

struct ErrorCase {
    std::vector<std::string> arguments;
    int status;
    std::string message;  // the first line on standard error
    std::size_t rowsOut;  // csv lines on standard output, header included
};

TEST(CliErrors, MessagesAndExitStatus) {
    // One row a line, as the table reads.
    // clang-format off
    const ErrorCase cases[] = {
        {{"design", "--freq", "abc"}, 1, "corvanta-cli: Error 13: Type mismatch: --freq \"abc\" is not a number", 0},
        {{"design", "--freq", "1E39"}, 1, "corvanta-cli: Error 6: Overflow: --freq \"1E39\" is out of range", 0},
        {{"design", "--freq", "146", "--mm", "1,6"}, 1, "corvanta-cli: Error 13: Type mismatch: --mm \"1,6\" is not a number", 0},
        {{"design", "--freq", "146", "--inch", ""}, 1, "corvanta-cli: Error 13: Type mismatch: --inch \"\" is not a number", 0},
        {{"design", "--freq", "0"}, 1, "corvanta-cli: Error 11: Division by zero in the design for --freq \"0\"", 0},
        {{"table", "--freqs", "146,x,148", "--sides", "3", "--format", "csv"}, 1, "corvanta-cli: Error 13: Type mismatch: --freq \"x\" is not a number", 2},
        {{"frobnicate"}, 2, "corvanta-cli: unknown command \"frobnicate\"", 0},
        {{}, 2, "corvanta-cli: no command given", 0},
        {{"design", "--freq"}, 2, "corvanta-cli: --freq needs a value", 0},
        {{"design", "--sides", "3"}, 2, "corvanta-cli: design needs --freq", 0},
        {{"design", "--freq", "146", "--awg", "14", "--mm", "2"}, 2, "corvanta-cli: give only one of --awg, --inch and --mm", 0},
        {{"design", "--freq", "146", "--sides", "5"}, 2, "corvanta-cli: --sides is 3 or 4", 0},
        {{"design", "--freq", "146", "--band", "2m"}, 2, "corvanta-cli: unknown option \"--band\" for design", 0},
        {{"table", "--band", "3m"}, 2, "corvanta-cli: unknown band \"3m\" (corvanta-cli bands lists them)", 0},
        {{"table", "--band", "2m", "--freqs", "146"}, 2, "corvanta-cli: table needs one of --band, --freqs or --from/--to/--step", 0},
        {{"table", "--from", "148", "--to", "144", "--step", "1"}, 2, "corvanta-cli: a sweep needs --from <= --to and --step > 0", 0},
        {{"nec", "--freq", "146"}, 2, "corvanta-cli: nec needs --sides 3 or 4", 0},
        {{"check", "--freq", "146", "--sides", "3", "--ground", "average"}, 2, "corvanta-cli: a ground needs --height METRES, the height of the loop's centre", 0},
        {{"check", "--freq", "146", "--sides", "3", "--sweep", "140:130:5"}, 2, "corvanta-cli: --sweep needs 0 < FROM <= TO and 1 to 10000 whole POINTS", 0},
        {{"nec", "--freq", "abc", "--sides", "3"}, 1, "corvanta-cli: Error 13: Type mismatch: --freq \"abc\" is not a number", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--mm", "100"}, 1, "corvanta-cli: the conductor is too thick to model: the segments where the wires meet must be at least 8 wire radii long (400.000 mm) and at most a tenth of a wavelength at 146 MHz (205.337 mm)", 0},
        {{"check", "--freq", "146", "--sides", "3", "--velocity-factor", "1.2"}, 2, "corvanta-cli: --velocity-factor is the lines' velocity factor, from 0.1 to 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--velocity-factor", "1e-300"}, 2, "corvanta-cli: --velocity-factor is the lines' velocity factor, from 0.1 to 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--line-impedance=0"}, 2, "corvanta-cli: --line-impedance is the lines' impedance in ohm, above 0, at most 10000", 0},
        {{"check", "--freq", "146", "--sides", "3", "--line-length", "abc"}, 2, "corvanta-cli: --line-length \"abc\" is not a number", 0},
        {{"check", "--freq", "146", "--sides", "3", "--as-built", "700:260:9.5"}, 2, "corvanta-cli: --as-built gives the lengths of the measured loop: give --measured FILE.s1p too", 0},
        {{"check", "--freq", "146", "--sides", "3", "--measured", "m.s1p", "--as-built", "700:260"}, 2, "corvanta-cli: --as-built is HEIGHT:SIDE:GAP in millimetres", 0},
        {{"check", "--freq", "146", "--sides", "3", "--measured", "m.s1p", "--as-built", "700:0:9.5"}, 2, "corvanta-cli: --as-built needs HEIGHT, SIDE and GAP in millimetres, each above 0", 0},
        {{"check", "--freq", "146", "--sides", "3", "--measured", "m.s1p", "--as-built", "700,5:260:9.5"}, 2, "corvanta-cli: --as-built \"700,5\" is not a number", 0},
        {{"check", "--freq", "146", "--sides", "3", "--measured", "m.s1p", "--as-built", "9:260:9.5"}, 2, "corvanta-cli: --as-built needs a GAP shorter than the HEIGHT it is cut into", 0},
        {{"check", "--freq", "146", "--sides", "3", "--pattern", "p.pdf"}, 2, "corvanta-cli: --pattern \"p.pdf\" is not a file name ending in .svg or .png", 0},
        {{"check", "--freq", "146", "--sides", "3", "--tune=yes"}, 2, "corvanta-cli: --tune takes no value", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--tune"}, 2, "corvanta-cli: unknown option \"--tune\" for nec", 0},
        {{"sheet", "--freq", "146"}, 2, "corvanta-cli: sheet needs --sides 3 or 4", 0},
        {{"sheet", "--freq", "146", "--sides", "3", "--output", "sheet.png"}, 2, "corvanta-cli: --output writes a PDF: give FILE.pdf", 0},
        {{"sheet", "--freq", "146", "--sides", "3", "--format", "csv", "--output", "s.pdf"}, 2, "corvanta-cli: sheet prints the cut list (--format) or writes the sheet (--output), not both", 0},
        {{"sheet", "--freq", "146", "--sides", "4", "--mm", "x"}, 1, "corvanta-cli: Error 13: Type mismatch: --mm \"x\" is not a number", 0},
        {{"sheet", "--freq", "-146", "--sides", "3", "--format", "csv"}, 1, "corvanta-cli: This design cannot be cut: its HEIGHT \"-718.233\" (mm) is not above 0", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--segments-per-gap", "6"}, 2, "corvanta-cli: --segments-per-gap 6: segments of 1.612 mm (the 9.67 mm gap in 6) would be under 2 wire radii (1.626 mm), the least the extended thin-wire kernel holds: give --segments-per-gap from 2 to 5", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--awg", "20", "--segments-per-gap=16"}, 2, "corvanta-cli: --segments-per-gap 16: segments of 0.580 mm (the 9.276 mm gap in 16) would be under 2 wire radii (0.810 mm), the least the extended thin-wire kernel holds: give --segments-per-gap from 2 to 11", 0},
        {{"nec", "--freq", "1296", "--sides", "3", "--awg", "20", "--segments-per-gap", "2"}, 2, "corvanta-cli: --segments-per-gap 2: segments of 0.624 mm (the 1.248 mm gap in 2) would be under 2 wire radii (0.810 mm), the least the extended thin-wire kernel holds: leave --segments-per-gap out", 0},
        {{"check", "--freq", "146", "--sides", "3", "--feeder", "50:0,66:10:5"}, 2, "corvanta-cli: --feeder \"0,66\" is not a number", 0},
        {{"check", "--freq", "146", "--sides", "3", "--feeder", "50:0.66:10"}, 2, "corvanta-cli: --feeder is Z0:VF:METRES:DB (ohm, velocity factor, length in metres, dB per 100 m)", 0},
        {{"check", "--freq", "146", "--sides", "3", "--feeder", "50:1.2:10:5"}, 2, "corvanta-cli: --feeder's VF is its velocity factor, from 0.1 to 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--feeder", "50:1e-300:10:5"}, 2, "corvanta-cli: --feeder's VF is its velocity factor, from 0.1 to 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--feeder", "50:0.09:10:5"}, 2, "corvanta-cli: --feeder's VF is its velocity factor, from 0.1 to 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--ground", "average", "--height", "1e308"}, 2, "corvanta-cli: --height is the height of the loop's centre in metres, above 0, at most 100000", 0},
        {{"check", "--freq", "146", "--sides", "3", "--balun", "0"}, 2, "corvanta-cli: --balun is the impedance ratio N of an N:1 balun, from 1 to 100 (4 for a 4:1 balun)", 0},
        {{"check", "--freq", "146", "--sides", "3", "--port", "radio"}, 2, "corvanta-cli: --port radio needs the chain to the radio: give --balun N or --feeder Z0:VF:METRES:DB", 0},
        {{"check", "--freq", "146", "--sides", "3", "--port", "balun"}, 2, "corvanta-cli: --port is junction or radio", 0},
        {{"check", "--freq", "146", "--sides", "3", "--band", "3m"}, 2, "corvanta-cli: --band \"3m\" is no band (corvanta-cli bands lists them); or give FROM:TO in MHz", 0},
        {{"check", "--freq", "146", "--sides", "3", "--band", "148:144"}, 2, "corvanta-cli: --band FROM:TO needs 0 < FROM < TO", 0},
        {{"check", "--freq", "146", "--sides", "3", "--height", "3"}, 2, "corvanta-cli: --height places the loop over a ground: give --ground average or perfect too", 0},
        {{"check", "--freq", "146", "--sides", "3", "--ground", "perfect", "--height", "0.36"}, 2, "corvanta-cli: at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model needs at least one segment (34.5 mm) between them: give a --height of 0.395 m or more", 0},
    };
    // clang-format on
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome outcome = RunCli(c.arguments);
        EXPECT_EQ(outcome.status, c.status);
        const auto errors = Lines(outcome.err);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front(), c.message);
        EXPECT_EQ(Lines(outcome.out).size(), c.rowsOut);
        if (c.status == 2) {
            EXPECT_TRUE(errors.at(1).starts_with("Usage: "));
        }
    }
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(CliCheck, ReportsAndPlots) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::string plot = ::testing::TempDir() + "corvanta-check.svg";
    const std::string pattern = ::testing::TempDir() + "corvanta-pattern.png";
    const std::string smith = ::testing::TempDir() + "corvanta-smith.png";
    const Outcome check =
        RunCli({"check", "--freq", "146", "--sides", "4", "--sweep", "140:152:3", "--tune", "--velocity-factor", "0.9",
                "--line-length=400", "--format", "json", "--plot", plot, "--pattern", pattern, "--smith", smith});
    ASSERT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.err, "");
    Json report = Json::parse(check.out);  // not const: a missing key reads as null
    for (const Json& sanity : report["sanity"]) EXPECT_EQ(sanity["passed"], true) << sanity.dump();
    ASSERT_EQ(report["sweep"].size(), 3U);
    EXPECT_EQ(report["line"], Json({{"impedance_ohm", 300}, {"velocity_factor", 0.9}, {"length_mm", 400}}));
    for (const char* key : {"swr_lines_50", "swr_lines_200", "swr_lines_300"}) {
        EXPECT_TRUE(report["at_design"][key].is_number()) << key;
        EXPECT_TRUE(report["sweep"][1][key].is_number()) << key;
    }
    for (const char* key : {"under_2_lines_50", "under_2_lines_200", "under_2_lines_300"}) {
        EXPECT_TRUE(report[key].is_array()) << key;
    }
    EXPECT_TRUE(report["at_design"]["lines"]["r"].is_number());
    EXPECT_NEAR(report["tuned"]["scale"].get<double>(), 0.915, 0.005);
    EXPECT_NEAR(report["tuned"]["resonance_mhz"].get<double>(), 146, 0.146);
    const std::string svg = FileText(plot);
    EXPECT_TRUE(svg.starts_with("<?xml"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("MHz"), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
    EXPECT_TRUE(FileText(pattern).starts_with("\x89PNG\r\n"));
    EXPECT_TRUE(FileText(smith).starts_with("\x89PNG\r\n"));

    // A folder that is not there: told before the engines run.
    const Outcome nowhere = RunCli({"check", "--freq", "146", "--sides", "3", "--plot", "/nonexistent/plot.svg"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.out, "");
    EXPECT_EQ(nowhere.err, "corvanta-cli: cannot write /nonexistent/plot.svg: there is no folder /nonexistent\n");

    // A plot that cannot be written (a folder stands in its name): a
    // message, and the report and the other files all the same.
    const std::string blocked = ::testing::TempDir() + "corvanta-blocked.svg";
    const std::string s1p = ::testing::TempDir() + "corvanta-beside.s1p";
    std::filesystem::create_directories(blocked);
    std::filesystem::remove(s1p);
    const Outcome unwritable =
        RunCli({"check", "--freq", "146", "--sides", "3", "--sweep", "146:146:1", "--plot", blocked, "--s1p", s1p});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("  lines' junction: 157.43 -j25.48 ohm; SWR 3.24 on 50 ohm"), std::string::npos);
    EXPECT_TRUE(unwritable.err.starts_with("corvanta-cli: cannot write " + blocked)) << unwritable.err;
    EXPECT_TRUE(std::filesystem::exists(s1p));
}

// The model's sweep as Touchstone, read back as a measurement: the same
// resonance, no shift. A bad file stops the check before it runs.
TEST(CliCheck, TouchstoneOutAndBackIn) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::string s1p = ::testing::TempDir() + "corvanta-model.s1p";
    const std::vector<std::string> design = {"check", "--freq",  "146",       "--sides",        "3", "--awg",
                                             "20",    "--sweep", "138:150:7", "--pattern-step", "15"};
    std::vector<std::string> out = design;
    out.insert(out.end(), {"--s1p", s1p, "--reference", "75"});
    ASSERT_EQ(RunCli(out).status, 0);
    EXPECT_NE(FileText(s1p).find("\n# MHz S RI R 75\n138.000000 "), std::string::npos);

    std::vector<std::string> back = design;
    back.insert(back.end(), {"--measured", s1p, "--format", "json"});
    const Outcome compared = RunCli(back);
    ASSERT_EQ(compared.status, 0) << compared.err;
    Json measured = Json::parse(compared.out)["measured"];
    EXPECT_EQ(measured.begin().key(), "source");
    EXPECT_EQ(measured["source"], s1p);
    EXPECT_EQ(measured["points"], 7);
    EXPECT_EQ(measured["shift_mhz"], 0);

    const std::string bad = ::testing::TempDir() + "corvanta-bad.s1p";
    std::ofstream(bad) << "! analyser export\n# MHz S RI R 50\n146 0.1 0.2\n147 0.1 oops\n";
    std::vector<std::string> refused = design;
    refused.insert(refused.end(), {"--measured", bad});
    const Outcome failed = RunCli(refused);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err, "corvanta-cli: " + bad + ": line 4: a number does not read: \"147 0.1 oops\"\n");
}

// The model written at the radio end through a balun and a feeder, read
// back as a measurement taken there: the chain undone, the same resonance.
TEST(CliCheck, TheRadioEndOutAndBackIn) {
    const std::string s1p = ::testing::TempDir() + "corvanta-radio.s1p";
    const std::vector<std::string> design = {"check", "--freq",   "146",          "--sides",        "3",    "--awg",
                                             "20",    "--sweep",  "136:156:21",   "--pattern-step", "15",   "--balun",
                                             "4",     "--feeder", "50:0.66:10:5", "--port",         "radio"};
    std::vector<std::string> out = design;
    out.insert(out.end(), {"--s1p", s1p, "--match", "--format", "json"});
    const Outcome written = RunCli(out);
    ASSERT_EQ(written.status, 0) << written.err;
    const Json model = Json::parse(written.out);
    for (const char* key :
         {"under_2_radio", "under_1_5_radio", "swr_feeder_antenna_end", "feed_loss_db", "band", "match"}) {
        EXPECT_TRUE(model.contains(key)) << key;
    }
    EXPECT_EQ(model["band"]["name"], "2m");
    EXPECT_NEAR(model["feed_loss_db"].get<double>(), 0.5, 0.1);
    EXPECT_TRUE(model["sweep"][0].contains("swr_radio"));

    std::vector<std::string> back = design;
    back.insert(back.end(), {"--measured", s1p, "--format", "json"});
    const Outcome compared = RunCli(back);
    ASSERT_EQ(compared.status, 0) << compared.err;
    EXPECT_EQ(Json::parse(compared.out)["measured"]["shift_mhz"], 0);
    // The file's header names the port its numbers are at.
    const std::string header = FileText(s1p);
    EXPECT_NE(header.find("S11 at the radio, through a 4:1 balun and 10 m of 50 ohm feeder, velocity factor 0.66, "
                          "5 dB per 100 m"),
              std::string::npos)
        << header;
    EXPECT_EQ(header.find("S11 where the lines join"), std::string::npos) << header;

    // Plain checks carry none of the chain's keys, only the band's.
    const Outcome plain = RunCli({"check", "--freq", "146", "--sides", "3", "--awg", "20", "--sweep", "136:156:5",
                                  "--pattern-step", "15", "--format", "json"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const char* key : {"under_2_radio", "match", "feed_loss_db"}) {
        EXPECT_FALSE(Json::parse(plain.out).contains(key)) << key;
    }
    EXPECT_EQ(Json::parse(plain.out)["band"]["name"], "2m");
}

// Every count of segments a gap that is accepted writes a deck of its own.
TEST(CliNec, EverySegmentsPerGapIsAModelOfItsOwn) {
    for (const char* mhz : {"146", "432"}) {
        std::vector<std::string> decks;
        for (int count = 1;; ++count) {
            const Outcome deck = RunCli(
                {"nec", "--freq", mhz, "--sides", "3", "--awg", "20", "--segments-per-gap", std::to_string(count)});
            if (deck.status != 0) {
                EXPECT_EQ(deck.status, 2);
                EXPECT_NE(deck.err.find("give --segments-per-gap"), std::string::npos) << deck.err;
                break;
            }
            for (const std::string& before : decks) EXPECT_NE(deck.out, before) << mhz << " MHz, " << count;
            decks.push_back(deck.out);
        }
        EXPECT_GE(decks.size(), 2U) << mhz;
    }
}

// A stand-in nec2c found on PATH before the real one.
class StandInEngine {
public:
    explicit StandInEngine(const std::string& body)
        : folder_(::testing::TempDir() + "corvanta-cli-engine-" + std::to_string(getpid())) {
        std::filesystem::create_directories(folder_);
        const std::string engine = folder_ + "/nec2c";
        std::ofstream(engine) << "#!/bin/sh\n" << body << "\n";
        chmod(engine.c_str(), 0755);
        for (char** v = environ; *v; ++v) {
            const std::string variable = *v;
            variables_.push_back(variable.starts_with("PATH=") ? "PATH=" + folder_ + ":" + variable.substr(5)
                                                               : variable);
        }
        for (std::string& variable : variables_) environment_.push_back(variable.data());
        environment_.push_back(nullptr);
    }
    ~StandInEngine() { std::filesystem::remove_all(folder_); }
    char* const* Environment() { return environment_.data(); }

private:
    std::string folder_;
    std::vector<std::string> variables_;
    std::vector<char*> environment_;
};

bool Running(const std::string& marker) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (FileText((entry.path() / "cmdline").string()).find(marker) != std::string::npos) return true;
    }
    return false;
}

// Every kind of the model library's failure in the command line's words:
// the library's sentence, with the option that puts it right where there
// is one, and the exit status.
TEST(CliFailures, EveryKindInTheCommandLinesWords) {
    const struct {
        const char* words;
        int status;
    } expected[] = {
        {"the conductor is too thick to model", 1},
        {"at a height of 0.36 m the lowest wire is 0.1 mm above the ground: give a --height of 0.370 m or more", 2},
        {"nec2c is not installed; install Debian's package nec2c (sudo apt-get install nec2c)", 1},
        {"nec2c could not be started: Permission denied", 1},
        {"the check did not finish within its time budget of 12.5 s for all of nec2c's runs together; every engine "
         "was stopped (--timeout SECONDS gives the whole check longer)",
         1},
        {"nec2c crashed on the model (signal 11, Segmentation fault); it said:\n  reading the deck\n  GW card 3", 1},
        {"nec2c failed on the model (exit status 1); it said:\n  GW card: the segment count is out of range", 1},
        {"the model check was stopped", 1},
        {"the engine's output has no segment count", 1},
        {"line 4: a number does not read: \"147 0.1 oops\"", 1},
        {"cannot make a temporary directory /nowhere/corvanta-nec-XXXXXX: No such file or directory", 1},
        {"--segments-per-gap 3: segments of 3.223 mm (the 9.67 mm gap in 3) would be under 4 wire radii (3.252 mm), "
         "the least the extended thin-wire kernel holds: give --segments-per-gap 2",
         2},
    };
    const auto samples = nec::testing::FailureSamples();
    ASSERT_EQ(std::size(expected), nec::testing::kFailureKinds);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(expected[i].words);
        EXPECT_EQ(FailureWords(samples[i]), expected[i].words);
        EXPECT_EQ(ExitStatusOf(samples[i]), expected[i].status);
    }
    // A measurement's failure names its file first.
    EXPECT_EQ(FailureWords(samples.at(9), "sweep.s1p"), "sweep.s1p: line 4: a number does not read: \"147 0.1 oops\"");
    EXPECT_EQ(AdviceWords(nec::Advice::FinerSweep), "a finer --sweep places a resonance better");
}

// An engine that gets the finer model wrong without saying so (it answers
// the convergence run, the first, for a thicker wire): the convergence
// check catches it, the report comes all the same, and the status is 3.
TEST(CliCheck, AFailedSanityCheckEndsWithThree) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    StandInEngine engine(
        "if [ \"$2\" = run0.nec ]; then sed -i '/^GW/ s/ [0-9.]*$/ 1.2/' \"$2\"; fi\n"
        "PATH=${PATH#*:} exec nec2c \"$@\"");
    const std::vector<std::string> check = {"check", "--freq", "146", "--sides", "3", "--sweep", "146:146:1"};
    const Outcome insane = RunCli(check, engine.Environment());
    EXPECT_EQ(insane.status, 3) << insane.err;
    EXPECT_EQ(insane.err, "");
    EXPECT_NE(insane.out.find("FAILED  convergence: over"), std::string::npos) << insane.out;

    const Outcome sane = RunCli(check);
    EXPECT_EQ(sane.status, 0) << sane.err;
}

// The stand-in engine's sleep, started by the run marked `mark`.
bool EngineRunning(const std::string& mark) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (FileText((entry.path() / "cmdline").string()) == std::string("sleep\0987\0", 10) &&
            FileText((entry.path() / "environ").string()).find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// An engine that writes 200 MB and then hangs: the time-out holds, the
// flood is not kept, and nothing it started is left.
TEST(CliCheck, AnEngineThatFloodsAndHangsIsStopped) {
    const std::string marker = "987653." + std::to_string(getpid());
    StandInEngine engine("yes 'an engine with a great deal to say' | head -c 200000000\nsleep " + marker);
    const Outcome check = RunCli({"check", "--freq", "146", "--sides", "3", "--timeout", "3"}, engine.Environment());
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.err.find("did not finish within its time budget of 3 s"), std::string::npos) << check.err;
    EXPECT_LT(check.peakKb, 300 * 1024);
    EXPECT_FALSE(Running(marker));
}

// More engines than cores or runs: told on standard error, the report the
// same as with the engines that do run.
TEST(CliCheck, JobsBeyondTheCoresAreCapped) {
    if (!testing::Installed("nec2c")) GTEST_SKIP() << "nec2c is not installed";
    const std::vector<std::string> check = {"check", "--freq", "146", "--sides", "3", "--sweep", "140:150:3"};
    std::vector<std::string> many = check;
    many.insert(many.end(), {"--jobs", "64"});
    const Outcome capped = RunCli(many);
    ASSERT_EQ(capped.status, 0) << capped.err;
    const int cores = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
    EXPECT_TRUE(capped.err.starts_with("corvanta-cli: --jobs 64: ")) << capped.err;
    EXPECT_NE(capped.err.find(cores == 1 ? "1 engine runs at a time" : " engines run at a time"), std::string::npos)
        << capped.err;
    std::vector<std::string> one = check;
    one.insert(one.end(), {"--jobs", "1"});
    const Outcome single = RunCli(one);
    EXPECT_EQ(single.err, "");
    EXPECT_EQ(single.out, capped.out);
}

// Ctrl+C, SIGTERM and SIGHUP during a check with an engine that hangs:
// the engine goes at once, its files with it, and the program ends as a
// shell reports the signal, 128 + its number. SIGHUP comes when the
// terminal closes; by default it would end the program on the spot and
// leave the folder behind.
TEST(CliCheck, ASignalStopsTheCheck) {
    const std::filesystem::path root =
        std::filesystem::path(::testing::TempDir()) / ("corvanta-cli-signal-" + std::to_string(getpid()));
    const std::filesystem::path bin = root / "bin", temporary = root / "tmp";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(temporary);
    // The stand-in answers to the engine's name on PATH.
    std::filesystem::remove(bin / "nec2c");
    std::filesystem::create_symlink(CORVANTA_STAND_IN_ENGINE, bin / "nec2c");
    const std::string mark = "CORVANTA_CLI_SIGNAL_TEST=" + std::to_string(getpid());

    for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        std::vector<std::string> variables = {mark, "CORVANTA_STAND_IN=hang", "TMPDIR=" + temporary.string()};
        for (char** v = environ; *v; ++v) {
            const std::string variable = *v;
            if (variable.starts_with("PATH=")) variables.push_back("PATH=" + bin.string() + ":" + variable.substr(5));
            else if (!variable.starts_with("TMPDIR=")) variables.push_back(variable);
        }
        std::vector<char*> environment;
        for (std::string& variable : variables) environment.push_back(variable.data());
        environment.push_back(nullptr);

        std::vector<std::string> words = {CORVANTA_CLI_PATH, "check",     "--freq",    "146", "--sides", "3",
                                          "--sweep",         "146:146:1", "--timeout", "60"};
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        int err[2];
        ASSERT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(err[1]);

        // Until the engine runs; the bound is against a hang, not a speed.
        for (int tries = 0; tries < 6000 && !EngineRunning(mark); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(EngineRunning(mark));
        kill(pid, signal);
        const std::string said = ReadAll(err[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(said, "corvanta-cli: the model check was stopped\n");
        // SIGKILL reaches the engine's group at once, but a process takes a
        // moment to go; the bound is against a leak, not a measure of speed.
        for (int tries = 0; tries < 500 && EngineRunning(mark); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(EngineRunning(mark));
        EXPECT_TRUE(std::filesystem::is_empty(temporary));
    }
    std::filesystem::remove_all(root);
}

// The 146 MHz cut lists as worked out by hand in tests/core/cut_list_test.cpp.
TEST(CliSheet, CutListInEveryFormat) {
    const Outcome json = RunCli({"sheet", "--freq", "146", "--sides", "3", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, R"({
  "pieces": [
    {
      "name": "horizontal side",
      "count": 6,
      "length_mm": 266.718,
      "length_in": 10.501
    },
    {
      "name": "half vertical",
      "count": 6,
      "length_mm": 354.28,
      "length_in": 13.948
    }
  ],
  "conductor_total_mm": 3725.988,
  "line_count": 3,
  "line_length_mm": 421.2329,
  "line_total_mm": 1263.6987
}
)");

    const Outcome csv = RunCli({"sheet", "--freq", "146", "--sides", "4", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(
        Lines(csv.out),
        (std::vector<std::string>{
            "name,count,length_mm,length_in,total_mm,total_in", "horizontal side,8,391.212,15.402,3129.696,123.216",
            "half vertical,8,334.68,13.176,2677.44,105.408", "conductor total,,,,5807.136,228.624",
            "300 ohm line,4,421.2329,16.5839716393178,1684.9316,66.3358865572712"}));

    const Outcome text = RunCli({"sheet", "--freq", "146", "--sides", "3"});
    ASSERT_EQ(text.status, 0) << text.err;
    const auto lines = Lines(text.out);
    ASSERT_GE(lines.size(), 6U);
    EXPECT_EQ(lines[0], "Cut list of the 146 MHz 3-sided loop (AWG 14, 0.064 in, 1.626 mm)");
    EXPECT_EQ(lines[3], "half vertical        6     354.28            13.948    2125.68            83.688");
    EXPECT_NE(text.out.find("rounded to 0.01 mm and 0.001"), std::string::npos);
}

// The page from the built program, with no display, read back as text.
TEST(CliSheet, PdfHoldsTheDimensionsAndTotals) {
    if (!testing::Installed("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v) {
        const std::string variable = *v;
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("WAYLAND_DISPLAY=") &&
            !variable.starts_with("QT_QPA_PLATFORM=")) {
            variables.push_back(variable);
        }
    }
    std::vector<char*> headless;
    for (std::string& variable : variables) headless.push_back(variable.data());
    headless.push_back(nullptr);

    const struct {
        const char* sides;
        std::vector<std::string> texts;  // each must be on the page
    } cases[] = {
        {"3",
         {"146 MHz THREE SIDED prism loop", "AWG 14", "718.233", "28.277", "266.718", "10.501", "9.67", "0.381",
          "421.2329", "16.5839716393178", "354.28", "13.948", "1600.308", "2125.68", "3725.988", "146.694", "1263.6987",
          "49.7519149179534", "rounded to 0.01 mm"}},
        {"4",
         {"146 MHz FOUR SIDED prism loop", "679.027", "26.733", "391.212", "15.402", "334.68", "13.176", "5807.136",
          "228.624", "1684.9316", "66.3358865572712"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sides);
        const std::string pdf = ::testing::TempDir() + "corvanta-sheet-" + c.sides + ".pdf";
        const Outcome written =
            RunCli({"sheet", "--freq", "146", "--sides", c.sides, "--output", pdf}, headless.data());
        ASSERT_EQ(written.status, 0) << written.err;
        EXPECT_TRUE(written.out.empty());
        const Outcome info = RunProgram({"pdfinfo", pdf});
        ASSERT_EQ(info.status, 0) << info.err;
        const std::size_t pages = info.out.find("Pages:");
        ASSERT_NE(pages, std::string::npos);
        std::string count = info.out.substr(pages + 6, info.out.find('\n', pages) - pages - 6);
        count.erase(0, count.find_first_not_of(' '));
        EXPECT_EQ(count, "1");
        const Outcome page = RunProgram({"pdftotext", "-layout", pdf, "-"});
        ASSERT_EQ(page.status, 0) << page.err;
        for (const std::string& text : c.texts) EXPECT_NE(page.out.find(text), std::string::npos) << text;
    }

    const Outcome nowhere = RunCli({"sheet", "--freq", "146", "--sides", "3", "--output", "/nonexistent/sheet.pdf"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "corvanta-cli: cannot write /nonexistent/sheet.pdf: No such file or directory\n");
}

TEST(CliOutput, QuotingRules) {
    EXPECT_EQ(CsvField("1.5"), "1.5");
    EXPECT_EQ(CsvField("1,5"), "\"1,5\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("a\r\nb"), "\"a\r\nb\"");
}

TEST(CliOptions, ValuesMayStartWithAMinusOrFollowAnEqualsSign) {
    const Invocation negative = ParseCommandLine({"design", "--freq", "-146", "--mm=2"});
    EXPECT_EQ(negative.frequency, "-146");
    ASSERT_TRUE(negative.size);
    EXPECT_EQ(negative.size->text, "2");
    EXPECT_EQ(ParseCommandLine({"design", "--help"}).helpFor, Command::Design);
    EXPECT_EQ(RunCli({"--version"}).out, "corvanta-cli 1.00\n");
}

// A size goes into its own box and runs the CHANGE under it, after ACCEPT
// and before COMPUTE: the conductor columns are what that CHANGE writes.
TEST(CliDesign, ASizeRunsTheChangeUnderItsBox) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--awg", "9009"}, "3,146,9009,0.365,9.26,"},
        {{"--awg", "41"}, "3,146,41,0.064,1.62,"},  // unlisted: ACCEPT's inch stays
        {{"--inch", "0.014775"}, "3,146,27,0.014775,0.37,"},
        {{"--mm", "2.50000001"}, "3,146,11,0.098,2.50000001,"},
    };
    for (const auto& [size, row] : cases) {
        std::vector<std::string> arguments = {"design", "--freq", "146", "--sides", "3", "--format", "csv"};
        arguments.insert(arguments.end(), size.begin(), size.end());
        const Outcome outcome = RunCli(arguments);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_TRUE(Lines(outcome.out).at(1).starts_with(row)) << Lines(outcome.out).at(1);
    }
}

// --help, each command's help and the manual page come from the parser's
// own tables: every command and every option it takes is in them.
TEST(CliHelp, EveryCommandAndOptionIsDescribed) {
    const std::string all = UsageText(std::nullopt);
    const std::pair<Command, const char*> commands[] = {{Command::Design, "design"},     {Command::Table, "table"},
                                                        {Command::Bands, "bands"},       {Command::Nec, "nec"},
                                                        {Command::Check, "check"},       {Command::Sheet, "sheet"},
                                                        {Command::Record, "record"},     {Command::Line, "line"},
                                                        {Command::Analyser, "analyser"}, {Command::Measure, "measure"}};
    ASSERT_EQ(CommandNames().size(), std::size(commands));
    for (const auto& [command, name] : commands) {
        SCOPED_TRACE(name);
        EXPECT_NE(all.find("\n  " + std::string(name) + " "), std::string::npos);
        EXPECT_NE(ShortUsage().find("corvanta-cli " + std::string(name)), std::string::npos);
        const std::string own = UsageText(command);
        for (std::string_view option : OptionNames(command)) {
            SCOPED_TRACE(std::string(option));
            EXPECT_NE(own.find("\n  " + std::string(option)), std::string::npos) << "not in the command's options";
            // Every option shows in its command's usage line too.
            const std::string usage = own.substr(0, own.find('\n'));
            EXPECT_TRUE(usage.find(std::string(option) + " ") != std::string::npos ||
                        usage.find(std::string(option) + "]") != std::string::npos)
                << usage;
            EXPECT_NE(all.find("\n  " + std::string(option) + " "), std::string::npos);
            // And the parser takes it (a flag with no value, the rest with one).
            EXPECT_THROW(ParseCommandLine({name, std::string(option) + "=?", "--unknown"}), UsageError);
        }
    }
}

// The manual page is help2man's reading of --help: it has every command.
TEST(CliHelp, TheManualPageListsEveryCommand) {
    if (!testing::Installed("help2man")) GTEST_SKIP() << "help2man is not installed";
    const Outcome page = RunProgram({"help2man", "--no-info", "--name", "test", CORVANTA_CLI_PATH});
    ASSERT_EQ(page.status, 0) << page.err;
    for (std::string_view name : CommandNames()) {
        EXPECT_NE(page.out.find("\n" + std::string(name) + "\n"), std::string::npos) << name;
    }
    for (std::string_view option : OptionNames(Command::Check)) {
        std::string escaped;
        for (char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(page.out.find(escaped), std::string::npos) << option;
    }
}

// The frequencies of a table: the sweep keeps its last edge that repeated
// additions would miss by a rounding, bands give edge, centre, edge.
TEST(CliTable, FrequenciesOfATable) {
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> texts;
    } cases[] = {
        {{"table", "--from", "144", "--to", "145", "--step", "0.1"},
         {"144", "144.1", "144.2", "144.3", "144.4", "144.5", "144.6", "144.7", "144.8", "144.9", "145"}},
        {{"table", "--from", "7", "--to", "7", "--step", "1"}, {"7"}},
        {{"table", "--band", "2m", "20m"}, {"144", "146", "148", "14", "14.175", "14.35"}},
        {{"table", "--freqs", "146,146.0,1e2"}, {"146", "146.0", "1e2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        EXPECT_EQ(TableFrequencies(ParseCommandLine(c.arguments)), c.texts);
    }
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"table", "--from", "145", "--to", "144", "--step", "1"},
          {"table", "--from", "1", "--to", "100000", "--step", "1"},
          {"table", "--band", "2 m"}}) {
        EXPECT_THROW(TableFrequencies(ParseCommandLine(bad)), UsageError) << bad.back();
    }
}

TEST(CliFiles, WhereAFileCannotBeWritten) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("corvanta-files-" + std::to_string(getpid()));
    fs::create_directories(folder);
    EXPECT_FALSE(FolderProblem((folder / "plot.svg").string()));
    EXPECT_FALSE(FolderProblem("plot.svg"));  // the working folder
    const auto missing = FolderProblem((folder / "nowhere" / "plot.svg").string());
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->find("there is no folder"), std::string::npos) << *missing;
    {
        std::ofstream file(folder / "bytes.s1p", std::ios::binary);
        file << std::string("# MHz S RI R 50\r\n146 0 0\0tail", 29);
    }
    EXPECT_EQ(ReadFile((folder / "bytes.s1p").string()), std::string("# MHz S RI R 50\r\n146 0 0\0tail", 29));
    EXPECT_THROW(ReadFile((folder / "none.s1p").string()), nec::Failure);
    fs::remove_all(folder);
}

// Lengths as cut typed with --as-built are judged against the design
// before anything runs: refused with the lengths, the design's and the
// likely slip (exit 2, no usage: the command line was understood).
TEST(CliCheck, LengthsAsCutThatCannotBeAreRefused) {
    const std::string design = "are not lengths of this design (HEIGHT 718.233 mm, SIDE 266.718 mm, GAP 9.67 mm): ";
    const struct {
        const char* name;
        const char* lengths;
        std::string message;
    } cases[] = {
        {"ten times", "7096:2635:95.5",
         "corvanta-cli: --as-built: HEIGHT 7096 mm, SIDE 2635 mm, GAP 95.5 mm " + design +
             "HEIGHT is 9.88 times the design's, SIDE 9.88 times (0.7 to 1.3 times is taken) and GAP is 9.88 times "
             "the design's (0.5 to 2 times is taken); every length is about ten times the design's: a decimal point "
             "left out?"},
        {"swapped", "263.5:709.6:9.55",
         "corvanta-cli: --as-built: HEIGHT 263.5 mm, SIDE 709.6 mm, GAP 9.55 mm " + design +
             "HEIGHT is 0.37 times the design's, SIDE 2.66 times (0.7 to 1.3 times is taken) and HEIGHT over SIDE is "
             "0.371 where the design's is 2.693 (within 10 % is taken); HEIGHT and SIDE look swapped"},
        {"a tiny gap", "709.6:263.5:0.001",
         "corvanta-cli: --as-built: HEIGHT 709.6 mm, SIDE 263.5 mm, GAP 0.001 mm " + design +
             "GAP is 0.0001 times the design's (0.5 to 2 times is taken)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = RunCli({"check", "--freq", "146", "--sides", "3", "--measured", "none.s1p",
                                        "--as-built", c.lengths, "--format", "json"});
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err, c.message + "\n");
        EXPECT_EQ(outcome.out, "");
    }
}

// A temporary folder on a full disk is said as a full disk, whether the
// deck or the engine's output is what does not fit. A small tmpfs needs a
// mount of its own: in a user namespace where the system allows one.
TEST(CliCheck, AFullTemporaryFolderIsSaidAsAFullDisk) {
    if (RunProgram({"unshare", "-rm", "true"}).status != 0) GTEST_SKIP() << "no user namespace to mount a tmpfs in";
    const struct {
        const char* name;
        const char* fill;  // what goes into the 256 kB tmpfs first
        const char* said;
    } cases[] = {
        {"no room for the deck", "head -c 300000 /dev/zero >\"$0/fill\" 2>/dev/null",
         "the engine's deck cannot be written"},
        {"no room for the output", "true", "the engine's output was cut short"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string script = std::string("mount -t tmpfs -o size=256k tmpfs \"$0\" && ") + c.fill +
                                   "; TMPDIR=\"$0\" exec \"$1\" check --freq 146 --sides 3 --sweep 140:150:3";
        const std::string mount = ::testing::TempDir();
        const Outcome outcome = RunProgram({"unshare", "-rm", "sh", "-c", script, mount, CORVANTA_CLI_PATH});
        EXPECT_EQ(outcome.status, 1) << outcome.err;
        EXPECT_NE(outcome.err.find(" is full (No space left on device): "), std::string::npos) << outcome.err;
        EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find("segment count"), std::string::npos) << outcome.err;
    }
}

}  // namespace
}  // namespace corvanta::cli
