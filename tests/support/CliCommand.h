#pragma once

#include <map>
#include <string>
#include <vector>

namespace tapelink::test {

// Variables added to the child's environment (replacing any of the same name).
using CliEnvironment = std::map<std::string, std::string>;

// One tapelink-cli command line with its environment: this process's environment without its TAPELINK_ variables,
// so a developer's settings never reach the command, plus the given ones. Built before forking, so the child only
// calls exec().
class CliCommand {
public:
    CliCommand(const std::vector<std::string>& args, const CliEnvironment& env);

    // Replaces the calling process with tapelink-cli; exits with status 127 if that fails.
    [[noreturn]] void exec() const;

    // The tapelink-cli executable under test.
    static const char* path();

private:
    std::vector<std::string> m_args;
    std::vector<std::string> m_env;
    std::vector<char*> m_argv;
    std::vector<char*> m_envp;
};

}  // namespace tapelink::test
