#include "common/fs/FileSystemSync.h"

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tapelink {

namespace {

// Before 5.8 syncfs returned success even when writing a file back had failed.
bool syncReportsWriteErrors() {
    static const bool reports = [] {
        utsname name{};
        int major = 0;
        int minor = 0;
        if (::uname(&name) != 0 || std::sscanf(name.release, "%d.%d", &major, &minor) != 2) return false;
        return major > 5 || (major == 5 && minor >= 8);
    }();
    return reports;
}

}  // namespace

bool syncCoversFilesOf(int folderFd) {
    struct statfs info {};
    if (folderFd < 0 || ::fstatfs(folderFd, &info) != 0 || !syncReportsWriteErrors()) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case F2FS_SUPER_MAGIC:
        case TMPFS_MAGIC:
            return true;
        default:
            return false;
    }
}

std::error_code syncFileSystemOf(int folderFd) {
    if (::syncfs(folderFd) == 0) return {};
    return {errno, std::generic_category()};
}

}  // namespace tapelink
