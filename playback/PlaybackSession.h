#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/IMessageSink.h"
#include "playback/IAudioDecoder.h"
#include "playback/IAudioOutput.h"
#include "playback/IPlaybackView.h"
#include "playback/ITimeStretcher.h"
#include "playback/ListeningStream.h"
#include "playback/PcmAudio.h"
#include "playback/PlaybackSpeed.h"
#include "playback/SilenceMap.h"

namespace tapelink {

// How a position-slider notification ends: the thumb is still held (or moved by a key), or the user let go.
enum class SliderScroll { Moving, EndTrack };

inline constexpr int kPlaybackTickMs = 300;
inline constexpr char kPauseCaption[] = "暂停";
inline constexpr char kContinueCaption[] = "继续";

// One recording at a time: decoded in full when opened, handed to the sound device, its position polled on
// every tick of the owner's timer and shown on the owner's position slider (percent of the length).
//
// A recording that cannot be decoded or played still counts as loaded, with length 0, so the first tick ends
// it. The decoder or the device says what went wrong, once, through the media message sink.
//
// It can play faster or slower with the pitch kept (through the time stretcher, when one is given) and shorten
// long silences; every position, seek and the slider stay in the recording's own time.
class PlaybackSession {
public:
    // Without a stretcher the recording always plays at its own speed.
    PlaybackSession(IAudioDecoder& decoder, IAudioOutput& output, IPlaybackView& view, IMessageSink& mediaMessages,
                    ITimeStretcher* stretcher = nullptr);
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    void Open(const std::string& path);
    void Stop();
    void Pause();
    void Resume();
    void OnTimer();
    void OnPositionScroll(SliderScroll code);

    bool isLoaded() const { return m_loaded; }
    bool paused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    bool dragging() const { return m_dragging; }
    std::int32_t lengthMs() const { return m_lengthMs; }
    std::int32_t positionMs() const;

    // Moves to ms of the recording, keeping it playing or paused as it was.
    void SeekTo(std::int32_t ms);
    // Quarters of the recording's own speed (2 to 8); takes effect at once, from where the recording is.
    void setSpeedQuarters(int quarters);
    int speedQuarters() const { return m_speedQuarters; }
    void setSkipSilence(bool skip);
    bool skipSilence() const { return m_skipSilence; }
    // The loaded audio (null when nothing playable is loaded) and, while skipping, the silences shortened.
    std::shared_ptr<const PcmAudio> audio() const { return m_audio; }
    std::shared_ptr<const SilenceMap> skippedSilences() const { return m_skipSilence ? m_silences : nullptr; }

private:
    std::int64_t positionFrame() const;
    void play();
    void seek(std::int64_t ms);
    void dropAudio(const std::string& error);
    void moveTo(std::int64_t frame);

    IAudioDecoder& m_decoder;
    IAudioOutput& m_output;
    IPlaybackView& m_view;
    IMessageSink& m_mediaMessages;
    ITimeStretcher* m_stretcher;

    bool m_loaded = false;
    std::shared_ptr<const PcmAudio> m_audio;       // null when nothing playable is loaded
    std::shared_ptr<const SilenceMap> m_silences;  // found once per recording, when first asked to skip
    std::shared_ptr<ListeningStream> m_stream;     // what the device plays, while it is started
    int m_speedQuarters = kNormalSpeedQuarters;
    bool m_skipSilence = false;
    std::int32_t m_lengthMs = 0;
    std::int64_t m_startFrame = 0;  // where the device started or will start playing
    bool m_outputStarted = false;
    bool m_dragging = false;
    bool m_paused = false;
};

}  // namespace tapelink
