#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli list [--json] [--archived] [--names] [--archive DIR]: reads the telephone's catalogue as the main
// window does and prints it; --archived adds a ninth cell saying what the archive holds of each recording,
// --names a last cell with the contact's name from the archive's phonebook. JSON rows always carry the name.
class ListCommand {
public:
    ListCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    bool m_json = false;
    bool m_archived = false;
    bool m_names = false;
    std::string m_to;  // --archive
};

}  // namespace tapelink::cli
