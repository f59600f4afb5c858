#include "common/fs/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tapelink {

std::error_code renameNoReplace(const std::string& from, const std::string& to) {
    return renameNoReplaceAt(AT_FDCWD, from, to);
}

std::error_code renameNoReplaceAt(int folderFd, const std::string& from, const std::string& to) {
    return renameNoReplaceAt(folderFd, from, folderFd, to);
}

std::error_code renameNoReplaceAt(int fromFolderFd, const std::string& from, int toFolderFd, const std::string& to) {
    if (::renameat2(fromFolderFd, from.c_str(), toFolderFd, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    const int error = errno;
    if (error != EINVAL && error != ENOSYS) return {error, std::generic_category()};
    // Some file systems can't refuse a replace in the kernel; check first, then rename.
    struct stat info {};
    if (::fstatat(toFolderFd, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        return std::make_error_code(std::errc::file_exists);
    }
    if (::renameat(fromFolderFd, from.c_str(), toFolderFd, to.c_str()) == 0) return {};
    return {errno, std::generic_category()};
}

}  // namespace tapelink
