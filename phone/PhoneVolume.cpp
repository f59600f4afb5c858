#include "phone/PhoneVolume.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>

namespace tapelink {

namespace {

bool deviceOf(int fd, dev_t& device) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    device = info.st_dev;
    return true;
}

// The mount's 64-bit id that is never used again (newer kernels); older ones give the mount id, which a new
// mount may take over once the old one is gone.
constexpr unsigned kStatxMountIdUnique = 0x4000;

std::uint64_t mountIdOf(int fd) {
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID | kStatxMountIdUnique, &info) != 0 ||
        (info.stx_mask & (STATX_MNT_ID | kStatxMountIdUnique)) == 0) {
        return 0;
    }
    return info.stx_mnt_id;
}

// The same file system and the same mount: a bind mount of the same file system over a name has the
// same device but a mount of its own.
bool onSameMount(int folderFd, int fd) {
    dev_t folderDevice = 0;
    dev_t device = 0;
    return deviceOf(folderFd, folderDevice) && deviceOf(fd, device) && folderDevice == device &&
           mountIdOf(folderFd) == mountIdOf(fd);
}

}  // namespace

PhoneVolume::PhoneVolume(const std::string& driveRoot) {
    if (driveRoot.empty()) return;
    m_root = FileDescriptor(::open(driveRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

FileDescriptor PhoneVolume::openFolder(const char* name) const {
    if (!isOpen()) return {};
    FileDescriptor folder(::openat(rootFd(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.valid() || !onSameMount(rootFd(), folder.get())) return {};
    return folder;
}

VolumeIdentity PhoneVolume::identity() const {
    VolumeIdentity identity;
    struct stat root {};
    if (!isOpen() || ::fstat(rootFd(), &root) != 0) return identity;
    identity.rootDevice = root.st_dev;
    identity.rootInode = root.st_ino;
    identity.mountId = mountIdOf(rootFd());
    const FileDescriptor system = openFolder(kSystem);
    struct stat index {};
    if (system.valid() && ::fstatat(system.get(), kIndexName, &index, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(index.st_mode) && index.st_dev == root.st_dev) {
        identity.indexDevice = index.st_dev;
        identity.indexInode = index.st_ino;
    }
    return identity;
}

bool PhoneVolume::readOnly() const {
    struct statvfs info {};
    return isOpen() && ::fstatvfs(rootFd(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0;
}

FileDescriptor openRegularFileAt(int folderFd, const std::string& name, int flags) {
    // Looked at before it is opened: opening a device can have effects of its own.
    if (!isRegularFileAt(folderFd, name)) {
        errno = ENOENT;
        return {};
    }
    FileDescriptor file(::openat(folderFd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) {
        if (errno == ELOOP) errno = ENOENT;
        return file;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || !onSameMount(folderFd, file.get())) {
        errno = ENOENT;
        return {};
    }
    return file;
}

bool isRegularFileAt(int folderFd, const std::string& name) {
    struct statx info {};
    struct statx folder {};
    const unsigned mask = STATX_TYPE | STATX_MNT_ID | kStatxMountIdUnique;
    if (::statx(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, mask, &info) != 0 || !S_ISREG(info.stx_mode) ||
        ::statx(folderFd, "", AT_EMPTY_PATH, mask, &folder) != 0) {
        return false;
    }
    const bool sameDevice = info.stx_dev_major == folder.stx_dev_major && info.stx_dev_minor == folder.stx_dev_minor;
    const bool mountKnown = (info.stx_mask & folder.stx_mask & (STATX_MNT_ID | kStatxMountIdUnique)) != 0;
    return sameDevice && (!mountKnown || info.stx_mnt_id == folder.stx_mnt_id);
}

}  // namespace tapelink
