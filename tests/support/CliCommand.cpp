#include "tests/support/CliCommand.h"

#include <unistd.h>

#include <string_view>

extern char** environ;

namespace tapelink::test {

CliCommand::CliCommand(const std::vector<std::string>& args, const CliEnvironment& env) {
    m_args.emplace_back(path());
    m_args.insert(m_args.end(), args.begin(), args.end());
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        if (variable.starts_with("TAPELINK_")) continue;
        if (env.contains(std::string(variable.substr(0, variable.find('='))))) continue;
        m_env.emplace_back(variable);
    }
    for (const auto& [name, value] : env) m_env.push_back(name + "=" + value);
    for (auto& arg : m_args) m_argv.push_back(arg.data());
    for (auto& variable : m_env) m_envp.push_back(variable.data());
    m_argv.push_back(nullptr);
    m_envp.push_back(nullptr);
}

void CliCommand::exec() const {
    ::execve(path(), m_argv.data(), m_envp.data());
    ::_exit(127);
}

const char* CliCommand::path() {
    return TAPELINK_CLI_PATH;
}

}  // namespace tapelink::test
