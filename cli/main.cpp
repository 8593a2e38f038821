// corvanta-cli: designs and band tables from the calculator library, for
// scripts and printing, a NEC-2 model of a design with the engine's check,
// and a design's build sheet (its cut list, or the whole page as PDF). The
// commands are in cli/commands.h, with the program's exit statuses.
//
// SIGPIPE is ignored: a write to a process that has gone (an engine's
// keeper, or a reader of standard output that stopped reading) is then an
// error like any other, said and ended with an exit status, the engines'
// files removed on the way.

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"

int main(int argc, char* argv[]) {
    using namespace corvanta::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::signal(SIGPIPE, SIG_IGN);
    int status = 0;
    try {
        status = Run(ParseCommandLine(arguments));
    } catch (const UsageError& error) {
        Tell(error.what());
        std::cerr << ShortUsage();
        return kUsage;
    }
    // The stream keeps no reason; a reader that went or a full disk.
    std::cout.flush();
    if (!std::cout) {
        Tell("cannot write the standard output (its reader has gone, or its disk is full)");
        return status == 0 ? kDesignFailed : status;
    }
    return status;
}
