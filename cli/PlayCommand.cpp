#include "cli/PlayCommand.h"

#include "cli/AudioModule.h"

namespace tapelink::cli {

PlayCommand::PlayCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("play", "Play recording files one after another")), m_context(context) {
    m_command->add_option("FILE", m_files, "Recording files")->required();
}

int PlayCommand::run() {
    const TapelinkAudioCommands* audio = loadAudioCommands(m_context.messages);
    if (audio == nullptr) return kExitMessage;
    if (audio->play == nullptr) {
        m_context.messages.showMessage("Playback is not built into this tapelink-cli", MessageIcon::Stop);
        return kExitMessage;
    }
    std::vector<const char*> files;
    for (const std::string& file : m_files) files.push_back(file.c_str());
    return audio->play(files.data(), static_cast<int>(files.size()));
}

}  // namespace tapelink::cli
