#pragma once

#include <cstdint>

#include "playback/IPcmStage.h"

namespace tapelink {

// The last stage of the playback chain, the one the sound device pulls, with the way back from what was heard
// to where it sits in the recording, so positions stay in the recording's own time whatever was shortened or
// sped up. It gives fewer frames than asked only at the end.
class IPcmSource : public IPcmStage {
public:
    // The recording's frame heard after played frames of this source.
    virtual std::int64_t recordingFrameAt(std::int64_t played) const = 0;
};

}  // namespace tapelink
