#pragma once

#include <memory>

#include "archive/IPcmStage.h"
#include "archive/PcmAudio.h"

namespace tapelink {

// The first stage of the playback chain: a decoded recording, read on from a given frame.
class PcmAudioReader : public IPcmStage {
public:
    PcmAudioReader(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame);

    int channels() const override { return m_audio->channels; }
    int sampleRate() const override { return m_audio->sampleRate; }
    std::int64_t pull(std::int16_t* out, std::int64_t maxFrames) override;

private:
    std::shared_ptr<const PcmAudio> m_audio;
    std::int64_t m_frame;
};

}  // namespace tapelink
