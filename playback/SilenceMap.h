#pragma once

#include <cstdint>
#include <vector>

#include "playback/PcmAudio.h"

namespace tapelink {

// A stretch of the recording left out while playing with silences shortened, in frames [begin, end).
struct SkippedSpan {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool operator==(const SkippedSpan&) const = default;
};

// Where a recording is silent long enough to shorten, and the mapping between the recording's own frames and
// the "condensed" frames that remain once those stretches are left out.
//
// Silence is found from the short-term energy in 10 ms windows, measured against the recording's own noise
// floor (telephone lines hiss, so digital zero is no reference), with hysteresis so that the quiet ends of
// words and short hiss bursts do not flip the decision. Each silence longer than kLongSilenceMs keeps
// kKeptSilenceMs, half at each end, so the words on both sides keep their natural lead-in and decay.
class SilenceMap {
public:
    static constexpr int kLongSilenceMs = 700;
    static constexpr int kKeptSilenceMs = 300;

    SilenceMap() = default;
    explicit SilenceMap(std::vector<SkippedSpan> skipped, std::int64_t frames);
    static SilenceMap find(const PcmAudio& audio);

    const std::vector<SkippedSpan>& skipped() const { return m_skipped; }
    std::int64_t frames() const { return m_frames; }
    std::int64_t condensedFrames() const { return m_frames - m_skippedTotal; }

    // The condensed frame a recording frame plays at; a frame inside a skipped span plays where it ends.
    std::int64_t condensedFrame(std::int64_t recordingFrame) const;
    // The recording frame a condensed frame comes from.
    std::int64_t recordingFrame(std::int64_t condensedFrame) const;
    // How many recording frames from recordingFrame on play before the next skip (or the end).
    std::int64_t framesToNextSkip(std::int64_t recordingFrame) const;

private:
    std::vector<SkippedSpan> m_skipped;
    std::vector<std::int64_t> m_condensedBegin;  // of each span: the condensed frame where it is jumped over
    std::int64_t m_frames = 0;
    std::int64_t m_skippedTotal = 0;
};

}  // namespace tapelink
