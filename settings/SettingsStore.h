#pragma once

#include <string>

#include "settings/SettingsRecord.h"

namespace tapelink {

// Loads and saves the settings record in config.ini.
class SettingsStore {
public:
    static constexpr std::size_t kMaxPathLength = 2047;

    // Remembers the path and reads the file. True only when a configured record was read; a missing,
    // empty or unreadable file, or anything that is not a regular file, leaves the record all zero. A path too long for
    // the store is not used.
    bool Load(const std::string& path);

    // Writes the whole record to the remembered path, replacing the old file only once the new one is
    // complete. False when it can't be written.
    bool Save() const;

    SettingsRecord GetRecord() const { return m_record; }
    void SetRecord(const SettingsRecord& record) { m_record = record; }
    const std::string& path() const { return m_path; }

private:
    SettingsRecord m_record;
    std::string m_path;
};

}  // namespace tapelink
