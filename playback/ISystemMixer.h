#pragma once

#include <cstdint>
#include <optional>

namespace tapelink {

enum class MixerLine { WaveOut, Synthesizer, Microphone, Speakers };
enum class MixerControlKind { Volume, Mute };

// The PC's audio mixer as VolumeControl uses it: opened for one operation and closed after it.
class ISystemMixer {
public:
    virtual ~ISystemMixer() = default;
    virtual bool open() = 0;
    virtual void close() = 0;
    // The control's maximum bound (its range starts at 0); nullopt when the line or the control is missing.
    virtual std::optional<std::uint32_t> findControl(MixerLine line, MixerControlKind kind) = 0;
    // One value for all channels.
    virtual std::optional<std::uint32_t> readControl(MixerLine line, MixerControlKind kind) = 0;
    virtual bool writeControl(MixerLine line, MixerControlKind kind, std::uint32_t value) = 0;
};

}  // namespace tapelink
