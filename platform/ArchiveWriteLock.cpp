#include "platform/ArchiveWriteLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "archive/ArchiveLayout.h"
#include "archive/ArchiveOwnFolder.h"
#include "common/fs/FileErrorText.h"

namespace tapelink {

namespace {

constexpr const char* kLockName = "write.lock";

std::string lockFailureText(const std::string& archiveFolder, const std::string& reason) {
    return "无法锁定上传路径 " + archiveFolder + "（" + reason + "），没有上传任何录音！";
}

}  // namespace

ArchiveWriteLock::ArchiveWriteLock(const std::string& archiveFolder)
    : m_place(catalogueFolderOf(archiveFolder) + kLockName) {
    const ArchiveOwnFolder own(archiveFolder, ArchiveOwnFolder::Mode::Create);
    if (!own.isOpen()) {
        m_failure = own.failure();
        return;
    }
    const std::string& lockPath = m_place;
    // O_NONBLOCK: a pipe put in its place must not hold the open up.
    const int fd = ::openat(own.fd(), kLockName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        const int error = errno;
        struct stat info {};
        const bool other = ::fstatat(own.fd(), kLockName, &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(info.st_mode);
        m_failure = lockFailureText(
            archiveFolder, other ? lockPath + " 不是普通文件" : errorReasonText({error, std::generic_category()}));
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        m_failure = lockFailureText(archiveFolder, lockPath + " 不是普通文件");
        return;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        ::close(fd);
        m_failure = lockFailureText(archiveFolder,
                                    "所在文件系统无法加锁：" + errorReasonText({error, std::generic_category()}));
        return;
    }
    m_fd = fd;
}

ArchiveWriteLock::~ArchiveWriteLock() {
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace tapelink
