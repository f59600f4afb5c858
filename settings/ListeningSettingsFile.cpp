#include "settings/ListeningSettingsFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "settings/SettingLines.h"
#include "settings/SettingsFileWrite.h"

namespace tapelink {

namespace {

// More than any file we write; a larger one is not ours.
constexpr std::streamsize kMaxFileBytes = 4096;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

ListeningPreferences ListeningSettingsFile::parse(const std::string& text) {
    ListeningPreferences preferences;
    forEachSettingLine(text, [&preferences](const std::string& rawKey, const std::string& rawValue) {
        const std::string key = trimmed(rawKey);
        const std::string value = trimmed(rawValue);
        if (key == "speed") {
            char* end = nullptr;
            const double speed = std::strtod(value.c_str(), &end);
            const int quarters = end != value.c_str() && *end == '\0' ? speedQuarters(speed) : 0;
            if (quarters != 0) preferences.speedQuarters = quarters;
        } else if (key == "skip-silence" && (value == "on" || value == "off")) {
            preferences.skipSilence = value == "on";
        }
    });
    return preferences;
}

std::string ListeningSettingsFile::format(const ListeningPreferences& preferences) {
    char speed[16];
    std::snprintf(speed, sizeof speed, "%g", speedFromQuarters(preferences.speedQuarters));
    return std::string("speed=") + speed + "\nskip-silence=" + (preferences.skipSilence ? "on" : "off") + "\n";
}

void ListeningSettingsFile::Load(const std::string& path) {
    m_path = path;
    m_preferences = {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string text(static_cast<std::size_t>(kMaxFileBytes), '\0');
    in.read(text.data(), kMaxFileBytes);
    if (in.bad() || in.gcount() == kMaxFileBytes) return;
    text.resize(static_cast<std::size_t>(in.gcount()));
    m_preferences = parse(text);
}

bool ListeningSettingsFile::setPreferences(const ListeningPreferences& preferences) {
    m_preferences = preferences;
    return replaceSettingsFile(m_path, format(preferences));
}

}  // namespace tapelink
