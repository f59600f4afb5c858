#include "cli/DeleteCommand.h"

#include <iostream>
#include <limits>

#include "archive/ArchiveOnPhone.h"
#include "catalogue/ArchivedClearing.h"
#include "cli/ArchiveAccess.h"
#include "cli/ArchiveOption.h"
#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/TeamPublishing.h"
#include "cli/ValueChecks.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleMessages.h"
#include "phone/VolumeMessages.h"
#include "platform/PgTeamArchive.h"
#include "team/TeamHeldRecordings.h"

namespace tapelink::cli {

namespace {

constexpr const char* kNoCatalogue = "上传路径中没有存档索引，没有已确认存档的录音，未删除任何录音。";

}  // namespace

DeleteCommand::DeleteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("delete", "Delete recordings from the telephone for good")), m_context(context) {
    auto* selection = m_command->add_option_group("recordings", "Which recordings to delete");
    m_choice.addOptions(selection, "list", false);
    selection->add_flag("--archived", m_archived, "Every recording verified as archived");
    selection->require_option(1);
    m_command->add_option("--older-than", m_olderThan, "With --archived: only those that started more than DAYS ago")
        ->check(numberAtLeast(0))
        ->needs("--archived");
    ArchiveOption(*m_command, m_to, "With --archived: the archive (upload) folder (default: the stored one)", true)
        .needs("--archived");
}

int DeleteCommand::runArchived() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    const std::string folder = archiveFolderOr(m_to);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    // Before anything is opened or made in the folder: not even the catalogue goes onto the telephone.
    if (archivePlace(root, folder) == ArchivePlace::OnPhone) {
        m_context.messages.showMessage(archiveOnPhoneText(folder), MessageIcon::Stop);
        return kExitMessage;
    }
    FailureTrackingSink messages(m_context.messages);
    PhoneList list = scanPhoneList(root, messages);
    if (!list.result.indexValid) {
        messages.showMessage(kIndexUnusable, MessageIcon::Stop);
        return kExitMessage;
    }
    OpenArchive archive = openArchive(*m_context.catalogues, folder, messages);
    if (!archive.catalogue) {
        if (messages.failed()) return kExitMessage;
        // A folder that can't be written and holds no catalogue: nothing is known to be archived there.
        std::cout << kNoCatalogue << '\n';
        return kExitOk;
    }
    ClearingRule rule;
    // On a team desk the server must hold a recording too, as it says now, before the telephone's copy goes.
    const TeamSettings team = storedTeamSettings();
    std::set<std::string> serverHolds;
    if (team.inTeam() && team.clearingNeedsServer) {
        PgTeamArchive server(team.server);
        const TeamStatus asked =
            server.status() == TeamStatus::Ok
                ? teamHeldRecordings(server, team.desk, *archive.catalogue, list.entries, serverHolds)
                : server.status();
        if (asked != TeamStatus::Ok) {
            messages.showMessage(teamStatusText(asked) + kTeamServerUnconfirmed, MessageIcon::Warning);
            return kExitMessage;
        }
        rule.serverHolds = &serverHolds;
    }
    if (m_olderThan >= 0) rule.olderThanDays = m_olderThan;
    rule.now = std::time(nullptr);
    const ClearingReport report =
        clearArchived(*archive.catalogue, folder, root, list.entries, rule, list.header, messages, {});
    for (const std::string& name : report.deleted) std::cout << name << '\n';
    std::cout << clearingSummary(report, rule, std::numeric_limits<std::size_t>::max()) << '\n';
    return report.failed() || messages.failed() ? kExitMessage : kExitOk;
}

int DeleteCommand::run() {
    if (m_archived) return runArchived();
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    FailureTrackingSink messages(m_context.messages);
    PhoneList list = scanPhoneList(root, messages);
    if (!phoneListReadable(list.result, messages)) return kExitMessage;
    std::vector<std::string> listed;
    for (const auto& row : list.rows) listed.push_back(row[1]);
    int status = kExitOk;
    const auto rows = m_choice.resolve(listed, list.result.renamed, status);
    if (!rows) return status;
    std::vector<std::string> names;
    for (const int row : *rows) names.push_back(listed[static_cast<std::size_t>(row)]);
    PermanentDelete(root, names, list.header, messages, [&](std::size_t i) { std::cout << names[i] << '\n'; });
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
