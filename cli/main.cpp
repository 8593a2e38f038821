// corvanta-cli: designs and band tables from the calculator library, for
// scripts and printing, a NEC-2 model of a design with the engine's check,
// and a design's build sheet (its cut list, or the whole page as PDF). The
// commands are in cli/commands.h, with the program's exit statuses.

#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"

int main(int argc, char* argv[]) {
    using namespace corvanta::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return Run(ParseCommandLine(arguments));
    } catch (const UsageError& error) {
        Tell(error.what());
        std::cerr << ShortUsage();
        return kUsage;
    }
}
