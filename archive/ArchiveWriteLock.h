#pragma once

#include <string>

namespace tapelink {

// Keeps other programs from adding to the same archive folder at the same time: the second waits until
// the first has recorded what it copied, so both see each other's work and nothing is copied twice.
// Nothing may be added to the archive without it.
class ArchiveWriteLock {
public:
    // Waits for the lock. held() is false where it can't be taken: a read-only or missing folder, a
    // .tapelink/ that is no real folder of the archive, something other than a file in the lock's place,
    // a file system that can't lock.
    explicit ArchiveWriteLock(const std::string& archiveFolder);
    ~ArchiveWriteLock();
    ArchiveWriteLock(const ArchiveWriteLock&) = delete;
    ArchiveWriteLock& operator=(const ArchiveWriteLock&) = delete;

    bool held() const { return m_fd >= 0; }
    // Why it is not held, in Chinese, naming the folder and the reason; empty when held.
    const std::string& failure() const { return m_failure; }

private:
    int m_fd = -1;
    std::string m_failure;
};

}  // namespace tapelink
