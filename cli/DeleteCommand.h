#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/RecordingChoice.h"

namespace tapelink::cli {

// tapelink-cli delete (--rows LIST | --names NAMES): deletes recordings of the phone list for good, as the
// main window's 永久删除 does, with the index counters written. Prints the name of each file deleted.
class DeleteCommand {
public:
    DeleteCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    RecordingChoice m_choice;
};

}  // namespace tapelink::cli
