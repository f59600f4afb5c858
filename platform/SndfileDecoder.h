#pragma once

#include <cstdint>
#include <vector>

#include "playback/IAudioDecoder.h"

namespace tapelink {

// Decodes a whole WAV recording into memory with libsndfile: PCM, G.711, IMA and MS ADPCM, GSM 6.10, G.721 and
// whatever else libsndfile reads. A recording the telephone never finished (its data chunk claims 0 bytes, or
// more than the file holds) plays the audio the file does hold.
class SndfileDecoder : public IAudioDecoder {
public:
    bool decode(const std::string& path, PcmAudio& audio, std::string& error) override;

    // Decodes a file already read into memory.
    static bool decodeBytes(std::vector<std::uint8_t> bytes, PcmAudio& audio, std::string& error);

    // Sets a WAV data chunk's size to what the file holds when it claims 0 or more than that. Returns whether
    // the size was changed.
    static bool repairDataChunkSize(std::vector<std::uint8_t>& bytes);
};

}  // namespace tapelink
