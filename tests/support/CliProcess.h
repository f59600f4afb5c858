#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/CliCommand.h"

namespace tapelink::test {

// A long-running tapelink-cli (such as `watch`) with its stdout and stderr on pipes. Killed at the end if still
// running. Every read gives up after a generous guard time, so a hung command fails the test instead of blocking it.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const CliEnvironment& env = {});
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // Sends the signal to the running command.
    void signal(int number) const;

    // The next line of stdout without its newline; empty at the end or after the guard time.
    std::string readLine();
    // Reads both streams to their end and returns the exit code (128 + the signal's number after a signal).
    int finish(std::string& out, std::string& err);

private:
    int wait();

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

}  // namespace tapelink::test
