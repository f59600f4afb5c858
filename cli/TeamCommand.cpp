#include "cli/TeamCommand.h"

#include <iostream>

#include "catalogue/CatalogueSession.h"
#include "cli/ArchiveAccess.h"
#include "cli/NonBlank.h"
#include "cli/TeamPublishing.h"
#include "cli/ValueChecks.h"
#include "contacts/ContactDirectory.h"
#include "platform/PgTeamAdmin.h"
#include "platform/PgTeamArchive.h"
#include "recording/CallDirection.h"
#include "recording/DisplayText.h"
#include "settings/ProfileFolder.h"
#include "settings/TeamSettingsFile.h"
#include "team/TeamNotePublisher.h"

namespace tapelink::cli {

namespace {

constexpr const char* kNoServer =
    "此工位没有团队存档服务器：请先用 tapelink-cli team join SERVER DESK 设置，或用 --server 指定。";
constexpr const char* kNoDesk = "没有工位名称：请先用 tapelink-cli team join SERVER DESK 设置，或用 --desk 指定。";
constexpr const char* kNoArchive = "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。";

std::string directionText(int direction) {
    if (direction == static_cast<int>(CallDirection::Caller)) return "主叫";
    if (direction == static_cast<int>(CallDirection::Called)) return "被叫";
    return "";
}

}  // namespace

TeamCommand::TeamCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("team", "The archive the team shares on a PostgreSQL server")),
      m_context(context) {
    m_command->require_subcommand(1);
    m_command->add_option("--server", m_server, "libpq service name or connection URI (default: team.ini)");
    m_command->fallthrough();
    m_join = m_command->add_subcommand("join", "Store this desk's server and name in team.ini");
    m_join->add_option("SERVER", m_server, "libpq service name or connection URI")->required()->check(nonBlank());
    m_join->add_option("DESK", m_desk, "This desk's name on the server")->required()->check(nonBlank());
    m_join->add_option("--clearing-needs-server", m_clearing, "Clear the telephone only of what the server holds")
        ->check(oneOf({"on", "off"}));
    m_init = m_command->add_subcommand("init", "Create or update the server's tables and base role (administrator)");
    auto* desk = m_command->add_subcommand("desk", "Desks (administrator)");
    desk->require_subcommand(1);
    m_deskAdd = desk->add_subcommand("add", "Add a desk with its publishing role");
    m_deskAdd->add_option("DESK", m_desk, "Desk name")->required()->check(nonBlank());
    m_deskAdd->add_option("--publisher", m_publisher, "The role the desk publishes as (default: the desk's name)");
    auto* user = m_command->add_subcommand("user", "People (administrator)");
    user->require_subcommand(1);
    m_userAdd = user->add_subcommand("add", "Add a person's role");
    m_userAdd->add_option("USER", m_user, "Role name")->required()->check(nonBlank());
    m_grant = m_command->add_subcommand("grant", "Give a person a right on a desk (administrator)");
    m_revoke = m_command->add_subcommand("revoke", "Take a person's right on a desk away (administrator)");
    for (CLI::App* rights : {m_grant, m_revoke}) {
        rights->add_option("USER", m_user, "Role name")->required()->check(nonBlank());
        rights->add_option("DESK", m_desk, "Desk name")->required()->check(nonBlank());
        rights->add_option("RIGHT", m_right, "hear, annotate or delete")
            ->required()
            ->check(oneOf({"hear", "annotate", "delete"}));
    }
    m_status = m_command->add_subcommand("status", "List what this desk has not yet published");
    m_publish = m_command->add_subcommand("publish", "Publish what this desk has not yet published");
    for (CLI::App* local : {m_status, m_publish}) {
        local->add_option("--archive", m_archive, "Archive folder (default: the stored upload folder)");
        local->add_option("--desk", m_desk, "This desk's name (default: team.ini)");
    }
    m_search = m_command->add_subcommand("search", "Search the team archive, as far as this person may hear");
    m_options.addTo(*m_search);
    m_search->add_option("--desk", m_desk, "Only this desk's recordings");
    m_search->add_option("--archive", m_archive,
                         "Archive folder whose phonebook names the numbers (default: the stored upload folder)");
    m_search->add_flag("--json", m_json, "Print the rows as a JSON array");
    m_phonebook = std::make_unique<TeamPhonebookCommand>(*m_command, context);
}

int TeamCommand::told(TeamStatus status) {
    if (status == TeamStatus::Ok) return kExitOk;
    m_context.messages.showMessage(teamStatusText(status), MessageIcon::Warning);
    return kExitMessage;
}

int TeamCommand::run() {
    if (m_join->parsed()) return join();
    TeamSettings settings = storedTeamSettings();
    if (m_server.empty()) m_server = settings.server;
    if (m_server.empty()) {
        std::cerr << kNoServer << '\n';
        return kExitUsage;
    }
    if (m_phonebook->parsed()) return m_phonebook->run(m_server);
    if (m_status->parsed() || m_publish->parsed()) {
        if (m_desk.empty()) m_desk = settings.desk;
        if (m_desk.empty()) {
            std::cerr << kNoDesk << '\n';
            return kExitUsage;
        }
        m_archive = archiveFolderOr(m_archive);
        if (m_archive.empty()) {
            std::cerr << kNoArchive << '\n';
            return kExitUsage;
        }
        return m_status->parsed() ? status() : publish();
    }
    if (m_search->parsed()) return search();
    return admin();
}

int TeamCommand::join() {
    const std::string profile = profileFolderPath();
    ensureProfileFolder(profile);
    const TeamSettings settings{m_server, m_desk, m_clearing == "on"};
    if (!saveTeamSettings(teamSettingsFilePath(profile), settings)) {
        m_context.messages.showMessage("团队设置保存失败！", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

int TeamCommand::admin() {
    PgConnection connection(m_server);
    if (connection.status() != TeamStatus::Ok) return told(connection.status());
    const PgTeamAdmin team(connection);
    if (m_init->parsed()) return told(team.init());
    if (m_deskAdd->parsed()) return told(team.addDesk(m_desk, m_publisher.empty() ? m_desk : m_publisher));
    if (m_userAdd->parsed()) return told(team.addUser(m_user));
    if (m_grant->parsed()) return told(team.grant(m_user, m_desk, m_right));
    return told(team.revoke(m_user, m_desk, m_right));
}

int TeamCommand::status() {
    CatalogueSession archive(*m_context.catalogues, m_archive);
    archive.open(CatalogueAccess::ReadWrite);
    std::vector<CatalogueRecord> pending;
    std::vector<ChangedNote> notes;
    CatalogueStatus read = archive.isOpen() ? unpublishedRecords(archive, m_desk, pending) : CatalogueStatus::Failed;
    if (read == CatalogueStatus::Ok) read = changedNotes(archive, m_desk, notes);
    if (read != CatalogueStatus::Ok) {
        m_context.messages.showMessage("存档索引读取失败！", MessageIcon::Warning);
        return kExitMessage;
    }
    for (const CatalogueRecord& record : pending) std::cout << record.fileName << '\n';
    std::cout << "尚未发布 " << pending.size() << " 个\n";
    // Notes edited since the server took them, which the next publishing sends.
    if (!notes.empty()) std::cout << "备注尚未发送 " << notes.size() << " 条\n";
    return kExitOk;
}

int TeamCommand::publish() {
    const PublishReport report = publishArchive(*m_context.catalogues, m_archive, {m_server, m_desk, true});
    std::cout << "已发布 " << report.published << " 个，尚未发布 " << report.unpublished << " 个";
    if (report.unreadable > 0) std::cout << "，无法读取 " << report.unreadable << " 个";
    if (report.notesSent > 0) std::cout << "，更新备注 " << report.notesSent << " 条";
    if (report.notesRefused > 0) std::cout << "，备注被拒绝 " << report.notesRefused << " 条";
    if (report.notesUnsent > 0) std::cout << "，备注尚未发送 " << report.notesUnsent << " 条";
    std::cout << '\n';
    if (report.local != CatalogueStatus::Ok && report.status == TeamStatus::Failed) {
        m_context.messages.showMessage("存档索引读取失败！", MessageIcon::Warning);
        return kExitMessage;
    }
    const int told = this->told(report.status);
    return told != kExitOk || report.unpublished > 0 || report.notesUnsent > 0 ? kExitMessage : kExitOk;
}

int TeamCommand::search() {
    PgTeamArchive team(m_server);
    if (team.status() != TeamStatus::Ok) return told(team.status());
    TeamSearchCriteria criteria{m_options.criteria(), m_desk};
    std::vector<TeamRecording> found;
    const TeamStatus searched = team.search(criteria, found);
    if (searched != TeamStatus::Ok) return told(searched);
    // The numbers are named by this desk's phonebook, as `search` names them; without an archive, by none.
    std::vector<Contact> contacts;
    if (const std::string folder = archiveFolderOr(m_archive); !folder.empty()) {
        CatalogueSession archive(*m_context.catalogues, folder);
        if (archive.open(CatalogueAccess::ReadOnly); archive.isOpen()) archive.phonebook()->contacts(contacts);
    }
    const ContactDirectory names(contacts);
    const std::vector<std::string> titles = {"工位", "文件名", "号码",   "方向", "开始时间",
                                             "时长", "大小",   "sha256", "姓名"};
    std::vector<std::vector<std::string>> rows;
    for (const TeamRecording& r : found) {
        rows.push_back({r.desk, r.name, r.number, directionText(r.direction), startTimeText(r.startKey),
                        durationText(static_cast<std::int64_t>(r.size)), std::to_string(r.size), r.sha256,
                        names.nameFor(r.number)});
    }
    printRows(titles, rows, m_json);
    return kExitOk;
}

}  // namespace tapelink::cli
