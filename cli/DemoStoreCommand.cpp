#include "cli/DemoStoreCommand.h"

#include <iostream>

#include "platform/SndfileWavEncoder.h"

namespace tapelink::cli {

DemoStoreCommand::DemoStoreCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("demo-store", "Write a demo telephone volume into a folder")),
      m_context(context) {
    m_command->add_option("DIR", m_folder, "Folder to become the telephone's drive root")->required();
    m_command->add_option("--recordings", m_options.recordings, "Recordings in voice/")->check(CLI::Range(0, 60000));
    m_command->add_option("--seed", m_options.seed, "Seed of the generated content");
    m_command->add_option("--max-seconds", m_options.maxSeconds, "Length of the longest recording")
        ->check(CLI::Range(1, 3600));
}

int DemoStoreCommand::run() {
    SndfileWavEncoder encoder;
    std::string error;
    if (!writeDemoVolume(m_folder, m_options, encoder, error)) {
        std::cerr << error << '\n';
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
