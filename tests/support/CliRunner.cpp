#include "tests/support/CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/TempFolder.h"

namespace tapelink::test {

namespace {
std::string slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
}  // namespace

CliResult runCli(const std::vector<std::string>& args, const CliEnvironment& env, const std::string& stdinText) {
    // Files rather than pipes: the command may write any amount to either stream without blocking.
    TempFolder io;
    const std::string inPath = io.path() + "in", outPath = io.path() + "out", errPath = io.path() + "err";
    std::ofstream(inPath, std::ios::binary) << stdinText;
    const CliCommand command(args, env);

    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open(inPath.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        command.exec();
    }
    CliResult result;
    if (child < 0) return result;
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = exitCodeOf(status);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> splitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return cells;
}

}  // namespace tapelink::test
