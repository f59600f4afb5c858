#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli list [--json]: reads the telephone's catalogue as the main window does and prints it.
class ListCommand {
public:
    ListCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    bool m_json = false;
};

}  // namespace tapelink::cli
