#include "archive/PcmAudioReader.h"

#include <algorithm>

namespace tapelink {

PcmAudioReader::PcmAudioReader(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame)
    : m_audio(std::move(audio)), m_frame(std::clamp<std::int64_t>(fromFrame, 0, m_audio->frames())) {}

std::int64_t PcmAudioReader::pull(std::int16_t* out, std::int64_t maxFrames) {
    const std::int64_t count = std::clamp<std::int64_t>(m_audio->frames() - m_frame, 0, maxFrames);
    const auto first = m_audio->samples.begin() + m_frame * m_audio->channels;
    std::copy(first, first + count * m_audio->channels, out);
    m_frame += count;
    return count;
}

}  // namespace tapelink
