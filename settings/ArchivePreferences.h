#pragma once

#include <optional>
#include <string>

namespace tapelink {

// The archive's choices kept between runs, in archive.ini beside config.ini (whose fixed-size record has
// no room for them): lines of key=value, unknown keys ignored.
struct ArchivePreferences {
    bool uploadNewOnArrival = false;
    std::optional<int> clearOlderThanDays;  // the retention rule last chosen for clearing the telephone
    std::optional<int> keepArchiveDays;     // "保留 N 天" in the archive; off when absent
    int expiredPurgeDays = 30;              // how long expired recordings wait before deleted for good

    bool operator==(const ArchivePreferences&) const = default;
};

std::string archivePreferencesPath(const std::string& profileFolder);
// Defaults for a missing or unreadable file; a value that does not parse keeps its default.
ArchivePreferences loadArchivePreferences(const std::string& path);
// Through a temporary file and a rename, so a failed save leaves the old file.
bool saveArchivePreferences(const std::string& path, const ArchivePreferences& preferences);

}  // namespace tapelink
