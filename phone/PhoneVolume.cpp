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

}  // namespace tapelink
