#include "settings/TeamSettingsFile.h"

#include <fstream>

#include "settings/SettingLines.h"
#include "settings/SettingsFileWrite.h"

namespace tapelink {

namespace {

// More than any file we write; a larger one is not ours.
constexpr std::streamsize kMaxFileBytes = 4096;

// A value with a line break or a NUL would change the file's lines when written back.
bool plainValue(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

std::string teamSettingsFilePath(const std::string& profileFolder) {
    return profileFolder + "/team.ini";
}

TeamSettings parseTeamSettings(const std::string& text) {
    TeamSettings settings;
    forEachSettingLine(text, [&settings](const std::string& key, const std::string& value) {
        if (!plainValue(value)) return;
        if (key == "server") {
            settings.server = value;
        } else if (key == "desk") {
            settings.desk = value;
        } else if (key == "clearing_needs_server" && (value == "0" || value == "1")) {
            settings.clearingNeedsServer = value == "1";
        }
    });
    return settings;
}

std::string formatTeamSettings(const TeamSettings& settings) {
    return "server=" + settings.server + "\ndesk=" + settings.desk +
           "\nclearing_needs_server=" + (settings.clearingNeedsServer ? "1" : "0") + '\n';
}

TeamSettings loadTeamSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string text(static_cast<std::size_t>(kMaxFileBytes), '\0');
    in.read(text.data(), kMaxFileBytes);
    if (in.bad() || in.gcount() == kMaxFileBytes) return {};
    text.resize(static_cast<std::size_t>(in.gcount()));
    return parseTeamSettings(text);
}

bool saveTeamSettings(const std::string& path, const TeamSettings& settings) {
    if (!plainValue(settings.server) || !plainValue(settings.desk)) return false;
    return replaceSettingsFile(path, formatTeamSettings(settings));
}

}  // namespace tapelink
