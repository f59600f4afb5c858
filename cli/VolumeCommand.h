#pragma once

#include <CLI/CLI.hpp>

#include <optional>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli volume [PERCENT]: prints the wave output's volume in percent, or sets it.
class VolumeCommand {
public:
    VolumeCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::optional<int> m_percent;
};

}  // namespace tapelink::cli
