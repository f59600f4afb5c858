#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/PcmAudio.h"

namespace tapelink {

enum class AudioOutputState {
    Stopped,  // nothing handed over, or stop() was called
    Playing,
    Paused,
    Finished,  // every frame handed over has been played
    Failed,    // the sound device gave up while playing; errorText() says why
};

// The sound device: plays decoded PCM and reports how far it got. The position is counted in frames from the
// frame given to start(), so the caller can keep the position of the whole recording itself.
class IAudioOutput {
public:
    virtual ~IAudioOutput() = default;
    // Starts playing audio from fromFrame. False with the device's own words in error when nothing can play.
    virtual bool start(std::shared_ptr<const PcmAudio> audio, std::int64_t fromFrame, std::string& error) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Releases the device; does nothing when stopped.
    virtual void stop() = 0;
    // Frames played since the last start(); 0 when stopped.
    virtual std::int64_t framesPlayed() const = 0;
    virtual AudioOutputState state() const = 0;
    virtual std::string errorText() const = 0;
};

}  // namespace tapelink
