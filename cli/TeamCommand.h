#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "cli/SearchOptions.h"
#include "cli/TeamPhonebookCommand.h"
#include "team/TeamStatus.h"

namespace tapelink::cli {

// tapelink-cli team join|init|desk add|user add|grant|revoke|status|search|publish|phonebook: the archive the team
// shares on a PostgreSQL server. The server and the desk come from team.ini (written by join), or --server/--desk.
class TeamCommand {
public:
    TeamCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    int join();
    int admin();
    int status();
    int search();
    int publish();
    // The command's answer to a status: 0, or 1 after saying why.
    int told(TeamStatus status);

    CLI::App* m_command;
    CLI::App* m_join;
    CLI::App* m_init;
    CLI::App* m_deskAdd;
    CLI::App* m_userAdd;
    CLI::App* m_grant;
    CLI::App* m_revoke;
    CLI::App* m_status;
    CLI::App* m_search;
    CLI::App* m_publish;
    std::unique_ptr<TeamPhonebookCommand> m_phonebook;
    CliContext& m_context;
    std::string m_server;
    std::string m_desk;
    std::string m_archive;
    std::string m_user;
    std::string m_right;
    std::string m_publisher;
    std::string m_clearing = "on";
    SearchOptions m_options;
    bool m_json = false;
};

}  // namespace tapelink::cli
