#include "cli/DeleteCommand.h"

#include <iostream>

#include "archive/ArchivedRecordings.h"
#include "cli/ArchiveAccess.h"
#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/ValueChecks.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleMessages.h"

namespace tapelink::cli {

DeleteCommand::DeleteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("delete", "Delete recordings from the telephone for good")), m_context(context) {
    auto* selection = m_command->add_option_group("recordings", "Which recordings to delete");
    m_choice.addOptions(selection, "list", false);
    selection->add_flag("--archived", m_archived, "Every recording verified as archived");
    selection->require_option(1);
    m_command->add_option("--older-than", m_olderThan, "With --archived: only those that started more than DAYS ago")
        ->check(numberAtLeast(0))
        ->needs("--archived");
    m_command->add_option("--to", m_to, "With --archived: the archive (upload) folder (default: the stored one)")
        ->needs("--archived");
}

int DeleteCommand::runArchived() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    const std::string folder = archiveFolderOr(m_to);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --to DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    FailureTrackingSink messages(m_context.messages);
    PhoneList list = scanPhoneList(root, messages);
    OpenArchive archive = openArchive(folder, messages);
    if (!archive.catalogue) return kExitMessage;
    ClearingRule rule;
    if (m_olderThan >= 0) rule.olderThanDays = m_olderThan;
    rule.now = std::time(nullptr);
    const std::vector<std::string> names =
        verifiedArchivedNames(*archive.catalogue, folder, root, list.entries, rule, {});
    if (names.empty()) return messages.failed() ? kExitMessage : kExitOk;
    PermanentDelete(root, names, list.header, messages, [&](std::size_t i) { std::cout << names[i] << '\n'; });
    return messages.failed() ? kExitMessage : kExitOk;
}

int DeleteCommand::run() {
    if (m_archived) return runArchived();
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    FailureTrackingSink messages(m_context.messages);
    PhoneList list = scanPhoneList(root, messages);
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
