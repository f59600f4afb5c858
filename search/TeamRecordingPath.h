#pragma once

#include <string>

namespace tapelink {

// What the search dialog hands the player for a team result: "team://DESK/SHA256/NAME". It is never a path
// on this disk (those are absolute), and the player shows its last part as the file's name.
std::string teamRecordingPath(const std::string& desk, const std::string& sha256, const std::string& fileName);
// False for anything else, a local path included.
bool parseTeamRecordingPath(const std::string& path, std::string& desk, std::string& sha256);

}  // namespace tapelink
