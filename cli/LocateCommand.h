#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli locate: prints the telephone's drive root, or says "设备未准备好！" on stderr (status 1) when none
// is attached.
class LocateCommand {
public:
    LocateCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
};

}  // namespace tapelink::cli
