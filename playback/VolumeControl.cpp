#include "playback/VolumeControl.h"

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
    return readVolume(selector).value_or(0);
}

std::optional<int> VolumeControl::readVolume(int selector) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return std::nullopt;
    const MixerLine line = lineFor(selector);
    const auto maximum = m_mixer.findControl(line, MixerControlKind::Volume);
    if (!maximum) return std::nullopt;
    if (*maximum == 0) return 0;  // a line without a range

    const auto value = m_mixer.readControl(line, MixerControlKind::Volume);
    if (!value) return std::nullopt;
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
    return readMute(selector).value_or(false);
}

std::optional<bool> VolumeControl::readMute(int selector) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return std::nullopt;
    const MixerLine line = lineFor(selector);
    if (!m_mixer.findControl(line, MixerControlKind::Mute)) return std::nullopt;
    const auto value = m_mixer.readControl(line, MixerControlKind::Mute);
    if (!value) return std::nullopt;
    return *value != 0;
}

bool VolumeControl::SetMute(int selector, bool on) {
    OpenMixer mixer(m_mixer);
    if (!mixer.isOpen()) return false;
    const MixerLine line = lineFor(selector);
    if (!m_mixer.findControl(line, MixerControlKind::Mute)) return false;
    return m_mixer.writeControl(line, MixerControlKind::Mute, on ? 1u : 0u);
}

}  // namespace tapelink
