#include "cli/DeleteCommand.h"

#include <iostream>

#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleMessages.h"

namespace tapelink::cli {

DeleteCommand::DeleteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("delete", "Delete recordings from the telephone for good")), m_context(context) {
    m_choice.addOptions(m_command->add_option_group("recordings", "Which recordings to delete"), "list", true);
}

int DeleteCommand::run() {
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
