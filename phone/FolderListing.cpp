#include "phone/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tapelink {

namespace {

bool hasWavExtension(const char* name, std::size_t length) {
    return length >= 4 && ::strcasecmp(name + length - 4, ".wav") == 0;
}

}  // namespace

std::vector<ListedFile> listWavFiles(const std::string& folder) {
    std::vector<ListedFile> files;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return files;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::size_t length = std::strlen(entry->d_name);
        if (!hasWavExtension(entry->d_name, length)) continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        files.push_back({std::string(entry->d_name, length), static_cast<std::uint32_t>(info.st_size)});
    }
    ::closedir(dir);
    return files;
}

std::error_code renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    const int error = errno;
    if (error != EINVAL && error != ENOSYS) return {error, std::generic_category()};
    // Some file systems can't refuse a replace in the kernel; check first, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) return std::make_error_code(std::errc::file_exists);
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    return {errno, std::generic_category()};
}

}  // namespace tapelink
