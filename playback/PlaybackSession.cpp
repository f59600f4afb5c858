#include "playback/PlaybackSession.h"

#include <algorithm>
#include <limits>

namespace tapelink {

PlaybackSession::PlaybackSession(IAudioDecoder& decoder, IAudioOutput& output, IPlaybackView& view,
                                 IMessageSink& mediaMessages, ITimeStretcher* stretcher)
    : m_decoder(decoder), m_output(output), m_view(view), m_mediaMessages(mediaMessages), m_stretcher(stretcher) {}

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
            if (m_skipSilence) m_silences = std::make_shared<SilenceMap>(SilenceMap::find(*m_audio));
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
    m_stream.reset();
    m_audio.reset();
    m_silences.reset();
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
    if (!m_outputStarted || !m_stream) return m_startFrame;
    const std::int64_t played = std::max<std::int64_t>(0, m_output.framesPlayed());
    return std::min(m_stream->recordingFrameAt(played), m_audio->frames());
}

void PlaybackSession::play() {
    if (!m_audio) return;
    std::string error;
    const int quarters = m_stretcher ? m_speedQuarters : kNormalSpeedQuarters;
    m_stream = std::make_shared<ListeningStream>(m_audio, m_startFrame, quarters, skippedSilences(), m_stretcher);
    if (!m_output.start(m_stream, error)) {
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
    m_stream.reset();
    m_startFrame = frame;
}

void PlaybackSession::SeekTo(std::int32_t ms) {
    if (!m_audio) return;
    moveTo(std::clamp<std::int64_t>(std::int64_t{ms} * m_audio->sampleRate / 1000, 0, m_audio->frames()));
}

void PlaybackSession::setSpeedQuarters(int quarters) {
    quarters = std::clamp(quarters, kSlowestSpeedQuarters, kFastestSpeedQuarters);
    if (quarters == m_speedQuarters) return;
    m_speedQuarters = quarters;
    if (m_audio) moveTo(positionFrame());
}

void PlaybackSession::setSkipSilence(bool skip) {
    if (skip == m_skipSilence) return;
    m_skipSilence = skip;
    if (!m_audio) return;
    if (skip && !m_silences) m_silences = std::make_shared<SilenceMap>(SilenceMap::find(*m_audio));
    moveTo(positionFrame());
}

void PlaybackSession::moveTo(std::int64_t frame) {
    // A paused recording stays paused: Resume starts the device from here. The new place is set before the
    // device is released, since releasing it can run the event loop.
    const bool wasPlaying = m_outputStarted && m_output.state() != AudioOutputState::Paused;
    m_outputStarted = false;
    m_stream.reset();
    m_startFrame = frame;
    m_output.stop();
    if (wasPlaying) play();
}

void PlaybackSession::dropAudio(const std::string& error) {
    m_output.stop();
    m_outputStarted = false;
    m_stream.reset();
    m_audio.reset();
    m_silences.reset();
    m_lengthMs = 0;
    m_startFrame = 0;
    if (!error.empty()) m_mediaMessages.showMessage(error, MessageIcon::Stop);
}

}  // namespace tapelink
