#include "cli/StatsCommand.h"

#include <iostream>
#include <memory>

#include "catalogue/CatalogueFailureText.h"
#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/NonBlank.h"
#include "cli/SearchArguments.h"
#include "cli/SearchOptions.h"
#include "cli/TeamPublishing.h"
#include "cli/ValueChecks.h"
#include "platform/PgTeamArchive.h"
#include "platform/XlsxStatisticsWorkbook.h"
#include "statistics/StatisticsTable.h"
#include "team/TeamArchiveCallFigures.h"

namespace tapelink::cli {

namespace {

StatisticsGrouping groupingOf(const std::string& by) {
    if (by == "week") return StatisticsGrouping::Week;
    if (by == "month") return StatisticsGrouping::Month;
    return StatisticsGrouping::Day;
}

// Rows keyed by their titles, every cell after the first textCells a number.
nlohmann::ordered_json jsonRows(const std::vector<std::string>& titles,
                                const std::vector<std::vector<std::string>>& rows, std::size_t textCells) {
    auto array = nlohmann::ordered_json::array();
    for (const std::vector<std::string>& row : rows) {
        nlohmann::ordered_json object;
        for (std::size_t i = 0; i < titles.size(); ++i) {
            object[titles[i]] =
                i < textCells ? nlohmann::ordered_json(row[i]) : nlohmann::ordered_json(std::stoll(row[i]));
        }
        array.push_back(std::move(object));
    }
    return array;
}

}  // namespace

StatsCommand::StatsCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("stats", "Calls per day, week, month or number, from the archive's catalogue")),
      m_context(context) {
    CLI::Option* folder = m_command->add_option("FOLDER", m_folder, "The archive folder");
    ArchiveOption(*m_command, m_folder, "The same folder, as every command names the archive (default: the stored one)")
        .excludes(folder);
    m_command->add_option("--from", m_from, "First day counted (default 2010-03-01)")->check(searchDateValidator());
    m_command->add_option("--to", m_to, "Last day counted, up to 23:59 (default today)")
        ->check(searchDateValidator(kToIsADate));
    m_command->add_option("--by", m_by, "Calls per day, week (from Monday), month or number")
        ->check(oneOf({"day", "week", "month", "number"}));
    CLI::Option* json = m_command->add_flag("--json", m_json, "Print the tables as JSON");
    m_command->add_option("--xlsx", m_xlsx, "Write the periods, the numbers and a chart into this workbook instead")
        ->excludes(json);
    CLI::Option* team =
        m_command->add_flag("--team", m_team, "Count the team archive's calls (the server of team.ini)");
    m_command->add_option("--desk", m_desk, "With --team: only this desk's calls")->needs(team)->check(nonBlank());
}

int StatsCommand::run() {
    StatisticsRequest request;
    request.from = *parseSearchDate(m_from);
    request.to = m_to.empty() ? currentSearchDate() : *parseSearchDate(m_to);
    request.grouping = groupingOf(m_by);
    CallStatistics statistics;
    const int counted = m_team ? countTeam(request, statistics) : countLocal(request, statistics);
    return counted == kExitOk ? print(statistics) : counted;
}

int StatsCommand::countLocal(const StatisticsRequest& request, CallStatistics& statistics) {
    m_folder = archiveFolderOr(m_folder);
    if (m_folder.empty()) {
        std::cerr << "没有上传路径：请给出 FOLDER 或用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, m_folder, CatalogueAccess::ReadOnly, m_context.messages);
    if (!archive.catalogue) {
        if (!m_context.messages.anyShown()) {
            m_context.messages.showMessage("该文件夹还没有存档索引：请先上传录音，或运行 archive rebuild。",
                                           MessageIcon::Warning);
        }
        return kExitMessage;
    }
    if (readCallStatistics(*archive.catalogue, archive.phonebook.get(), request, statistics) != CatalogueStatus::Ok) {
        m_context.messages.showMessage("无法读取存档索引，统计未完成。", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

int StatsCommand::countTeam(const StatisticsRequest& request, CallStatistics& statistics) {
    const std::string server = storedTeamSettings().server;
    if (server.empty()) {
        std::cerr << "此工位没有团队存档服务器：请先用 tapelink-cli team join SERVER DESK 设置。\n";
        return kExitUsage;
    }
    // The numbers are named by this desk's phonebook when it has an archive, as `team search` names them.
    std::unique_ptr<CatalogueSession> archive;
    if (const std::string folder = archiveFolderOr(m_folder); !folder.empty()) {
        archive = std::make_unique<CatalogueSession>(*m_context.catalogues, folder);
        archive->open(CatalogueAccess::ReadOnly);
    }
    TeamArchiveCallFigures team([&server]() -> std::unique_ptr<ITeamArchive> {
        auto connected = std::make_unique<PgTeamArchive>(server);
        if (connected->status() != TeamStatus::Ok) return nullptr;
        return connected;
    });
    IPhonebook* phonebook = archive && archive->isOpen() ? archive->phonebook() : nullptr;
    const CatalogueStatus status = readTeamCallStatistics(team, m_desk, phonebook, request, statistics);
    if (status != CatalogueStatus::Ok) {
        m_context.messages.showMessage(catalogueFailureText(status), MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

int StatsCommand::print(const CallStatistics& statistics) {
    if (!m_xlsx.empty()) {
        std::string error;
        if (writeStatisticsWorkbook(m_xlsx, statistics, error)) return kExitOk;
        m_context.messages.showMessage(error, MessageIcon::Warning);
        return kExitMessage;
    }
    const bool byNumber = m_by == "number";
    const auto titles = byNumber ? numberTitles(DurationForm::Seconds) : periodTitles(DurationForm::Seconds);
    const auto rows = byNumber ? numberRows(statistics.numbers, DurationForm::Seconds)
                               : periodRows(statistics, DurationForm::Seconds);
    if (m_json) {
        printJson(jsonRows(titles, rows, byNumber ? 2 : 1));
    } else {
        printRows(titles, rows, false);
    }
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
