#include "archive/PlaybackSession.h"

#include <algorithm>
#include <limits>

namespace tapelink {

PlaybackSession::PlaybackSession(IAudioDecoder& decoder, IAudioOutput& output, IPlaybackView& view,
                                 IMessageSink& mediaMessages)
    : m_decoder(decoder), m_output(output), m_view(view), m_mediaMessages(mediaMessages) {}

PlaybackSession::~PlaybackSession() {
    m_output.stop();
}

void PlaybackSession::Open(const std::string& path) {
    if (m_loaded) Stop();
    m_loaded = true;
    m_startFrame = 0;
    m_outputStarted = false;
    m_lengthMs = 0;

    // An empty path loads nothing and says nothing; the first tick ends it.
    if (!path.empty()) {
        auto audio = std::make_shared<PcmAudio>();
        std::string error;
        if (!m_decoder.decode(path, *audio, error)) {
            dropAudio(error);
        } else if (audio->sampleRate > 0 && audio->frames() > 0) {
            const std::int64_t length = audio->frames() * 1000 / audio->sampleRate;
            m_lengthMs =
                static_cast<std::int32_t>(std::min<std::int64_t>(length, std::numeric_limits<std::int32_t>::max()));
            m_audio = std::move(audio);
        }
    }

    play();
    m_view.setTimerRunning(true);
    m_view.setPositionSlider(0);
}

void PlaybackSession::Stop() {
    if (!m_loaded) return;
    // Idle before the device is released: releasing it can run the event loop, and a seek or tick handled
    // meanwhile must find nothing to restart.
    m_loaded = false;
    m_outputStarted = false;
    m_audio.reset();
    m_lengthMs = 0;
    m_startFrame = 0;
    m_output.stop();
    m_view.setPositionSlider(0);
    m_view.setTimerRunning(false);
    m_view.setPauseCaption(kPauseCaption);
}

void PlaybackSession::Pause() {
    if (m_outputStarted) m_output.pause();
    m_view.setPauseCaption(kContinueCaption);
}

void PlaybackSession::Resume() {
    if (m_outputStarted && m_output.state() == AudioOutputState::Paused) {
        m_output.resume();
    } else if (!m_outputStarted) {
        play();
    }
    m_view.setPauseCaption(kPauseCaption);
}

void PlaybackSession::OnTimer() {
    if (!m_loaded) return;
    if (m_outputStarted && m_output.state() == AudioOutputState::Failed) {
        // The device gave up mid-play: report it and let the recording end here.
        const std::string error = m_output.errorText();
        dropAudio(error.empty() ? std::string("声音输出设备停止播放。") : error);
    }
    const std::int32_t position = positionMs();
    if (position >= m_lengthMs) {
        Stop();
        return;
    }
    if (!m_dragging) m_view.setPositionSlider(static_cast<int>(std::int64_t{position} * 100 / m_lengthMs));
}

void PlaybackSession::OnPositionScroll(SliderScroll code) {
    if (code != SliderScroll::EndTrack) {
        m_dragging = true;
        return;
    }
    m_dragging = false;
    const int percent = std::clamp(m_view.positionSlider(), 0, 100);
    if (!m_loaded) return;
    Pause();
    seek(std::int64_t{m_lengthMs} * percent / 100);
    play();
    m_paused = false;
    m_view.setPauseCaption(kPauseCaption);
}

std::int32_t PlaybackSession::positionMs() const {
    if (!m_audio) return 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(positionFrame() * 1000 / m_audio->sampleRate, m_lengthMs));
}

std::int64_t PlaybackSession::positionFrame() const {
    if (!m_audio) return 0;
    const std::int64_t played = m_outputStarted ? std::max<std::int64_t>(0, m_output.framesPlayed()) : 0;
    return std::min(m_startFrame + played, m_audio->frames());
}

void PlaybackSession::play() {
    if (!m_audio) return;
    std::string error;
    if (!m_output.start(m_audio, m_startFrame, error)) {
        m_outputStarted = false;
        dropAudio(error);
        return;
    }
    m_outputStarted = true;
}

void PlaybackSession::seek(std::int64_t ms) {
    if (!m_audio) return;
    const std::int64_t frame = std::min(ms * m_audio->sampleRate / 1000, m_audio->frames());
    m_output.stop();
    m_outputStarted = false;
    m_startFrame = frame;
}

void PlaybackSession::dropAudio(const std::string& error) {
    m_output.stop();
    m_outputStarted = false;
    m_audio.reset();
    m_lengthMs = 0;
    m_startFrame = 0;
    if (!error.empty()) m_mediaMessages.showMessage(error, MessageIcon::Stop);
}

}  // namespace tapelink
