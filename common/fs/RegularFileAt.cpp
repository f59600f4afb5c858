#include "common/fs/RegularFileAt.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace tapelink {

FileDescriptor openRegularFileAt(int folderFd, const std::string& name, int flags) {
    return openRegularFileAt(folderFd, FolderPlace(folderFd), name, flags);
}

FileDescriptor openRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name, int flags,
                                 std::uint64_t* size) {
    // A file opened for writing is looked at first as well: an open for writing is the one whose effects on a
    // device could matter. A read goes by the open alone: O_NONBLOCK keeps a pipe from waiting for a writer,
    // O_NOCTTY keeps a terminal from becoming ours, and a removable drive is mounted without devices.
    if ((flags & O_ACCMODE) != O_RDONLY && !isRegularFileAt(folderFd, place, name)) {
        errno = ENOENT;
        return {};
    }
    FileDescriptor file(::openat(folderFd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) {
        if (errno == ELOOP) errno = ENOENT;
        return file;
    }
    struct statx info {};
    if (::statx(file.get(), "", AT_EMPTY_PATH, FolderPlace::kMask | STATX_SIZE, &info) != 0 ||
        !place.holdsRegularFile(info)) {
        errno = ENOENT;
        return {};
    }
    if (size != nullptr) *size = info.stx_size;
    return file;
}

bool isRegularFileAt(int folderFd, const std::string& name) {
    return isRegularFileAt(folderFd, FolderPlace(folderFd), name);
}

bool isRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name) {
    struct statx info {};
    return ::statx(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, FolderPlace::kMask, &info) == 0 &&
           place.holdsRegularFile(info);
}

}  // namespace tapelink
