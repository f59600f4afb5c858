#pragma once

#include "playback/PlaybackSpeed.h"

namespace tapelink {

// How the listener last chose to play: the speed and whether long silences are shortened.
struct ListeningPreferences {
    int speedQuarters = kNormalSpeedQuarters;
    bool skipSilence = false;
    bool operator==(const ListeningPreferences&) const = default;
};

// Where the player keeps the listener's choices between runs.
class IListeningPreferencesStore {
public:
    virtual ~IListeningPreferencesStore() = default;
    virtual ListeningPreferences preferences() const = 0;
    // Remembers the choices; false when they could not be kept.
    virtual bool setPreferences(const ListeningPreferences& preferences) = 0;
};

}  // namespace tapelink
