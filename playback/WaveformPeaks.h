#pragma once

#include <cstdint>
#include <stop_token>
#include <vector>

#include "playback/PcmAudio.h"

namespace tapelink {

// The quietest and loudest sample under one column of a waveform drawing.
struct WaveformColumn {
    std::int16_t low = 0;
    std::int16_t high = 0;
    bool operator==(const WaveformColumn&) const = default;
};

// The lowest and highest sample of every channel in each of columns equal slices of the recording. Empty when
// stopped on the way, or when there is nothing to draw.
std::vector<WaveformColumn> waveformPeaks(const PcmAudio& audio, int columns, std::stop_token stop = {});

}  // namespace tapelink
