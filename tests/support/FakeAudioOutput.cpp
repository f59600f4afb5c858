#include "tests/support/FakeAudioOutput.h"

namespace tapelink::test {

bool FakeAudioOutput::start(std::shared_ptr<const PcmAudio> newAudio, std::int64_t fromFrame, std::string& error) {
    ++starts;
    if (!startError.empty()) {
        error = startError;
        return false;
    }
    audio = std::move(newAudio);
    startFrame = fromFrame;
    played = 0;
    m_state = AudioOutputState::Playing;
    return true;
}

void FakeAudioOutput::pause() {
    if (m_state == AudioOutputState::Playing) m_state = AudioOutputState::Paused;
}

void FakeAudioOutput::resume() {
    if (m_state == AudioOutputState::Paused) m_state = AudioOutputState::Playing;
}

void FakeAudioOutput::stop() {
    m_state = AudioOutputState::Stopped;
    audio.reset();
    played = 0;
}

void FakeAudioOutput::playTo(std::int64_t frame) {
    played = frame - startFrame;
    if (audio && frame >= audio->frames()) m_state = AudioOutputState::Finished;
}

void FakeAudioOutput::fail(const std::string& text) {
    failure = text;
    m_state = AudioOutputState::Failed;
}

}  // namespace tapelink::test
