#include "playback/ListeningStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "playback/PlaybackSpeed.h"

namespace tapelink {

namespace {
// Small enough that a speed starts sounding within a few milliseconds, large enough to keep calls few.
constexpr std::int64_t kFeedFrames = 512;
}  // namespace

ListeningStream::ListeningStream(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame, int speedQuarters,
                                 std::shared_ptr<const SilenceMap> skips, ITimeStretcher* stretcher)
    : m_audio(std::move(audio)),
      m_skips(std::move(skips)),
      m_stretcher(speedQuarters == kNormalSpeedQuarters ? nullptr : stretcher),
      m_speedQuarters(m_stretcher ? speedQuarters : kNormalSpeedQuarters) {
    const std::int64_t from = std::clamp<std::int64_t>(fromFrame, 0, m_audio->frames());
    m_condensedStart = m_skips ? m_skips->condensedFrame(from) : from;
    m_nextFrame = recordingFrameOf(m_condensedStart);
    if (m_stretcher) {
        m_stretcher->reset(m_audio->sampleRate, m_audio->channels, speedFromQuarters(m_speedQuarters));
        m_feed.resize(static_cast<std::size_t>(kFeedFrames * m_audio->channels));
    }
}

std::int64_t ListeningStream::pull(std::int16_t* out, std::int64_t frames) {
    if (m_ended || frames <= 0) return 0;
    const std::int64_t got = m_stretcher ? readStretched(out, frames) : copyRecording(out, frames);
    m_produced += got;
    if (got < frames) m_ended = true;
    return got;
}

std::int64_t ListeningStream::copyRecording(std::int16_t* out, std::int64_t frames) {
    const int channels = m_audio->channels;
    std::int64_t copied = 0;
    while (copied < frames && m_nextFrame < m_audio->frames()) {
        std::int64_t run = m_audio->frames() - m_nextFrame;
        if (m_skips) run = m_skips->framesToNextSkip(m_nextFrame);
        run = std::min(run, frames - copied);
        std::memcpy(out + copied * channels, m_audio->samples.data() + m_nextFrame * channels,
                    static_cast<std::size_t>(run * channels) * sizeof(std::int16_t));
        copied += run;
        m_nextFrame += run;
        // At a skip, go on from where it ends.
        if (m_skips) m_nextFrame = recordingFrameOf(m_skips->condensedFrame(m_nextFrame));
    }
    return copied;
}

std::int64_t ListeningStream::readStretched(std::int16_t* out, std::int64_t frames) {
    std::int64_t got = 0;
    for (;;) {
        got += m_stretcher->take(out + got * m_audio->channels, frames - got);
        if (got == frames || m_finishing) return got;
        const std::int64_t fed = copyRecording(m_feed.data(), kFeedFrames);
        if (fed > 0) m_stretcher->put(m_feed.data(), fed);
        if (fed < kFeedFrames) {
            m_stretcher->finish();
            m_finishing = true;
        }
    }
}

std::int64_t ListeningStream::recordingFrameAt(std::int64_t played) const {
    if (m_ended && played >= m_produced) return m_audio->frames();
    const std::int64_t heard =
        std::llround(static_cast<double>(std::max<std::int64_t>(played, 0)) * speedFromQuarters(m_speedQuarters));
    const std::int64_t condensedEnd = m_skips ? m_skips->condensedFrames() : m_audio->frames();
    return recordingFrameOf(std::min(m_condensedStart + heard, condensedEnd));
}

std::int64_t ListeningStream::recordingFrameOf(std::int64_t condensed) const {
    return m_skips ? m_skips->recordingFrame(condensed) : condensed;
}

}  // namespace tapelink
