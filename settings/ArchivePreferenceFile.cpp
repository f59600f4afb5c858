#include "settings/ArchivePreferenceFile.h"

namespace tapelink {

ArchivePreferenceFile::ArchivePreferenceFile(std::string path)
    : m_path(std::move(path)), m_values(loadArchivePreferences(m_path)) {}

bool ArchivePreferenceFile::save() const {
    return saveArchivePreferences(m_path, m_values);
}

}  // namespace tapelink
