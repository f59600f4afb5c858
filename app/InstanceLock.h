#pragma once

#include <string>

namespace tapelink {

// The per-user single-instance lock "TapelinkMutex": a lock file in the user's runtime folder held
// with flock, so the lock ends with its process however the process ends.
class InstanceLock {
public:
    explicit InstanceLock(std::string lockFolder = defaultLockFolder());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process of this user holds the lock already.
    bool tryAcquire();
    const std::string& path() const { return m_path; }

    static std::string defaultLockFolder();

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace tapelink
