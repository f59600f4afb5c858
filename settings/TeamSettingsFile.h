#pragma once

#include <string>

#include "team/TeamSettings.h"

namespace tapelink {

// The desk's team settings in team.ini beside config.ini (whose fixed-size record has no room for them):
//   server=service name or connection URI
//   desk=name
//   clearing_needs_server=1
// Unknown or damaged lines are passed over; a missing file is a desk in no team.
TeamSettings loadTeamSettings(const std::string& path);
// Writes the whole file anew, replacing the old one only once the new one is complete.
bool saveTeamSettings(const std::string& path, const TeamSettings& settings);

TeamSettings parseTeamSettings(const std::string& text);
std::string formatTeamSettings(const TeamSettings& settings);

std::string teamSettingsFilePath(const std::string& profileFolder);

}  // namespace tapelink
