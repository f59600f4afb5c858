#include "settings/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "settings/ProfileFolder.h"

namespace tapelink {

InstanceLock::InstanceLock(std::string lockFolder) : m_path(std::move(lockFolder) + "/TapelinkMutex.lock") {}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool InstanceLock::tryAcquire() {
    if (m_fd >= 0) return true;
    const std::string folder = m_path.substr(0, m_path.rfind('/'));
    ::mkdir(folder.c_str(), 0700);
    // Never through a link planted in the folder.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Without a lock file there is nothing to guard against; the program runs.
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

std::string InstanceLock::defaultLockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') return runtime;
    return privateFolderOr("/tmp/tapelink-" + std::to_string(::getuid()), profileFolderPath());
}

std::string InstanceLock::privateFolderOr(const std::string& folder, const std::string& fallback) {
    const bool made = ::mkdir(folder.c_str(), 0700) == 0;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return fallback;
    // A umask may have taken rights from the folder just made.
    if (made) ::fchmod(fd, 0700);
    struct stat info {};
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == ::getuid() && (info.st_mode & 07777) == 0700;
    ::close(fd);
    return own ? folder : fallback;
}

}  // namespace tapelink
