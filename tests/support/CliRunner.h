#pragma once

#include <map>
#include <string>
#include <vector>

namespace tapelink::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the real tapelink-cli with the given arguments and extra environment, standard input from
// stdinText, and collects its output.
CliResult runCli(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
                 const std::string& stdinText = {});

std::vector<std::string> splitLines(const std::string& text);
std::vector<std::string> splitCells(const std::string& line);

}  // namespace tapelink::test
