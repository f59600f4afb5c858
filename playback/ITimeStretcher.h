#pragma once

#include <cstdint>

namespace tapelink {

// Changes how fast audio plays without changing its pitch. Audio goes in and comes out later: what goes in is
// held until enough of it makes the next stretch of output.
class ITimeStretcher {
public:
    virtual ~ITimeStretcher() = default;
    // Forgets whatever is held and gets ready for audio of this shape, played speed times as fast.
    virtual void reset(int sampleRate, int channels, double speed) = 0;
    virtual void put(const std::int16_t* frames, std::int64_t count) = 0;
    // Nothing more goes in: the rest of what is held can be taken.
    virtual void finish() = 0;
    // Takes up to maxFrames frames into out; returns how many.
    virtual std::int64_t take(std::int16_t* out, std::int64_t maxFrames) = 0;
};

}  // namespace tapelink
