#include "cli/MuteCommand.h"

#include <iostream>

#include "archive/VolumeControl.h"
#include "platform/PulseMixer.h"

namespace tapelink::cli {

namespace {
constexpr int kWaveOutput = 1;
}

MuteCommand::MuteCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("mute", "Print or set the mute switch of the sound output")), m_context(context) {
    m_command->add_option("STATE", m_switch, "on or off")->check(CLI::IsMember({"on", "off"}));
}

int MuteCommand::run() {
    PulseMixer mixer;
    VolumeControl volume(mixer);
    if (m_switch.empty()) {
        std::cout << (volume.IsMuted(kWaveOutput) ? "on" : "off") << '\n';
        return kExitOk;
    }
    if (!volume.SetMute(kWaveOutput, m_switch == "on")) {
        m_context.messages.showMessage("The sound output's mute switch could not be set", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
