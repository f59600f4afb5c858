#include "cli/audio/MixerCommands.h"

#include <iostream>

#include "archive/VolumeControl.h"
#include "cli/ExitStatus.h"
#include "platform/PulseMixer.h"

namespace tapelink::cli {

namespace {
constexpr int kWaveOutput = 1;
}

int printOrSetVolume(std::optional<int> percent, IMessageSink& messages) {
    PulseMixer mixer;
    VolumeControl volume(mixer);
    if (!percent) {
        std::cout << volume.GetVolume(kWaveOutput) << '\n';
        return kExitOk;
    }
    if (!volume.SetVolume(kWaveOutput, *percent)) {
        messages.showMessage("无法设置声音输出的音量", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

int printOrSetMute(std::optional<bool> muted, IMessageSink& messages) {
    PulseMixer mixer;
    VolumeControl volume(mixer);
    if (!muted) {
        std::cout << (volume.IsMuted(kWaveOutput) ? "on" : "off") << '\n';
        return kExitOk;
    }
    if (!volume.SetMute(kWaveOutput, *muted)) {
        messages.showMessage("无法设置声音输出的静音开关", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
