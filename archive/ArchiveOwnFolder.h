#pragma once

#include <string>

#include "common/fs/FileDescriptor.h"

namespace tapelink {

// The archive's own folder (.tapelink/) held open. It is never reached through a link: a link, a file or
// a folder on another device in its place is refused, so the catalogue, the lock and the files kept aside
// can never land outside the archive.
class ArchiveOwnFolder {
public:
    enum class Mode { OpenOnly, Create };

    // The archive folder itself is opened as the user named it (its own link followed, as users expect).
    ArchiveOwnFolder(const std::string& archiveFolder, Mode mode);

    bool isOpen() const { return m_own.valid(); }
    int fd() const { return m_own.get(); }
    int archiveFd() const { return m_archive.get(); }
    // OpenOnly: there is no .tapelink/ yet (not a failure).
    bool absent() const { return m_absent; }
    // Why it could not be opened, in Chinese, naming the folder; empty when open or absent.
    const std::string& failure() const { return m_failure; }

    // replaced/ inside it, made when missing, with the same checks; invalid with failure set otherwise.
    FileDescriptor openReplaced(std::string& failure) const;
    // expired/ inside it, where recordings past the retention rule wait before they are deleted for good.
    // Without create, a missing folder sets absent (not a failure).
    FileDescriptor openExpired(bool create, bool& absent, std::string& failure) const;

private:
    FileDescriptor openInside(const char* name, bool create, bool& absent, std::string& failure) const;

    std::string m_path;  // of .tapelink/, ends with '/'
    FileDescriptor m_archive;
    FileDescriptor m_own;
    bool m_absent = false;
    std::string m_failure;
};

}  // namespace tapelink
