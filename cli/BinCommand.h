#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/RecordingChoice.h"

namespace tapelink::cli {

// tapelink-cli bin list [--json] | bin restore (--rows LIST | --names NAMES) | bin delete (--rows LIST |
// --names NAMES): the telephone's recycle bin, as the recycle-bin window shows and changes it. LIST numbers
// the rows of "bin list". SIGINT and SIGTERM stop a restore after the recording in progress.
// The telephone's catalogue is read first, so the index counters are the ones the main window holds.
class BinCommand {
public:
    BinCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    int list(const std::string& root);
    int restore(const std::string& root);
    int remove(const std::string& root);

    CLI::App* m_command;
    CLI::App* m_list;
    CLI::App* m_restore;
    CLI::App* m_delete;
    CliContext& m_context;
    bool m_json = false;
    RecordingChoice m_restoreChoice;
    RecordingChoice m_deleteChoice;
};

}  // namespace tapelink::cli
