#pragma once

#include <cstdint>
#include <vector>

namespace tapelink {

// A whole recording decoded to interleaved 16-bit samples.
struct PcmAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;

    std::int64_t frames() const { return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0; }
    bool operator==(const PcmAudio&) const = default;
};

}  // namespace tapelink
