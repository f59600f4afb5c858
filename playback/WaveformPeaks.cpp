#include "playback/WaveformPeaks.h"

#include <algorithm>

namespace tapelink {

std::vector<WaveformColumn> waveformPeaks(const PcmAudio& audio, int columns, std::stop_token stop) {
    const std::int64_t frames = audio.frames();
    if (columns <= 0 || frames == 0) return {};
    std::vector<WaveformColumn> peaks(static_cast<std::size_t>(columns));
    const std::int16_t* samples = audio.samples.data();
    for (int column = 0; column < columns; ++column) {
        if (stop.stop_requested()) return {};
        const std::int64_t begin = frames * column / columns * audio.channels;
        const std::int64_t end = frames * (column + 1) / columns * audio.channels;
        if (begin == end) {
            // More columns than frames: repeat the frame under this column.
            const std::int16_t sample = samples[begin == 0 ? 0 : begin - 1];
            peaks[static_cast<std::size_t>(column)] = {sample, sample};
            continue;
        }
        // Plain loops, so the compiler vectorises them.
        std::int16_t low = samples[begin];
        std::int16_t high = samples[begin];
        for (std::int64_t i = begin; i < end; ++i) {
            low = std::min(low, samples[i]);
            high = std::max(high, samples[i]);
        }
        peaks[static_cast<std::size_t>(column)] = {low, high};
    }
    return peaks;
}

}  // namespace tapelink
