#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "playback/ISystemMixer.h"

namespace tapelink::test {

// A mixer with one volume control and one mute switch on every line, or with parts missing when a test says
// so. Counts openings and closings so a test can see that every opened mixer was closed.
class FakeMixer : public ISystemMixer {
public:
    bool open() override;
    void close() override { ++closes; }
    std::optional<std::uint32_t> findControl(MixerLine line, MixerControlKind kind) override;
    std::optional<std::uint32_t> readControl(MixerLine line, MixerControlKind kind) override;
    bool writeControl(MixerLine line, MixerControlKind kind, std::uint32_t value) override;

    bool present = true;      // false: opening fails
    bool hasControls = true;  // false: no line has any control
    bool readsFail = false;
    bool writesFail = false;
    std::uint32_t volumeMaximum = 65535;
    std::map<std::pair<MixerLine, MixerControlKind>, std::uint32_t> values;
    int opens = 0;
    int closes = 0;
    int writes = 0;
};

}  // namespace tapelink::test
