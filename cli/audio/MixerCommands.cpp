#include "cli/audio/MixerCommands.h"

#include <iostream>

#include "cli/ExitStatus.h"
#include "platform/PulseMixer.h"
#include "playback/VolumeControl.h"

namespace tapelink::cli {

namespace {
constexpr int kWaveOutput = 1;
}

int printOrSetVolume(std::optional<int> percent, IMessageSink& messages) {
    PulseMixer mixer;
    VolumeControl volume(mixer);
    if (!percent) {
        // A server that can't be reached must not read as silence.
        const std::optional<int> now = volume.readVolume(kWaveOutput);
        if (!now) {
            messages.showMessage("无法读取声音输出的音量", MessageIcon::Warning);
            return kExitMessage;
        }
        std::cout << *now << '\n';
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
        const std::optional<bool> now = volume.readMute(kWaveOutput);
        if (!now) {
            messages.showMessage("无法读取声音输出的静音开关", MessageIcon::Warning);
            return kExitMessage;
        }
        std::cout << (*now ? "on" : "off") << '\n';
        return kExitOk;
    }
    if (!volume.SetMute(kWaveOutput, *muted)) {
        messages.showMessage("无法设置声音输出的静音开关", MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
