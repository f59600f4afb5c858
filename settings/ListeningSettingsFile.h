#pragma once

#include <string>

#include "playback/ListeningPreferences.h"

namespace tapelink {

// The listener's choices in listening.ini beside config.ini, a text file of "key=value" lines:
//   speed=1.25
//   skip-silence=on
// Unknown keys and values that make no sense are passed over, so a damaged or newer file still loads.
class ListeningSettingsFile : public IListeningPreferencesStore {
public:
    // Remembers the path and reads the file; a missing or unreadable file gives the defaults.
    void Load(const std::string& path);

    ListeningPreferences preferences() const override { return m_preferences; }
    // Writes the whole file anew, replacing the old one only once the new one is complete.
    bool setPreferences(const ListeningPreferences& preferences) override;

    static ListeningPreferences parse(const std::string& text);
    static std::string format(const ListeningPreferences& preferences);

private:
    ListeningPreferences m_preferences;
    std::string m_path;
};

}  // namespace tapelink
