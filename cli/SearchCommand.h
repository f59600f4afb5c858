#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"
#include "cli/SearchOptions.h"

namespace tapelink::cli {

// tapelink-cli search [FOLDER | --archive DIR] [--from DATE] [--to DATE] [--side ...] [--kind ...] [--number TEXT]
// [--json]:
// [--text TEXT] [--names]: searches a folder of uploaded recordings as the search dialog does and prints the
// nine-column rows (with --names the contact's name as a tenth; JSON rows always carry "姓名"). Names and
// notes come from the folder's catalogue, read without changing it.
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
    bool m_names = false;
};

}  // namespace tapelink::cli
