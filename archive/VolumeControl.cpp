#include "archive/VolumeControl.h"

#include <algorithm>

namespace tapelink {

namespace {

// Keeps the mixer open for the lifetime of one operation, whichever way it ends.
class OpenMixer {
public:
    explicit OpenMixer(ISystemMixer& mixer) : m_mixer(mixer), m_open(mixer.open()) {}
    ~OpenMixer() {
        if (m_open) m_mixer.close();
    }
    OpenMixer(const OpenMixer&) = delete;
    OpenMixer& operator=(const OpenMixer&) = delete;
    bool isOpen() const { return m_open; }

private:
    ISystemMixer& m_mixer;
    bool m_open;
};

}  // namespace

MixerLine VolumeControl::lineFor(int selector) {
    switch (selector) {
        case 1:
            return MixerLine::WaveOut;
        case 2:
            return MixerLine::Synthesizer;
        case 3:
            return MixerLine::Microphone;
        default:
            return MixerLine::Speakers;
    }
}

int VolumeControl::GetVolume(int selector) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return 0;
    const MixerLine line = lineFor(selector);
    const auto maximum = m_mixer.findControl(line, MixerControlKind::Volume);
    if (!maximum || *maximum == 0) return 0;
    const auto value = m_mixer.readControl(line, MixerControlKind::Volume);
    if (!value) return 0;
    // Unsigned 32-bit arithmetic, truncating: 32767 of 65535 reads as 49.
    return static_cast<int>(*value * 100u / *maximum);
}

bool VolumeControl::SetVolume(int selector, int percent) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return false;
    const MixerLine line = lineFor(selector);
    const auto maximum = m_mixer.findControl(line, MixerControlKind::Volume);
    if (!maximum) return false;
    const auto clamped = static_cast<std::uint64_t>(std::clamp(percent, 0, 100));
    return m_mixer.writeControl(line, MixerControlKind::Volume, static_cast<std::uint32_t>(clamped * *maximum / 100));
}

bool VolumeControl::IsMuted(int selector) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return false;
    const MixerLine line = lineFor(selector);
    if (!m_mixer.findControl(line, MixerControlKind::Mute)) return false;
    const auto value = m_mixer.readControl(line, MixerControlKind::Mute);
    return value && *value != 0;
}

bool VolumeControl::SetMute(int selector, bool on) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return false;
    const MixerLine line = lineFor(selector);
    if (!m_mixer.findControl(line, MixerControlKind::Mute)) return false;
    return m_mixer.writeControl(line, MixerControlKind::Mute, on ? 1u : 0u);
}

}  // namespace tapelink
