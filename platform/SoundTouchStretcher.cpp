#include "platform/SoundTouchStretcher.h"

#include <algorithm>
#include <cmath>

namespace tapelink {

void SoundTouchStretcher::reset(int sampleRate, int channels, double speed) {
    m_channels = std::max(1, channels);
    m_stretch.clear();
    m_stretch.setSampleRate(static_cast<unsigned>(sampleRate));
    m_stretch.setChannels(static_cast<unsigned>(m_channels));
    m_stretch.setTempo(speed);
    m_stretch.setPitch(1.0);
    m_stretch.setRate(1.0);
    m_stretch.setSetting(SETTING_USE_QUICKSEEK, 0);
    m_stretch.setSetting(SETTING_USE_AA_FILTER, 0);
    m_stretch.setSetting(SETTING_SEQUENCE_MS, kSequenceMs);
    m_stretch.setSetting(SETTING_SEEKWINDOW_MS, kSeekWindowMs);
    m_stretch.setSetting(SETTING_OVERLAP_MS, kOverlapMs);
}

void SoundTouchStretcher::put(const std::int16_t* frames, std::int64_t count) {
    const auto samples = static_cast<std::size_t>(count * m_channels);
    m_buffer.resize(samples);
    std::transform(frames, frames + samples, m_buffer.begin(),
                   [](std::int16_t sample) { return static_cast<soundtouch::SAMPLETYPE>(sample) / 32768.0f; });
    m_stretch.putSamples(m_buffer.data(), static_cast<unsigned>(count));
}

void SoundTouchStretcher::finish() {
    m_stretch.flush();
}

std::int64_t SoundTouchStretcher::take(std::int16_t* out, std::int64_t maxFrames) {
    m_buffer.resize(static_cast<std::size_t>(maxFrames * m_channels));
    const auto got =
        static_cast<std::int64_t>(m_stretch.receiveSamples(m_buffer.data(), static_cast<unsigned>(maxFrames)));
    std::transform(m_buffer.begin(), m_buffer.begin() + got * m_channels, out, [](soundtouch::SAMPLETYPE sample) {
        return static_cast<std::int16_t>(std::clamp(std::lround(sample * 32768.0f), -32768L, 32767L));
    });
    return got;
}

}  // namespace tapelink
