#pragma once

#include <string>

namespace tapelink {

// Keeps other programs from adding to the same archive folder at the same time: the second waits until
// the first has recorded what it copied, so both see each other's work and nothing is copied twice.
class ArchiveWriteLock {
public:
    // Waits for the lock; held() is false when the lock file can't be made (a read-only folder).
    explicit ArchiveWriteLock(const std::string& archiveFolder);
    ~ArchiveWriteLock();
    ArchiveWriteLock(const ArchiveWriteLock&) = delete;
    ArchiveWriteLock& operator=(const ArchiveWriteLock&) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace tapelink
