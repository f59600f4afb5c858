#include "cli/TeamPhonebookCommand.h"

#include <iostream>

#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/CellText.h"
#include "cli/ExitStatus.h"
#include "cli/TeamPublishing.h"
#include "contacts/PhonebookTexts.h"
#include "platform/PgTeamPhonebook.h"

namespace tapelink::cli {

namespace {

constexpr const char* kNoArchive = "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。";
constexpr const char* kLocalFailed = "本机电话簿读写失败！";

std::string joined(const std::vector<std::string>& numbers) {
    std::string text;
    for (const std::string& number : numbers) text += (text.empty() ? "" : ",") + number;
    return text;
}

std::string countsText(const ContactImportCounts& counts) {
    return "新增 " + std::to_string(counts.added) + " 个，更新 " + std::to_string(counts.updated) + " 个，未变 " +
           std::to_string(counts.unchanged) + " 个";
}

}  // namespace

TeamPhonebookCommand::TeamPhonebookCommand(CLI::App& team, CliContext& context)
    : m_command(team.add_subcommand("phonebook", "The phonebook the team shares, and this desk's own")),
      m_context(context) {
    m_command->require_subcommand(1);
    m_pull = m_command->add_subcommand("pull", "Merge the team's phonebook into this desk's (as an import does)");
    m_push = m_command->add_subcommand("push", "Merge this desk's phonebook into the team's");
    m_sync = m_command->add_subcommand("sync", "Push where this person may change the team's phonebook, then pull");
    for (CLI::App* exchange : {m_pull, m_push, m_sync}) {
        exchange->add_option("--archive", m_archive,
                             "Archive folder whose phonebook is this desk's (default: the stored upload folder)");
    }
    m_list = m_command->add_subcommand("list", "Print the team's entries: name, numbers, company, last editor, time");
    m_list->add_flag("--json", m_json, "Print the entries as a JSON array");
}

int TeamPhonebookCommand::run(const std::string& server) {
    return m_list->parsed() ? list(server) : exchange(server);
}

int TeamPhonebookCommand::list(const std::string& server) {
    PgTeamPhonebook team(server);
    std::vector<TeamContact> entries;
    const TeamStatus read = team.status() == TeamStatus::Ok ? team.entries(entries) : team.status();
    if (read != TeamStatus::Ok) {
        m_context.messages.showMessage(teamStatusText(read), MessageIcon::Warning);
        return kExitMessage;
    }
    if (m_json) {
        auto array = nlohmann::ordered_json::array();
        for (const TeamContact& entry : entries) {
            nlohmann::ordered_json numbers = nlohmann::ordered_json::array();
            for (const std::string& number : entry.contact.numbers) numbers.push_back(cellText(number));
            array.push_back({{"name", cellText(entry.contact.name)},
                             {"numbers", numbers},
                             {"company", cellText(entry.contact.company)},
                             {"edited_by", cellText(entry.editedBy)},
                             {"edited_at", entry.editedAt}});
        }
        printJson(array);
        return kExitOk;
    }
    std::string out;
    for (const TeamContact& entry : entries) {
        out += cellText(entry.contact.name) + '\t' + cellText(joined(entry.contact.numbers)) + '\t' +
               cellText(entry.contact.company) + '\t' + cellText(entry.editedBy) + '\t' + entry.editedAt + '\n';
    }
    std::cout << out;
    return kExitOk;
}

int TeamPhonebookCommand::exchange(const std::string& server) {
    const std::string folder = archiveFolderOr(m_archive);
    if (folder.empty()) {
        std::cerr << kNoArchive << '\n';
        return kExitUsage;
    }
    // A push only reads the desk's phonebook; a pull and a sync write it.
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder,
                      m_push->parsed() ? CatalogueAccess::ReadOnly : CatalogueAccess::ReadWrite, m_context.messages);
    if (!archive.phonebook) {
        if (!m_context.messages.anyShown()) m_context.messages.showMessage(kPhonebookReadOnly, MessageIcon::Warning);
        return kExitMessage;
    }
    PgTeamPhonebook team(server);
    if (team.status() != TeamStatus::Ok) {
        m_context.messages.showMessage(teamStatusText(team.status()), MessageIcon::Warning);
        return kExitMessage;
    }
    TeamPhonebookSync sync(*archive.phonebook, team);
    if (m_pull->parsed()) return reported(sync.pull());
    if (m_push->parsed()) return reported(sync.push());
    return reported(sync.sync());
}

int TeamPhonebookCommand::reported(const PhonebookSyncReport& report) {
    if (report.sent) std::cout << "团队电话簿：" << countsText(report.toTeam) << '\n';
    if (report.ok() && !m_push->parsed()) std::cout << "本机电话簿：" << countsText(report.toDesk) << '\n';
    if (report.team == TeamStatus::Refused) {
        m_context.messages.showMessage(kTeamPhonebookMayNotEdit, MessageIcon::Warning);
        return kExitMessage;
    }
    if (report.team != TeamStatus::Ok) {
        m_context.messages.showMessage(teamStatusText(report.team), MessageIcon::Warning);
        return kExitMessage;
    }
    if (report.local != CatalogueStatus::Ok) {
        m_context.messages.showMessage(report.local == CatalogueStatus::ReadOnly ? kPhonebookReadOnly : kLocalFailed,
                                       MessageIcon::Warning);
        return kExitMessage;
    }
    // A reader's sync only pulls: said, but no failure.
    if (m_sync->parsed() && !report.sent) std::cerr << kTeamPhonebookMayNotEdit << '\n';
    return kExitOk;
}

}  // namespace tapelink::cli
