#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli watch: prints "arrival" or "removal", a tab and the located drive root for every device
// change, until SIGINT or SIGTERM ends it (status 0). With --upload-new [--archive DIR], each arrival of a
// telephone also uploads its new recordings into the archive and prints one line for the run.
class WatchCommand {
public:
    WatchCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    bool m_uploadNew = false;
    std::string m_to;
};

}  // namespace tapelink::cli
