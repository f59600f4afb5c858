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

    // $XDG_RUNTIME_DIR; without it the shared folder /tmp/tapelink-UID when privateFolderOr accepts it,
    // else the profile folder.
    static std::string defaultLockFolder();

    // folder when it is this user's own: a real folder (not a link) owned by the user with mode 0700,
    // made so when missing. Anything else there (another user's folder, a link, wider rights) gives
    // fallback, as the folder in /tmp can be planted by anyone.
    static std::string privateFolderOr(const std::string& folder, const std::string& fallback);

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace tapelink
