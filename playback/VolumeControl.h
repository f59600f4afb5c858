#pragma once

#include <optional>

#include "playback/ISystemMixer.h"

namespace tapelink {

// Volume (in percent) and mute switch of one mixer line. Selector 1 is the wave output, 2 the synthesizer,
// 3 the microphone and anything else the speakers. The mixer is opened and closed around every call, and every
// failure is silent: the getters give 0 or false, the setters false.
class VolumeControl {
public:
    explicit VolumeControl(ISystemMixer& mixer) : m_mixer(mixer) {}

    int GetVolume(int selector);
    bool SetVolume(int selector, int percent);
    bool IsMuted(int selector);
    // The getters without the silence: nothing when the mixer or the line could not be read.
    std::optional<int> readVolume(int selector);
    std::optional<bool> readMute(int selector);
    bool SetMute(int selector, bool on);

    static MixerLine lineFor(int selector);

private:
    ISystemMixer& m_mixer;
};

}  // namespace tapelink
