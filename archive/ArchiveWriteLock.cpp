#include "archive/ArchiveWriteLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "archive/ArchiveLayout.h"

namespace tapelink {

ArchiveWriteLock::ArchiveWriteLock(const std::string& archiveFolder) {
    const std::string folder = catalogueFolderOf(archiveFolder);
    ::mkdir(folder.c_str(), 0777);
    m_fd = ::open((folder + "write.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0) return;
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        ::close(m_fd);
        m_fd = -1;
        return;
    }
}

ArchiveWriteLock::~ArchiveWriteLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace tapelink
