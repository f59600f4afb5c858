#include "cli/PlayCommand.h"

#include <cstdlib>

#include "cli/AudioModule.h"
#include "playback/PlaybackSpeed.h"

namespace tapelink::cli {

PlayCommand::PlayCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("play", "Play recording files one after another")), m_context(context) {
    m_command->add_option("FILE", m_files, "Recording files")->required();
    m_command->add_option("--speed", m_speed, "Times as fast as recorded, pitch kept: 0.5 to 2 in steps of 0.25")
        ->check(CLI::Validator(
            [](const std::string& text) -> std::string {
                char* end = nullptr;
                const double speed = std::strtod(text.c_str(), &end);
                if (end == text.c_str() || *end != '\0' || speedQuarters(speed) == 0)
                    return "速度只能是 0.5、0.75、1、1.25、1.5、1.75、2 之一";
                return {};
            },
            "SPEED"));
    m_command->add_flag("--skip-silence", m_skipSilence, "Shorten silences longer than 0.7 s to 0.3 s");
}

int PlayCommand::run() {
    const TapelinkAudioCommands* audio = loadAudioCommands(m_context.messages);
    if (audio == nullptr) return kExitMessage;
    if (audio->play == nullptr) {
        m_context.messages.showMessage("此 tapelink-cli 未包含播放功能", MessageIcon::Stop);
        return kExitMessage;
    }
    std::vector<const char*> files;
    for (const std::string& file : m_files) files.push_back(file.c_str());
    return audio->play(files.data(), static_cast<int>(files.size()), speedQuarters(m_speed), m_skipSilence ? 1 : 0);
}

}  // namespace tapelink::cli
