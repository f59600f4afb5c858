#pragma once

#include "archive/ui/CPlayDlg.h"
#include "platform/PulseMixer.h"
#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"

namespace tapelink {

// The desktop's devices for one opening of the player: libsndfile, the default sound output and the sound
// server's mixer. Media errors go to the player's own message boxes.
struct DesktopPlayerDevices {
    PlayerDevices devices() { return PlayerDevices{decoder, output, mixer}; }

    SndfileDecoder decoder;
    QtAudioOutput output;
    PulseMixer mixer;
};

}  // namespace tapelink
