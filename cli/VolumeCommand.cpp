#include "cli/VolumeCommand.h"

#include <iostream>

#include "archive/VolumeControl.h"
#include "platform/PulseMixer.h"

namespace tapelink::cli {

namespace {
constexpr int kWaveOutput = 1;
}

VolumeCommand::VolumeCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("volume", "Print or set the volume of the sound output in percent")),
      m_context(context) {
    m_command->add_option("PERCENT", m_percent, "New volume, 0 to 100")->check(CLI::Range(0, 100));
}

int VolumeCommand::run() {
    PulseMixer mixer;
    VolumeControl volume(mixer);
    if (!m_percent) {
        std::cout << volume.GetVolume(kWaveOutput) << '\n';
        return kExitOk;
    }
    if (!volume.SetVolume(kWaveOutput, *m_percent)) {
        m_context.messages.showMessage("The sound output's volume could not be set", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
