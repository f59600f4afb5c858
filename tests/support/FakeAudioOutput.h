#pragma once

#include <vector>

#include "playback/IAudioOutput.h"

namespace tapelink::test {

// A sound device whose progress the test sets by hand.
class FakeAudioOutput : public IAudioOutput {
public:
    bool start(std::shared_ptr<IPcmSource> source, std::string& error) override;
    void pause() override;
    void resume() override;
    void stop() override;
    std::int64_t framesPlayed() const override { return m_state == AudioOutputState::Stopped ? 0 : played; }
    AudioOutputState state() const override { return m_state; }
    std::string errorText() const override { return failure; }

    // Moves the play position to the given frame of the whole recording, as the device would by playing at the
    // recording's own speed with nothing skipped.
    void playTo(std::int64_t frame);
    // Reads the source as the device would while playing count frames of it.
    std::vector<std::int16_t> pull(std::int64_t count);
    void fail(const std::string& text);

    std::int64_t played = 0;
    std::int64_t startFrame = -1;  // the recording frame the last start() began at
    int starts = 0;
    std::shared_ptr<IPcmSource> source;
    std::string startError;  // when not empty, start() fails with it
    std::string failure;

private:
    AudioOutputState m_state = AudioOutputState::Stopped;
};

}  // namespace tapelink::test
