#include "cli/ArchiveOption.h"

namespace tapelink::cli {

ArchiveOption::ArchiveOption(CLI::App& command, std::string& folder, const std::string& description, bool oldName)
    : m_archive(command.add_option("--archive", folder, description)) {
    if (!oldName) return;
    m_oldName = command.add_option("--to", folder, "Old name of --archive (别名，将来移除)");
    m_archive->excludes(m_oldName);
}

ArchiveOption& ArchiveOption::needs(const std::string& option) {
    m_archive->needs(option);
    if (m_oldName != nullptr) m_oldName->needs(option);
    return *this;
}

ArchiveOption& ArchiveOption::excludes(CLI::Option* option) {
    m_archive->excludes(option);
    return *this;
}

bool ArchiveOption::given() const {
    return m_archive->count() > 0 || (m_oldName != nullptr && m_oldName->count() > 0);
}

}  // namespace tapelink::cli
