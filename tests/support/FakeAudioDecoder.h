#pragma once

#include <map>
#include <string>
#include <vector>

#include "playback/IAudioDecoder.h"

namespace tapelink::test {

// Decodes the paths it was given silent audio for; every other path fails with "cannot open <path>".
class FakeAudioDecoder : public IAudioDecoder {
public:
    bool decode(const std::string& path, PcmAudio& audio, std::string& error) override;
    // Silent 8 kHz mono audio lasting ms milliseconds.
    void addRecording(const std::string& path, int ms);

    std::map<std::string, PcmAudio> recordings;
    std::vector<std::string> decoded;
};

}  // namespace tapelink::test
