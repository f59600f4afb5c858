#pragma once

#include <string>

#include "playback/IPlaybackView.h"

namespace tapelink::test {

// The player window's slider, pause caption and timer as plain fields.
class FakePlaybackView : public IPlaybackView {
public:
    int positionSlider() const override { return slider; }
    void setPositionSlider(int position) override { slider = position; }
    void setPauseCaption(const std::string& caption) override { pauseCaption = caption; }
    void setTimerRunning(bool running) override { timerRunning = running; }

    int slider = 0;
    std::string pauseCaption = "暂停";
    bool timerRunning = false;
};

}  // namespace tapelink::test
