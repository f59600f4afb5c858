#pragma once

#include <cstdint>

namespace tapelink {

// Audio as the sound device pulls it, a block at a time, with the way back from what was heard to where it
// sits in the recording, so positions stay in the recording's own time whatever was shortened or sped up.
class IPcmSource {
public:
    virtual ~IPcmSource() = default;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    // Writes up to frames interleaved frames into out and returns how many; fewer only at the end.
    virtual std::int64_t read(std::int16_t* out, std::int64_t frames) = 0;
    // The recording's frame heard after played frames of this source.
    virtual std::int64_t recordingFrameAt(std::int64_t played) const = 0;
};

}  // namespace tapelink
