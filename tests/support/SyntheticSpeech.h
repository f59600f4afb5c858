#pragma once

#include <cstdint>
#include <vector>

#include "playback/PcmAudio.h"

namespace tapelink::test {

// 8 kHz mono test audio built piece by piece: tones standing for talk, hiss standing for a telephone line's
// silence. Remembers where each tone lies.
class SyntheticSpeech {
public:
    static constexpr int kRate = 8000;

    explicit SyntheticSpeech(double hissAmplitude = 30.0) : m_hiss(hissAmplitude) { m_audio.sampleRate = kRate; }
    SyntheticSpeech& tone(double seconds, double hertz = 500.0, double amplitude = 8000.0);
    SyntheticSpeech& silence(double seconds);

    const PcmAudio& audio() const { return m_audio; }
    // [first frame, end frame) of each tone, in order.
    const std::vector<std::pair<std::int64_t, std::int64_t>>& tones() const { return m_tones; }

private:
    PcmAudio m_audio{kRate, 1, {}};
    double m_hiss;
    std::uint32_t m_noise = 12345;
    std::vector<std::pair<std::int64_t, std::int64_t>> m_tones;

    double hissSample();
};

// The strongest frequency between lowHz and highHz (1 Hz steps) in samples, by a direct DFT (Goertzel).
double dominantFrequency(const std::int16_t* samples, std::size_t count, int sampleRate, int lowHz, int highHz);

}  // namespace tapelink::test
