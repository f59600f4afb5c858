#pragma once

#include <string>

#include <cstdint>

#include "common/fs/FileDescriptor.h"
#include "common/fs/FolderPlace.h"
#include "common/fs/RegularFileAt.h"
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

}  // namespace tapelink
