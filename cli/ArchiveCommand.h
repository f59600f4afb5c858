#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli archive verify [DIR | --archive DIR]: hashes every recording of the archive again and lists the changed,
// missing and unrecorded files (status 1 when there is any).
// tapelink-cli archive rebuild [DIR | --archive DIR]: sets the catalogue aside and builds a new one from the folder.
// tapelink-cli archive compact [DIR | --archive DIR] [--older-than DAYS] [--json]: converts archived recordings to
// Ogg Opus beside them and removes each original once its compact file is flushed and recorded.
class ArchiveCommand {
public:
    ArchiveCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    int verify(const std::string& folder);
    int rebuild(const std::string& folder);
    int compact(const std::string& folder);

    CLI::App* m_command;
    CLI::App* m_verify;
    CLI::App* m_rebuild;
    CLI::App* m_compact;
    int m_olderThanDays = 0;
    CliContext& m_context;
    std::string m_folder;
    bool m_json = false;
};

}  // namespace tapelink::cli
