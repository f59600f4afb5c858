#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/CliContext.h"
#include "statistics/CallStatisticsQuery.h"

namespace tapelink::cli {

// tapelink-cli stats [FOLDER | --archive DIR] [--from DATE] [--to DATE] [--by day|week|month|number] [--json]:
// calls per period (by side and kind, closed by a 合计 row) or per number (with the contact's name, most
// calls first), counted by the archive's catalogue as it stands: no recording is read and nothing is
// changed. Durations are whole seconds. --xlsx writes both tables and a chart into a workbook instead.
// --team counts the team archive's calls instead, of every desk the person may hear or of --desk, on the
// server of team.ini; the folder's phonebook, when there is one, names the numbers.
class StatsCommand {
public:
    StatsCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    int countLocal(const StatisticsRequest& request, CallStatistics& statistics);
    int countTeam(const StatisticsRequest& request, CallStatistics& statistics);
    int print(const CallStatistics& statistics);

    CLI::App* m_command;
    CliContext& m_context;
    std::string m_folder;
    std::string m_from = "2010-03-01";
    std::string m_to;
    std::string m_by = "day";
    bool m_json = false;
    std::string m_xlsx;
    bool m_team = false;
    std::string m_desk;
};

}  // namespace tapelink::cli
