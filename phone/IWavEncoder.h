#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/RecordingInfo.h"

namespace tapelink {

// Writes recordings in the telephone's own file layout: 8 kHz mono audio, a 512-byte header area
// holding the metadata block at offset 256, the audio data from offset 512.
class IWavEncoder {
public:
    virtual ~IWavEncoder() = default;
    virtual bool writeRecording(const std::string& path, const RecordingInfo& info,
                                const std::vector<std::int16_t>& samples) = 0;

    // Encodes audio once, so that any number of recordings can be cut from it by writeCut: the number of
    // the prepared voice, or -1 when it could not be encoded.
    virtual int prepareVoice(const std::vector<std::int16_t>& samples) = 0;
    // Writes a recording whose audio is the first `seconds` of a prepared voice (all of it when shorter).
    virtual bool writeCut(const std::string& path, const RecordingInfo& info, int voice, int seconds) = 0;
};

}  // namespace tapelink
