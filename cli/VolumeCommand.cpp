#include "cli/VolumeCommand.h"

#include "cli/AudioModule.h"
#include "cli/ValueChecks.h"

namespace tapelink::cli {

VolumeCommand::VolumeCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("volume", "Print or set the volume of the sound output in percent")),
      m_context(context) {
    m_command->add_option("PERCENT", m_percent, "New volume, 0 to 100")->check(numberInRange(0, 100));
}

int VolumeCommand::run() {
    const TapelinkAudioCommands* audio = loadAudioCommands(m_context.messages);
    return audio == nullptr ? kExitMessage : audio->volume(m_percent.value_or(-1));
}

}  // namespace tapelink::cli
