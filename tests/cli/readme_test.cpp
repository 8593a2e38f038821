// The README's samples are what the program prints: every `corvanta-cli`
// command in a console block that shows its output is run, in a folder
// that holds the README's data files, and its output compared line by line
// (up to a "..." that cuts a sample short).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"

namespace corvanta::cli {
namespace {

struct Sample {
    int line = 0;  // of the README, where the command stands
    std::vector<std::string> words;
    std::vector<std::string> shown;
    bool cut = false;  // ends in "...": the output goes on
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Words(const std::string& command) {
    std::vector<std::string> words;
    std::istringstream in(command);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The one-line corvanta-cli commands of the README's console blocks, with
// the output they show.
std::vector<Sample> Samples(const std::string& readme) {
    std::vector<Sample> samples;
    bool inBlock = false;
    Sample* open = nullptr;
    int number = 0;
    for (const std::string& line : Lines(readme)) {
        ++number;
        if (line.starts_with("```")) {
            inBlock = line == "```console";
            open = nullptr;
            continue;
        }
        if (!inBlock) continue;
        if (line.starts_with("$ ")) {
            open = nullptr;
            if (!line.starts_with("$ corvanta-cli ") || line.ends_with("\\")) continue;
            std::vector<std::string> words = Words(line.substr(2));
            words.erase(words.begin());
            samples.push_back({number, words, {}, false});
            open = &samples.back();
        } else if (open && line == "...") {
            open->cut = true;
            open = nullptr;
        } else if (open) {
            open->shown.push_back(line);
        }
    }
    return samples;
}

TEST(Readme, TheSamplesAreWhatTheProgramPrints) {
    const std::filesystem::path source = CORVANTA_SOURCE_DIR;
    std::ifstream file(source / "README.md");
    ASSERT_TRUE(file) << "README.md";
    std::stringstream readme;
    readme << file.rdbuf();
    const std::vector<Sample> samples = Samples(readme.str());

    // A folder of its own: the samples' pictures are written there, and
    // the README's data files are read from its docs/.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("corvanta-readme-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "docs");
    for (const auto& entry : std::filesystem::directory_iterator(source / "docs")) {
        if (entry.path().extension() == ".s1p") {
            std::filesystem::copy_file(entry.path(), folder / "docs" / entry.path().filename());
        }
    }
    int compared = 0;
    for (const Sample& sample : samples) {
        if (sample.shown.empty()) continue;  // a picture's command: nothing to compare
        // What an analyser answers needs one plugged in: the emulator's
        // tests hold those.
        if (sample.words.front() == "analyser" || std::ranges::count(sample.words, "--device") > 0) continue;
        SCOPED_TRACE("README.md line " + std::to_string(sample.line));
        std::vector<std::string> words = {"sh", "-c", "cd \"$0\" && exec \"$@\"", folder.string(), CORVANTA_CLI_PATH};
        words.insert(words.end(), sample.words.begin(), sample.words.end());
        const Outcome outcome = RunProgram(words);
        const std::vector<std::string> printed = Lines(outcome.out.empty() ? outcome.err : outcome.out);
        if (sample.cut) {
            ASSERT_GE(printed.size(), sample.shown.size()) << outcome.out << outcome.err;
        } else {
            ASSERT_EQ(printed.size(), sample.shown.size()) << outcome.out << outcome.err;
        }
        for (std::size_t i = 0; i < sample.shown.size(); ++i) EXPECT_EQ(printed[i], sample.shown[i]);
        ++compared;
    }
    std::filesystem::remove_all(folder);
    // The design, the check with --tune --plot, the refused lengths as cut
    // and the measured check at least.
    EXPECT_GE(compared, 4);
}

}  // namespace
}  // namespace corvanta::cli
