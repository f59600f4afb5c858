#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "cli/RecordingChoice.h"

namespace tapelink::cli {

// tapelink-cli delete (--rows LIST | --names NAMES): deletes recordings of the phone list for good, as the main
// window's 永久删除 does, with the index counters written. Prints the name of each file deleted. tapelink-cli delete
// --archived [--older-than DAYS] [--archive DIR]: the same for exactly the recordings whose content is in the archive,
// hashed now on both sides.
class DeleteCommand {
public:
    DeleteCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    int runArchived();

    RecordingChoice m_choice;
    bool m_archived = false;
    int m_olderThan = -1;
    std::string m_to;
};

}  // namespace tapelink::cli
