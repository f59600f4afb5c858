#pragma once

#include <string>

#include "playback/PcmAudio.h"

namespace tapelink {

// Turns a recording file into PCM in one go, so that its length and every seek are exact whatever the codec.
class IAudioDecoder {
public:
    virtual ~IAudioDecoder() = default;
    // False with the decoder's own description of the problem in error when the file cannot be played.
    virtual bool decode(const std::string& path, PcmAudio& audio, std::string& error) = 0;
};

}  // namespace tapelink
