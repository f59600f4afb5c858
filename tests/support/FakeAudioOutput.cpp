#include "tests/support/FakeAudioOutput.h"

namespace tapelink::test {

bool FakeAudioOutput::start(std::shared_ptr<IPcmSource> newSource, std::string& error) {
    ++starts;
    if (!startError.empty()) {
        error = startError;
        return false;
    }
    source = std::move(newSource);
    startFrame = source->recordingFrameAt(0);
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
    source.reset();
    played = 0;
}

void FakeAudioOutput::playTo(std::int64_t frame) {
    played = frame - startFrame;
}

std::vector<std::int16_t> FakeAudioOutput::pull(std::int64_t count) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count * source->channels()));
    samples.resize(static_cast<std::size_t>(source->pull(samples.data(), count) * source->channels()));
    return samples;
}

void FakeAudioOutput::fail(const std::string& text) {
    failure = text;
    m_state = AudioOutputState::Failed;
}

}  // namespace tapelink::test
