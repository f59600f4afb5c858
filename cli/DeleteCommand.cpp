#include "cli/DeleteCommand.h"

#include <iostream>

#include "cli/FailureTrackingSink.h"
#include "cli/PhoneListScan.h"
#include "cli/RowList.h"
#include "phone/PhoneListDelete.h"
#include "phone/RecycleMessages.h"

namespace tapelink::cli {

DeleteCommand::DeleteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("delete", "Delete recordings from the telephone for good")), m_context(context) {
    m_command->add_option("--rows", m_rows, "Comma-separated row numbers (序号) of the list")->required();
}

int DeleteCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    FailureTrackingSink messages(m_context.messages);
    PhoneList list = scanPhoneList(root, messages);
    std::vector<int> rows;
    std::string error;
    if (!parseRowList(m_rows, static_cast<int>(list.rows.size()), rows, error)) {
        std::cerr << "--rows: " << error << '\n';
        return kExitUsage;
    }
    std::vector<std::string> names;
    for (const int row : rows) names.push_back(list.rows[static_cast<std::size_t>(row)][1]);
    PermanentDelete(root, names, list.header, messages, [&](std::size_t i) { std::cout << names[i] << '\n'; });
    return messages.failed() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
