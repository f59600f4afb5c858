#pragma once

#include "platform/PulseMixer.h"
#include "platform/QtAudioOutput.h"
#include "platform/SndfileDecoder.h"
#include "platform/SoundTouchStretcher.h"
#include "playback/ui/CPlayDlg.h"

namespace tapelink {

// The desktop's devices for one opening of the player: libsndfile, the default sound output, the sound
// server's mixer and SoundTouch for the speed. Media errors go to the player's own message boxes.
struct DesktopPlayerDevices {
    PlayerDevices devices(IListeningPreferencesStore* listening) {
        return PlayerDevices{decoder, output, mixer, nullptr, &stretcher, listening};
    }

    SndfileDecoder decoder;
    SoundTouchStretcher stretcher;
    QtAudioOutput output;
    PulseMixer mixer;
};

}  // namespace tapelink
