#include "cli/ListCommand.h"

#include "cli/PhoneListScan.h"

namespace tapelink::cli {

ListCommand::ListCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("list", "Print the recordings on the telephone")), m_context(context) {
    m_command->add_flag("--json", m_json, "Print the rows as a JSON array");
}

int ListCommand::run() {
    const std::string root = m_context.locatePhone();
    if (root.empty()) {
        m_context.messages.showMessage("设备未准备好！", MessageIcon::Warning);
        return kExitMessage;
    }
    const PhoneList list = scanPhoneList(root, m_context.messages);
    const auto& titles = recordingColumnTitles();
    printRows({titles.begin(), titles.end()}, list.rows, m_json);
    return m_context.messages.anyShown() ? kExitMessage : kExitOk;
}

}  // namespace tapelink::cli
