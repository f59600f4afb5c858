#pragma once

#include <string>

namespace tapelink {

// The parts of the player window that the playback session drives: the position slider (0 to 100), the pause
// button's caption and the 300 ms tick, which the window runs and turns into PlaybackSession::OnTimer calls.
class IPlaybackView {
public:
    virtual ~IPlaybackView() = default;
    virtual int positionSlider() const = 0;
    virtual void setPositionSlider(int position) = 0;
    virtual void setPauseCaption(const std::string& caption) = 0;
    virtual void setTimerRunning(bool running) = 0;
};

}  // namespace tapelink
