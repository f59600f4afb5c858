#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"
#include "team/TeamPhonebookSync.h"

namespace tapelink::cli {

// tapelink-cli team phonebook pull|push|sync|list: the phonebook the team shares on its server, kept in step
// with the desk's own by the import rule.
class TeamPhonebookCommand {
public:
    TeamPhonebookCommand(CLI::App& team, CliContext& context);
    bool parsed() const { return m_command->parsed(); }
    // server: the team's libpq settings.
    int run(const std::string& server);

private:
    int list(const std::string& server);
    int exchange(const std::string& server);
    // Prints what the exchange did and says why it stopped; the command's exit status.
    int reported(const PhonebookSyncReport& report);

    CLI::App* m_command;
    CLI::App* m_pull;
    CLI::App* m_push;
    CLI::App* m_sync;
    CLI::App* m_list;
    CliContext& m_context;
    std::string m_archive;
    bool m_json = false;
};

}  // namespace tapelink::cli
