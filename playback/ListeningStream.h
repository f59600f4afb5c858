#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "playback/IPcmSource.h"
#include "playback/ITimeStretcher.h"
#include "playback/PcmAudio.h"
#include "playback/SilenceMap.h"

namespace tapelink {

// A decoded recording as the listener hears it: from a given frame on, with long silences shortened when a
// silence map is given, and time-stretched to the chosen speed. The work is done block by block as the sound
// device pulls, so a long recording starts at once.
//
// Positions map back through the condensed timeline: a frame heard stands for speed frames of the recording
// with its skips left out. The stretcher's own lag is a part of one of its sequences, tens of milliseconds.
// One stream uses the stretcher at a time: a new stream resets it.
class ListeningStream : public IPcmSource {
public:
    ListeningStream(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame, int speedQuarters,
                    std::shared_ptr<const SilenceMap> skips, ITimeStretcher* stretcher);

    int sampleRate() const override { return m_audio->sampleRate; }
    int channels() const override { return m_audio->channels; }
    std::int64_t pull(std::int16_t* out, std::int64_t frames) override;
    std::int64_t recordingFrameAt(std::int64_t played) const override;

private:
    std::int64_t copyRecording(std::int16_t* out, std::int64_t frames);
    std::int64_t readStretched(std::int16_t* out, std::int64_t frames);
    std::int64_t recordingFrameOf(std::int64_t condensed) const;

    std::shared_ptr<const PcmAudio> m_audio;
    std::shared_ptr<const SilenceMap> m_skips;  // null: nothing is skipped
    ITimeStretcher* m_stretcher;                // null: played as it is
    int m_speedQuarters;
    std::int64_t m_condensedStart = 0;
    std::int64_t m_nextFrame = 0;  // the next recording frame to play or stretch
    std::int64_t m_produced = 0;
    bool m_finishing = false;  // the stretcher has had the last of the recording
    bool m_ended = false;      // the last frame has been read
    std::vector<std::int16_t> m_feed;
};

}  // namespace tapelink
