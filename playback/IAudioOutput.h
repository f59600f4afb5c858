#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "playback/IPcmSource.h"

namespace tapelink {

enum class AudioOutputState {
    Stopped,  // nothing handed over, or stop() was called
    Playing,
    Paused,
    Finished,  // every frame handed over has been played
    Failed,    // the sound device gave up while playing; errorText() says why
};

// The sound device: pulls audio from a source as it plays and reports how far it got. The position is counted in
// frames of that source, which the source maps back to the recording.
class IAudioOutput {
public:
    virtual ~IAudioOutput() = default;
    // Starts pulling and playing the source. False with the device's own words in error when nothing can play.
    virtual bool start(std::shared_ptr<IPcmSource> source, std::string& error) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Releases the device; does nothing when stopped.
    virtual void stop() = 0;
    // Frames of the source played since the last start(); 0 when stopped.
    virtual std::int64_t framesPlayed() const = 0;
    virtual AudioOutputState state() const = 0;
    virtual std::string errorText() const = 0;
};

}  // namespace tapelink
