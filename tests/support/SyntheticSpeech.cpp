#include "tests/support/SyntheticSpeech.h"

#include <cmath>
#include <numbers>

namespace tapelink::test {

double SyntheticSpeech::hissSample() {
    m_noise = m_noise * 1664525u + 1013904223u;  // a fixed sequence, so every run hears the same hiss
    return (static_cast<double>(m_noise >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0) * m_hiss;
}

SyntheticSpeech& SyntheticSpeech::tone(double seconds, double hertz, double amplitude) {
    const auto begin = static_cast<std::int64_t>(m_audio.samples.size());
    const auto count = static_cast<std::int64_t>(std::lround(seconds * kRate));
    for (std::int64_t i = 0; i < count; ++i) {
        const double phase = 2.0 * std::numbers::pi * hertz * static_cast<double>(i) / kRate;
        m_audio.samples.push_back(static_cast<std::int16_t>(std::lround(amplitude * std::sin(phase) + hissSample())));
    }
    m_tones.emplace_back(begin, begin + count);
    return *this;
}

SyntheticSpeech& SyntheticSpeech::silence(double seconds) {
    const auto count = std::lround(seconds * kRate);
    for (long i = 0; i < count; ++i) m_audio.samples.push_back(static_cast<std::int16_t>(std::lround(hissSample())));
    return *this;
}

double dominantFrequency(const std::int16_t* samples, std::size_t count, int sampleRate, int lowHz, int highHz) {
    double bestPower = -1;
    int best = lowHz;
    for (int hertz = lowHz; hertz <= highHz; ++hertz) {
        const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hertz / sampleRate);
        double previous = 0, beforePrevious = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const double value = samples[i] + coefficient * previous - beforePrevious;
            beforePrevious = previous;
            previous = value;
        }
        const double power =
            previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
        if (power > bestPower) {
            bestPower = power;
            best = hertz;
        }
    }
    return best;
}

}  // namespace tapelink::test
