#pragma once

#include "phone/IWavEncoder.h"

namespace tapelink {

// Encodes telephone recordings as IMA ADPCM (4 bits, 8 kHz mono) with libsndfile, then lays the
// file out the way the telephone does: the metadata block at offset 256 inside a private chunk and
// the audio data from offset 512.
class SndfileWavEncoder : public IWavEncoder {
public:
    bool writeRecording(const std::string& path, const RecordingInfo& info,
                        const std::vector<std::int16_t>& samples) override;

    // The encoded WAV as libsndfile writes it, before the layout is changed.
    static std::vector<std::uint8_t> encodeImaAdpcm(const std::vector<std::int16_t>& samples);
};

}  // namespace tapelink
