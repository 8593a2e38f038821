#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"

// Every JSON corvanta-cli writes, and the check's text report, against
// golden copies (tests/cli/data/golden, written by
// scripts/regenerate-golden.sh). JSON is compared parsed: the same keys in
// the same order, the same values, numbers as numbers however they are
// written.

namespace corvanta::cli {
namespace {

const std::string kGolden = CORVANTA_SOURCE_DIR "/tests/cli/data/golden/";

struct GoldenRun {
    std::string name;
    int status = 0;
    std::vector<std::string> arguments;
    bool json = false;
};

// Names a run in the test's listing.
void PrintTo(const GoldenRun& run, std::ostream* out) { *out << run.name; }

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<GoldenRun> Runs() {
    std::vector<GoldenRun> runs;
    std::istringstream lines(FileText(kGolden + "commands"));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#') continue;
        std::istringstream words(line);
        GoldenRun run;
        words >> run.name >> run.status;
        for (std::string word; words >> word;) {
            run.json |= word == "json";
            run.arguments.push_back(Replaced(word, "@SOURCE@", CORVANTA_SOURCE_DIR));
        }
        runs.push_back(run);
    }
    return runs;
}

using Json = nlohmann::ordered_json;

// Where two documents first differ, as a JSON pointer and what each holds
// there; empty when they are the same.
std::string Difference(const Json& got, const Json& want, const std::string& at = "") {
    const auto differ = [&](const std::string& what) {
        return (at.empty() ? "/" : at) + ": " + what + ": got " + got.dump() + ", want " + want.dump();
    };
    if (got.is_number() && want.is_number()) {
        return got.get<double>() == want.get<double>() ? "" : differ("another number");
    }
    if (got.type() != want.type()) return differ("another type");
    if (got.is_object()) {
        auto g = got.begin();
        auto w = want.begin();
        for (; g != got.end() && w != want.end(); ++g, ++w) {
            if (g.key() != w.key()) return differ("key \"" + g.key() + "\" where \"" + w.key() + "\" was");
            if (std::string d = Difference(g.value(), w.value(), at + "/" + g.key()); !d.empty()) return d;
        }
        return got.size() == want.size() ? "" : differ("another number of keys");
    }
    if (got.is_array()) {
        if (got.size() != want.size()) return differ("another length");
        for (std::size_t i = 0; i < got.size(); ++i) {
            if (std::string d = Difference(got[i], want[i], at + "/" + std::to_string(i)); !d.empty()) return d;
        }
        return "";
    }
    return got == want ? "" : differ("another value");
}

class Golden : public ::testing::TestWithParam<GoldenRun> {};

TEST_P(Golden, OutputAsTheGoldenCopy) {
    const GoldenRun& run = GetParam();
    const Outcome outcome = RunCli(run.arguments);
    ASSERT_EQ(outcome.status, run.status) << outcome.err;
    if (!run.json) {
        EXPECT_EQ(Replaced(outcome.out, CORVANTA_SOURCE_DIR, "@SOURCE@"), FileText(kGolden + run.name + ".txt"));
        return;
    }
    // A measurement's source names the file, in the source folder.
    const Json got = Json::parse(Replaced(outcome.out, CORVANTA_SOURCE_DIR, "@SOURCE@"), nullptr, false);
    ASSERT_FALSE(got.is_discarded()) << "not JSON:\n" << outcome.out;
    const Json want = Json::parse(FileText(kGolden + run.name + ".json"));
    EXPECT_EQ(Difference(got, want), "");
}

INSTANTIATE_TEST_SUITE_P(Cli, Golden, ::testing::ValuesIn(Runs()), [](const ::testing::TestParamInfo<GoldenRun>& run) {
    std::string name;
    for (char c : run.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + (run.param.json ? "_json" : "_text");
});

// The comparison itself: what it must see, and what it must let pass.
TEST(GoldenDifference, NumbersAsNumbersEverythingElseExactly) {
    const struct {
        const char* got;
        const char* want;
        std::string difference;
    } cases[] = {
        {R"({"a": 146.000000, "b": [1, null]})", R"({"a": 146.0, "b": [1.0, null]})", ""},
        {R"({"a": 0.0000})", R"({"a": 0})", ""},
        {R"({"a": 1.5e2})", R"({"a": 150})", ""},
        {R"({"a": 146.0001})", R"({"a": 146})", "/a: another number: got 146.0001, want 146"},
        {R"({"b": 1, "a": 2})", R"({"a": 2, "b": 1})",
         "/: key \"b\" where \"a\" was: got {\"b\":1,\"a\":2}, want {\"a\":2,\"b\":1}"},
        {R"({"a": null})", R"({"a": 0})", "/a: another type: got null, want 0"},
        {R"({"a": [1, 2]})", R"({"a": [1]})", "/a: another length: got [1,2], want [1]"},
        {R"({"a": {"x": "r"}})", R"({"a": {"x": "R"}})", "/a/x: another value: got \"r\", want \"R\""},
        {R"({"a": 1})", R"({"a": 1, "b": 2})", "/: another number of keys: got {\"a\":1}, want {\"a\":1,\"b\":2}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Difference(Json::parse(c.got), Json::parse(c.want)), c.difference) << c.got;
    }
}

}  // namespace
}  // namespace corvanta::cli
