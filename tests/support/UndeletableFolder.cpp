#include "tests/support/UndeletableFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tapelink::test {

UndeletableFolder::UndeletableFolder(std::string folder) : m_folder(std::move(folder)) {
    ::chmod(m_folder.c_str(), 0555);
    if (::access(m_folder.c_str(), W_OK) != 0) {
        m_active = true;
        return;
    }
    m_fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
        m_flags = flags;
        flags |= FS_APPEND_FL;
        m_active = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
}

UndeletableFolder::~UndeletableFolder() {
    if (m_fd >= 0) {
        if (m_active) ::ioctl(m_fd, FS_IOC_SETFLAGS, &m_flags);
        ::close(m_fd);
    }
    ::chmod(m_folder.c_str(), 0755);
}

}  // namespace tapelink::test
