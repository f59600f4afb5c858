#pragma once

#include <cstdint>

namespace tapelink {

// One stage of the chain the sound output pulls its audio through: the decoded recording read on from a frame,
// or a processing stage that pulls from the stage before it and hands on what it made of it.
class IPcmStage {
public:
    virtual ~IPcmStage() = default;
    virtual int channels() const = 0;
    virtual int sampleRate() const = 0;
    // Up to maxFrames interleaved 16-bit frames into out; 0 once the stage has nothing more to give.
    virtual std::int64_t pull(std::int16_t* out, std::int64_t maxFrames) = 0;
};

}  // namespace tapelink
