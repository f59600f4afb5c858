#pragma once

#include <string>
#include <vector>

#include "tests/support/CliCommand.h"

namespace tapelink::test {

struct CliResult {
    int exitCode = -1;  // 128 + the signal's number when a signal ended the command
    std::string out;
    std::string err;
};

// Runs the real tapelink-cli to its end with the given arguments and extra environment (see CliCommand), standard
// input from stdinText, and collects its output.
CliResult runCli(const std::vector<std::string>& args, const CliEnvironment& env = {},
                 const std::string& stdinText = {});

// The exit code of a status from waitpid(), as a shell reports it.
int exitCodeOf(int status);

std::vector<std::string> splitLines(const std::string& text);
std::vector<std::string> splitCells(const std::string& line);

}  // namespace tapelink::test
