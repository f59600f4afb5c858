#include "cli/MuteCommand.h"

#include "cli/AudioModule.h"
#include "cli/ValueChecks.h"

namespace tapelink::cli {

MuteCommand::MuteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("mute", "Print or set the mute switch of the sound output")), m_context(context) {
    m_command->add_option("STATE", m_switch, "on or off")->check(oneOf({"on", "off"}));
}

int MuteCommand::run() {
    const TapelinkAudioCommands* audio = loadAudioCommands(m_context.messages);
    if (audio == nullptr) return kExitMessage;
    return audio->mute(m_switch.empty() ? -1 : m_switch == "on" ? 1 : 0);
}

}  // namespace tapelink::cli
