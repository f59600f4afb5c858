#pragma once

#include <string>

#include <cstdint>

#include "common/fs/FileDescriptor.h"
#include "common/fs/FolderPlace.h"
#include "phone/VolumeIdentity.h"

namespace tapelink {

// The telephone's volume held open at its drive root. Its folders and files are always reached relative to
// the root's descriptor, never through a symbolic link and never into another file system mounted inside
// it: whatever is not a real folder or regular file of this volume counts as not there.
class PhoneVolume {
public:
    static constexpr const char* kVoice = "voice";
    static constexpr const char* kRecycle = "RECYCLE";
    static constexpr const char* kSystem = "system";
    static constexpr const char* kIndexName = "phone.bin";

    // The root itself is the user's or the locator's path, so a link to it is followed.
    explicit PhoneVolume(const std::string& driveRoot);

    bool isOpen() const { return m_root.valid(); }
    int rootFd() const { return m_root.get(); }

    // One of the folders at the root; invalid when it is missing, a link, or not on this volume.
    FileDescriptor openFolder(const char* name) const;
    // The root's device, inode and mount, and the index file's device and inode when it is a regular file.
    VolumeIdentity identity() const;
    // Mounted read-only.
    bool readOnly() const;

private:
    FileDescriptor m_root;
};

// Opens name in folderFd only when it is a regular file on the folder's own file system: a link, a device,
// a pipe or a file mounted over the name fails with ENOENT (ELOOP becomes ENOENT too). Never blocks on open.
FileDescriptor openRegularFileAt(int folderFd, const std::string& name, int flags);
// The same against the folder's place read once before, for many files of one folder: an open and one statx
// of the file. size, when given, gets the file's size from that same statx.
FileDescriptor openRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name, int flags,
                                 std::uint64_t* size = nullptr);

// Whether name in folderFd is a regular file on the folder's file system, without following a link.
bool isRegularFileAt(int folderFd, const std::string& name);
bool isRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name);

}  // namespace tapelink
