#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"
#include "cli/SearchOptions.h"

namespace tapelink::cli {

// tapelink-cli search FOLDER [--from DATE] [--to DATE] [--side ...] [--kind ...] [--number TEXT] [--json]:
// searches a folder of uploaded recordings as the search dialog does and prints the nine-column rows.
class SearchCommand {
public:
    SearchCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::string m_folder;
    SearchOptions m_options;
    bool m_json = false;
};

}  // namespace tapelink::cli
