#pragma once

#include <cstdint>

#include "sharing/IAudioEncoder.h"

namespace tapelink {

// Converts a recording to MP3 at a variable bit rate with libsndfile, then decodes the result again and
// refuses it unless its length matches the original's within one MP3 frame (a constant bit rate pads and
// shifts the audio, so times noted against the original would no longer match).
class SndfileMp3Encoder : public IAudioEncoder {
public:
    // Samples per MP3 frame at the telephone's 8 kHz (MPEG 2.5 layer III); 1152 at 32 kHz and above.
    static constexpr std::int64_t kFrameSamples = 576;

    bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                std::string& error) override;

    // The number of sample frames libsndfile decodes from an audio file in memory; -1 when it can't.
    static std::int64_t decodedFrames(const std::vector<std::uint8_t>& bytes);
};

}  // namespace tapelink
