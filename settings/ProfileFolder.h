#pragma once

#include <string>

namespace tapelink {

// The per-user profile folder, $HOME/Tapelink, and the settings file inside it.
std::string profileFolderPath();
std::string settingsFilePath(const std::string& profileFolder);
// The player's speed and silence choices, kept apart so config.ini stays exactly as it is.
std::string listeningSettingsFilePath(const std::string& profileFolder);

// Creates the profile folder (one level; its parent must exist). Failure is not reported: the
// settings then simply can't be saved.
void ensureProfileFolder(const std::string& profileFolder);

}  // namespace tapelink
