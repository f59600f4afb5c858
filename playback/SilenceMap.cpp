#include "playback/SilenceMap.h"

#include <algorithm>
#include <cmath>

namespace tapelink {

namespace {

constexpr int kWindowMs = 10;
// The noise floor is the energy that only the quietest windows stay under: a low percentile, so a call that is
// mostly talk still has enough pauses to find it.
constexpr double kFloorPercentile = 0.05;
constexpr double kSpeechPercentile = 0.95;
// Below this spread between floor and talk the recording has nothing to tell apart (all hiss, all talk).
constexpr double kMinimumRangeDb = 10.0;
// Silence ends when a window rises well above the floor, and starts again only once one falls close to it.
constexpr double kSoundAboveFloorDb = 12.0;
constexpr double kSilenceAboveFloorDb = 6.0;
// Digital silence has no floor at all: count it as hiss at -100 dBFS.
constexpr double kEnergyFloor = 1e-10;

std::vector<double> windowEnergies(const PcmAudio& audio, std::int64_t window) {
    std::vector<double> energies;
    const std::int64_t frames = audio.frames();
    energies.reserve(static_cast<std::size_t>(frames / window + 1));
    const auto* samples = audio.samples.data();
    for (std::int64_t begin = 0; begin < frames; begin += window) {
        const std::int64_t end = std::min(frames, begin + window);
        double sum = 0;
        for (std::int64_t i = begin * audio.channels; i < end * audio.channels; ++i) {
            const double value = samples[i] / 32768.0;
            sum += value * value;
        }
        energies.push_back(sum / static_cast<double>((end - begin) * audio.channels) + kEnergyFloor);
    }
    return energies;
}

double percentile(std::vector<double> values, double fraction) {
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

double decibels(double energy) {
    return 10.0 * std::log10(energy);
}

}  // namespace

SilenceMap::SilenceMap(std::vector<SkippedSpan> skipped, std::int64_t frames)
    : m_skipped(std::move(skipped)), m_frames(frames) {
    for (const SkippedSpan& span : m_skipped) {
        m_condensedBegin.push_back(span.begin - m_skippedTotal);
        m_skippedTotal += span.end - span.begin;
    }
}

SilenceMap SilenceMap::find(const PcmAudio& audio) {
    const std::int64_t frames = audio.frames();
    if (audio.sampleRate <= 0 || frames == 0) return SilenceMap({}, frames);
    const std::int64_t window = std::max<std::int64_t>(1, audio.sampleRate * kWindowMs / 1000);
    const std::vector<double> energies = windowEnergies(audio, window);
    const double floorDb = decibels(percentile(energies, kFloorPercentile));
    const double speechDb = decibels(percentile(energies, kSpeechPercentile));
    const double range = speechDb - floorDb;
    if (range < kMinimumRangeDb) return SilenceMap({}, frames);
    const double soundDb = floorDb + std::min(kSoundAboveFloorDb, range / 2);
    const double silenceDb = floorDb + std::min(kSilenceAboveFloorDb, range / 3);

    const std::int64_t longest = audio.sampleRate * std::int64_t{kLongSilenceMs} / 1000;
    const std::int64_t keptHalf = audio.sampleRate * std::int64_t{kKeptSilenceMs} / 2000;
    std::vector<SkippedSpan> skipped;
    auto closeSilence = [&](std::int64_t begin, std::int64_t end) {
        if (end - begin > longest) skipped.push_back({begin + keptHalf, end - keptHalf});
    };
    bool silent = true;
    std::int64_t silenceBegin = 0;
    for (std::size_t i = 0; i < energies.size(); ++i) {
        const double level = decibels(energies[i]);
        const std::int64_t at = static_cast<std::int64_t>(i) * window;
        if (silent && level > soundDb) {
            silent = false;
            closeSilence(silenceBegin, at);
        } else if (!silent && level < silenceDb) {
            silent = true;
            silenceBegin = at;
        }
    }
    if (silent) closeSilence(silenceBegin, frames);
    return SilenceMap(std::move(skipped), frames);
}

std::int64_t SilenceMap::condensedFrame(std::int64_t recordingFrame) const {
    std::int64_t skippedBefore = 0;
    for (const SkippedSpan& span : m_skipped) {
        if (recordingFrame < span.begin) break;
        if (recordingFrame < span.end) return span.begin - skippedBefore;
        skippedBefore += span.end - span.begin;
    }
    return recordingFrame - skippedBefore;
}

std::int64_t SilenceMap::recordingFrame(std::int64_t condensedFrame) const {
    // Spans whose jump point is at or before the frame have been jumped over.
    const auto after = std::upper_bound(m_condensedBegin.begin(), m_condensedBegin.end(), condensedFrame);
    const auto count = after - m_condensedBegin.begin();
    if (count == 0) return condensedFrame;
    const SkippedSpan& last = m_skipped[static_cast<std::size_t>(count - 1)];
    return last.end + (condensedFrame - m_condensedBegin[static_cast<std::size_t>(count - 1)]);
}

std::int64_t SilenceMap::framesToNextSkip(std::int64_t recordingFrame) const {
    const auto next = std::upper_bound(m_skipped.begin(), m_skipped.end(), recordingFrame,
                                       [](std::int64_t frame, const SkippedSpan& span) { return frame < span.begin; });
    return (next == m_skipped.end() ? m_frames : next->begin) - recordingFrame;
}

}  // namespace tapelink
