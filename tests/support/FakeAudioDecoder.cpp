#include "tests/support/FakeAudioDecoder.h"

namespace tapelink::test {

bool FakeAudioDecoder::decode(const std::string& path, PcmAudio& audio, std::string& error) {
    decoded.push_back(path);
    const auto found = recordings.find(path);
    if (found == recordings.end()) {
        error = "cannot open " + path;
        return false;
    }
    audio = found->second;
    return true;
}

void FakeAudioDecoder::addRecording(const std::string& path, int ms) {
    PcmAudio audio;
    audio.sampleRate = 8000;
    audio.channels = 1;
    audio.samples.assign(static_cast<std::size_t>(ms) * 8, 0);
    recordings[path] = std::move(audio);
}

}  // namespace tapelink::test
