#pragma once

#include <string>

#include "settings/ArchivePreferences.h"

namespace tapelink {

// The archive's choices together with the file that keeps them: read once when made, written by save().
class ArchivePreferenceFile {
public:
    explicit ArchivePreferenceFile(std::string path);

    const ArchivePreferences& values() const { return m_values; }
    // The choices to change; they reach the file with the next save().
    ArchivePreferences& edit() { return m_values; }
    bool save() const;

private:
    std::string m_path;
    ArchivePreferences m_values;
};

}  // namespace tapelink
