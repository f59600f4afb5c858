#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace tapelink {

// The file system and mount of an open folder, read once so that each file opened in it is checked against
// it with one statx of the file alone. A bind mount of the same file system over a name has the same device
// but a mount of its own, so both are compared.
class FolderPlace {
public:
    // Asked for with every statx a file is compared with, so that both carry the same kind of mount id.
    static constexpr unsigned kMask = STATX_TYPE | STATX_MNT_ID | 0x4000 /* STATX_MNT_ID_UNIQUE */;

    FolderPlace() = default;
    explicit FolderPlace(int folderFd);

    bool known() const { return m_known; }
    // Whether a file's statx (made with kMask) shows a regular file on this folder's file system and mount.
    bool holdsRegularFile(const struct statx& file) const;

private:
    bool m_known = false;
    bool m_mountKnown = false;
    std::uint32_t m_deviceMajor = 0;
    std::uint32_t m_deviceMinor = 0;
    std::uint64_t m_mountId = 0;
};

}  // namespace tapelink
