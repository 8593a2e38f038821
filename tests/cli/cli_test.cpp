#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <random>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/columns.h"
#include "cli/output.h"
#include "core/field_conversion.h"
#include "core/run_time_error.h"

extern char** environ;

namespace corvanta::cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;) {
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

// Runs the built program with the arguments and collects what it printed.
Outcome RunCli(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = {CORVANTA_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    Outcome outcome;
    outcome.out = ReadAll(out[0]);
    outcome.err = ReadAll(err[0]);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    return outcome;
}

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

const char* const k146ThreeSided[] = {"718.233", "28.277", "266.718", "10.501",
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
    EXPECT_NE(json.out.find(R"("height_mm": {"text": "718.233", "value": 718.233})"), std::string::npos);
    EXPECT_NE(json.out.find(R"("frequency_mhz": {"text": "146.00", "value": 146})"), std::string::npos);
}

TEST(CliTable, BandsGiveEdgesAndCentre) {
    const Outcome table = RunCli({"table", "--band", "2m", "23cm", "--sides", "4", "--format", "csv"});
    ASSERT_EQ(table.status, 0) << table.err;
    const auto rows = Lines(table.out);
    ASSERT_EQ(rows.size(), 7U);
    const char* const edges[] = {"144", "146", "148", "1240", "1270", "1300"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_TRUE(rows[i + 1].starts_with(std::string("4,") + edges[i] + ",")) << rows[i + 1];

    const Outcome both = RunCli({"table", "--band", "6m", "--format", "csv"});
    EXPECT_EQ(Lines(both.out).size(), 7U);  // three frequencies, two shapes

    const Outcome sweep = RunCli({"table", "--from", "144", "--to", "148", "--step", "0.5", "--sides", "3", "--format", "csv"});
    const auto sweepRows = Lines(sweep.out);
    ASSERT_EQ(sweepRows.size(), 10U);
    EXPECT_TRUE(sweepRows[2].starts_with("3,144.5,"));
    EXPECT_TRUE(sweepRows[9].starts_with("3,148,"));

    const Outcome list = RunCli({"bands"});
    EXPECT_EQ(Lines(list.out).size(), 8U);
}

struct ErrorCase {
    std::vector<std::string> arguments;
    int status;
    std::string message;   // the first line on standard error
    std::size_t rowsOut;   // csv lines on standard output, header included
};

TEST(CliErrors, MessagesAndExitStatus) {
    const ErrorCase cases[] = {
        {{"design", "--freq", "abc"}, 1, "corvanta-cli: error 13: Type mismatch: --freq \"abc\" is not a number", 0},
        {{"design", "--freq", "1E39"}, 1, "corvanta-cli: error 6: Overflow: --freq \"1E39\" is out of range", 0},
        {{"design", "--freq", "146", "--mm", "1,6"}, 1, "corvanta-cli: error 13: Type mismatch: --mm \"1,6\" is not a number", 0},
        {{"design", "--freq", "146", "--inch", ""}, 1, "corvanta-cli: error 13: Type mismatch: --inch \"\" is not a number", 0},
        {{"design", "--freq", "0"}, 1, "corvanta-cli: error 11: Division by zero: the design for --freq \"0\" cannot be computed", 0},
        {{"table", "--freqs", "146,x,148", "--sides", "3", "--format", "csv"}, 1, "corvanta-cli: error 13: Type mismatch: --freq \"x\" is not a number", 2},
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
        {{"check", "--freq", "146", "--sides", "3", "--sweep", "140:130:5"}, 2, "corvanta-cli: --sweep needs 0 < FROM <= TO and 1 to 1000 whole POINTS", 0},
        {{"nec", "--freq", "abc", "--sides", "3"}, 1, "corvanta-cli: error 13: Type mismatch: --freq \"abc\" is not a number", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--mm", "100"}, 1, "corvanta-cli: the conductor is too thick to model: segments must be at least 4 wire radii long (200.000 mm, with the extended thin-wire kernel) and at most a twentieth of a wavelength at 204.4 MHz (73.335 mm)", 0},
        {{"check", "--freq", "146", "--sides", "3", "--velocity-factor", "1.2"}, 2, "corvanta-cli: --velocity-factor is above 0 and at most 1", 0},
        {{"check", "--freq", "146", "--sides", "3", "--line-impedance=0"}, 2, "corvanta-cli: --line-impedance is the lines' impedance in ohm, above 0, at most 10000", 0},
        {{"check", "--freq", "146", "--sides", "3", "--line-length", "abc"}, 2, "corvanta-cli: --line-length \"abc\" is not a number", 0},
        {{"check", "--freq", "146", "--sides", "3", "--pattern", "p.pdf"}, 2, "corvanta-cli: --pattern \"p.pdf\" is not a file name ending in .svg or .png", 0},
        {{"check", "--freq", "146", "--sides", "3", "--tune=yes"}, 2, "corvanta-cli: --tune takes no value", 0},
        {{"nec", "--freq", "146", "--sides", "3", "--tune"}, 2, "corvanta-cli: unknown option \"--tune\" for nec", 0},
        {{"check", "--freq", "146", "--sides", "3", "--height", "3"}, 2, "corvanta-cli: --height places the loop over a ground: give --ground average or perfect too", 0},
        {{"check", "--freq", "146", "--sides", "3", "--ground", "perfect", "--height", "0.36"}, 2, "corvanta-cli: at a height of 0.36 m the lowest wire is 0.1 mm above the ground; the ground model needs at least one segment (9.6 mm) between them: give a --height of 0.370 m or more", 0},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome outcome = RunCli(c.arguments);
        EXPECT_EQ(outcome.status, c.status);
        const auto errors = Lines(outcome.err);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.front(), c.message);
        EXPECT_EQ(Lines(outcome.out).size(), c.rowsOut);
        if (c.status == 2) {
            EXPECT_TRUE(errors.at(1).starts_with("usage: "));
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
    const std::string plot = ::testing::TempDir() + "corvanta-check.svg";
    const std::string pattern = ::testing::TempDir() + "corvanta-pattern.png";
    const Outcome check = RunCli({"check", "--freq", "146", "--sides", "4", "--sweep", "140:152:3", "--tune",
                                  "--velocity-factor", "0.9", "--line-length=400", "--format", "json", "--plot",
                                  plot, "--pattern", pattern});
    ASSERT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.err, "");
    EXPECT_NE(check.out.find("\"passed\": true"), std::string::npos);
    EXPECT_EQ(check.out.find("\"passed\": false"), std::string::npos);
    EXPECT_NE(check.out.find("\"sweep\": ["), std::string::npos);
    EXPECT_NE(check.out.find(R"("line": {"impedance_ohm": 300, "velocity_factor": 0.9, "length_mm": 400})"),
              std::string::npos);
    for (const char* key : {"\"swr_lines_50\": ", "\"swr_lines_200\": ", "\"swr_lines_300\": ",
                            "\"under_2_lines_50\": [", "\"under_2_lines_200\": [", "\"under_2_lines_300\": [",
                            "\"lines\": {\"r\": ", "\"tuned\": {\"scale\": 0.91", "\"resonance_mhz\": 14"}) {
        EXPECT_NE(check.out.find(key), std::string::npos) << key;
    }
    const std::string svg = FileText(plot);
    EXPECT_TRUE(svg.starts_with("<?xml"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("MHz"), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
    EXPECT_TRUE(FileText(pattern).starts_with("\x89PNG\r\n"));

    // A plot that cannot be written: a message, and the report all the same.
    const Outcome unwritable = RunCli({"check", "--freq", "146", "--sides", "3", "--sweep", "146:146:1",
                                       "--plot", "/nonexistent/plot.svg"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.out.find("where the lines join (balanced): 158.81 -j22.89 ohm"), std::string::npos);
    EXPECT_EQ(unwritable.err, "corvanta-cli: cannot write /nonexistent/plot.svg: No such file or directory\n");
}

TEST(CliOutput, QuotingRules) {
    EXPECT_EQ(CsvField("1.5"), "1.5");
    EXPECT_EQ(CsvField("1,5"), "\"1,5\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("a\r\nb"), "\"a\r\nb\"");
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
}

TEST(CliOptions, ValuesMayStartWithAMinusOrFollowAnEqualsSign) {
    const Invocation negative = ParseCommandLine({"design", "--freq", "-146", "--mm=2"});
    EXPECT_EQ(negative.frequency, "-146");
    ASSERT_TRUE(negative.size);
    EXPECT_EQ(negative.size->text, "2");
    EXPECT_EQ(ParseCommandLine({"design", "--help"}).helpFor, Command::Design);
    EXPECT_EQ(RunCli({"--version"}).out, "corvanta-cli 1.00\n");
}

// The program and the library must give the same texts for the same inputs.
TEST(CliDesign, AgreesWithTheLibraryOnRandomInputs) {
    std::mt19937 random(146);
    std::uniform_real_distribution<double> logFrequency(0.0, 4.0);
    std::uniform_int_distribution<int> pick(0, 5);
    std::uniform_real_distribution<double> logSize(-3.0, 1.5);
    for (int i = 0; i < 300; ++i) {
        DesignRequest request;
        const double frequency = std::pow(10.0, logFrequency(random));
        request.frequency = pick(random) == 0 ? FormatSingle(static_cast<float>(frequency))
                                              : FormatDouble(std::round(frequency * 1000) / 1000);
        request.sides = pick(random) % 2 ? SideChoice::Three : SideChoice::Four;
        std::vector<std::string> arguments = {"design", "--freq", request.frequency, "--sides",
                                              request.sides == SideChoice::Three ? "3" : "4",
                                              "--format", "csv"};
        switch (pick(random)) {
        case 0: request.size = SizeInput{SizeUnit::Gauge, FormatInteger(pick(random) * 7)}; break;
        case 1: request.size = SizeInput{SizeUnit::Inch, FormatDouble(std::pow(10.0, logSize(random)) / 25)}; break;
        case 2: request.size = SizeInput{SizeUnit::Mm, FormatDouble(std::pow(10.0, logSize(random)))}; break;
        default: break;
        }
        if (request.size) {
            const char* option[] = {"--awg", "--inch", "--mm"};
            arguments.push_back(option[static_cast<int>(request.size->unit)]);
            arguments.push_back(request.size->text);
        }
        SCOPED_TRACE(request.frequency);
        const Outcome outcome = RunCli(arguments);
        try {
            const DesignRow row = RowOf(RunDesign(request));
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            std::string expected;
            for (std::size_t c = 0; c < kColumnCount; ++c) expected += (c ? "," : "") + CsvField(row.texts[c]);
            ASSERT_EQ(Lines(outcome.out).at(1), expected);
        } catch (const RunTimeError&) {
            EXPECT_EQ(outcome.status, 1);
            EXPECT_TRUE(outcome.out.empty());
        }
    }
}

}  // namespace
}  // namespace corvanta::cli
