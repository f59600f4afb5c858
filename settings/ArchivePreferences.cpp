#include "settings/ArchivePreferences.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "settings/SettingLines.h"
#include "settings/SettingsFileWrite.h"

namespace tapelink {

namespace {

constexpr const char* kUploadNewKey = "upload_new_on_arrival";
constexpr const char* kOlderThanKey = "clear_older_than_days";
constexpr const char* kKeepDaysKey = "keep_archive_days";
constexpr const char* kPurgeDaysKey = "expired_purge_days";
constexpr int kMaxDays = 100000;

std::optional<int> parseInt(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string archivePreferencesPath(const std::string& profileFolder) {
    return profileFolder + "/archive.ini";
}

ArchivePreferences loadArchivePreferences(const std::string& path) {
    ArchivePreferences preferences;
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    forEachSettingLine(text.str(), [&preferences](const std::string& key, const std::string& number) {
        const auto value = parseInt(number);
        if (!value) return;
        if (key == kUploadNewKey && (*value == 0 || *value == 1)) preferences.uploadNewOnArrival = *value == 1;
        if (key == kOlderThanKey && *value >= 0 && *value <= kMaxDays) preferences.clearOlderThanDays = *value;
        if (key == kKeepDaysKey && *value >= 1 && *value <= kMaxDays) preferences.keepArchiveDays = *value;
        if (key == kPurgeDaysKey && *value >= 1 && *value <= kMaxDays) preferences.expiredPurgeDays = *value;
    });
    return preferences;
}

bool saveArchivePreferences(const std::string& path, const ArchivePreferences& preferences) {
    std::string text = std::string(kUploadNewKey) + '=' + (preferences.uploadNewOnArrival ? "1" : "0") + '\n';
    if (preferences.clearOlderThanDays) {
        text += std::string(kOlderThanKey) + '=' + std::to_string(*preferences.clearOlderThanDays) + '\n';
    }
    if (preferences.keepArchiveDays) {
        text += std::string(kKeepDaysKey) + '=' + std::to_string(*preferences.keepArchiveDays) + '\n';
    }
    text += std::string(kPurgeDaysKey) + '=' + std::to_string(preferences.expiredPurgeDays) + '\n';
    return replaceSettingsFile(path, text);
}

}  // namespace tapelink
