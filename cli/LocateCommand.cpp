#include "cli/LocateCommand.h"

#include <iostream>

namespace tapelink::cli {

LocateCommand::LocateCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("locate", "Print the telephone's drive root")), m_context(context) {}

int LocateCommand::run() {
    const std::string root = m_context.requirePhone();
    if (root.empty()) return kExitMessage;
    std::cout << root << '\n';
    return kExitOk;
}

}  // namespace tapelink::cli
