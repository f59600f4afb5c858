#pragma once

#include <soundtouch/SoundTouch.h>

#include <vector>

#include "playback/ITimeStretcher.h"

namespace tapelink {

// Time-stretches with SoundTouch's overlap-add (WSOLA), tuned for telephone speech at 8 kHz:
// - sequence 40 ms: the stretch of audio copied whole between splices; three or more pitch periods of even a
//   low voice (periods are 2.5 to 12.5 ms), short enough that syllables stay crisp at 2x;
// - seek window 15 ms: how far a splice may move to line the waves up, so it spans a full pitch period of a
//   low male voice (about 80 Hz);
// - overlap 8 ms: the crossfade at each splice, 64 samples at 8 kHz, about one period of a high voice, long
//   enough to hide the seam without smearing consonants.
// The full (not quick) seek is used: at 8 kHz it costs little and splices more cleanly.
class SoundTouchStretcher : public ITimeStretcher {
public:
    static constexpr int kSequenceMs = 40;
    static constexpr int kSeekWindowMs = 15;
    static constexpr int kOverlapMs = 8;

    void reset(int sampleRate, int channels, double speed) override;
    void put(const std::int16_t* frames, std::int64_t count) override;
    void finish() override;
    std::int64_t take(std::int16_t* out, std::int64_t maxFrames) override;

private:
    soundtouch::SoundTouch m_stretch;
    std::vector<soundtouch::SAMPLETYPE> m_buffer;
    int m_channels = 1;
};

}  // namespace tapelink
