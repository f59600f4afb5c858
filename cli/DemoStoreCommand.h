#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliContext.h"
#include "phone/DemoVolume.h"

namespace tapelink::cli {

// tapelink-cli demo-store DIR [--recordings N] [--seed S] [--max-seconds S] [--force]: writes a demo telephone
// into a new or empty folder (--force: into any folder, whose contents it replaces). --phonebook FILE also
// writes a vCard file of contacts for the demo telephone's numbers (a new file, or any with --force).
class DemoStoreCommand {
public:
    DemoStoreCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    CLI::App* m_command;
    CliContext& m_context;
    std::string m_folder;
    DemoVolumeOptions m_options;
    bool m_force = false;
    std::string m_phonebook;
};

}  // namespace tapelink::cli
