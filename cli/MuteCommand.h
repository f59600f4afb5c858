#pragma once

#include <CLI/CLI.hpp>

#include <string>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli mute [on|off]: prints the wave output's mute switch ("on" or "off"), or sets it.
class MuteCommand {
public:
    MuteCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::string m_switch;
};

}  // namespace tapelink::cli
