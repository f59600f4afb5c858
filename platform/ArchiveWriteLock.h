#pragma once

#include <string>

#include "catalogue/IArchiveWriteLock.h"

namespace tapelink {

// The write lock of an archive whose catalogue lives in its own folder: an flock on a file there. Keeps
// other programs from adding to the same archive folder at the same time: the second waits until the
// first has recorded what it copied, so both see each other's work and nothing is copied twice.
class ArchiveWriteLock : public IArchiveWriteLock {
public:
    // Waits for the lock. held() is false where it can't be taken: a read-only or missing folder, a
    // .tapelink/ that is no real folder of the archive, something other than a file in the lock's place,
    // a file system that can't lock.
    explicit ArchiveWriteLock(const std::string& archiveFolder);
    ~ArchiveWriteLock() override;
    ArchiveWriteLock(const ArchiveWriteLock&) = delete;
    ArchiveWriteLock& operator=(const ArchiveWriteLock&) = delete;

    bool held() const override { return m_fd >= 0; }
    const std::string& failure() const override { return m_failure; }
    // The file locked, as the user would name it.
    const std::string& place() const { return m_place; }

private:
    int m_fd = -1;
    std::string m_failure;
    std::string m_place;
};

}  // namespace tapelink
