#pragma once

#include <string>
#include <vector>

// Runs the built corvanta-cli (or any program) as a user would, and keeps
// what it printed and its exit status.

#include <unistd.h>  // environ

namespace corvanta::cli {

struct Outcome {
    int status = -1;  // -1 when the program did not start or did not exit
    std::string out;
    std::string err;
    long peakKb = 0;  // the most memory it (or a process it waited for) held
};

// Everything there is to read from `fd`, which is then closed.
std::string ReadAll(int fd);

// Runs a program (a path, or a name found on PATH) and collects what it printed.
Outcome RunProgram(std::vector<std::string> words, char* const* environment = environ);

// Runs the built program with the arguments.
Outcome RunCli(const std::vector<std::string>& arguments, char* const* environment = environ);

}  // namespace corvanta::cli
