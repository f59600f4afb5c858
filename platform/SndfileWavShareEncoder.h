#pragma once

#include "sharing/IAudioEncoder.h"

namespace tapelink {

// Sends a recording as WAV: the original as it is (a byte-identical copy); a compacted recording, held by its
// Ogg Opus file, decoded and written as 16-bit PCM WAV, since a file named .wav must be one.
class SndfileWavShareEncoder : public IAudioEncoder {
public:
    bool encode(const std::vector<std::uint8_t>& original, std::vector<std::uint8_t>& encoded,
                std::string& error) override;
};

}  // namespace tapelink
