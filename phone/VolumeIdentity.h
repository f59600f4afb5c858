#pragma once

#include <cstdint>

namespace tapelink {

// Which volume something was read from: the drive root's device, inode and mount, and the index file's
// device and inode. A telephone swapped under the same mount point, or remounted, differs in one of them.
struct VolumeIdentity {
    std::uint64_t rootDevice = 0;
    std::uint64_t rootInode = 0;
    std::uint64_t mountId = 0;
    std::uint64_t indexDevice = 0;
    std::uint64_t indexInode = 0;  // 0: no usable index was there

    bool known() const { return rootInode != 0; }
    bool hasIndex() const { return indexInode != 0; }
    bool sameRoot(const VolumeIdentity& other) const {
        return known() && rootDevice == other.rootDevice && rootInode == other.rootInode && mountId == other.mountId;
    }

    bool operator==(const VolumeIdentity&) const = default;
};

}  // namespace tapelink
