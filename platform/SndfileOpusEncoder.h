#pragma once

#include <cstdint>

#include "sharing/IAudioEncoder.h"

namespace tapelink {

// Converts a recording to Ogg Opus for keeping with libsndfile, at a bit rate suited to narrow-band
// speech, then decodes the result again and refuses it unless its length matches the original's within one
// Opus frame.
class SndfileOpusEncoder : public IAudioEncoder {
public:
    // Samples per 20 ms Opus frame at the telephone's 8 kHz.
    static constexpr std::int64_t kFrameSamples = 160;
    // libsndfile's compression level for Opus runs from 0.0 (its largest bit rate, several times the
    // telephone's ADPCM) to 1.0 (its smallest); this level gives about 16 kbit/s, which keeps telephone
    // speech as it sounded.
    static constexpr double kCompressionLevel = 0.96;

    bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                std::string& error) override;
};

}  // namespace tapelink
