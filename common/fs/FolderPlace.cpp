#include "common/fs/FolderPlace.h"

#include <fcntl.h>

namespace tapelink {

namespace {

constexpr unsigned kMountIds = STATX_MNT_ID | 0x4000;

}  // namespace

FolderPlace::FolderPlace(int folderFd) {
    struct statx folder {};
    if (folderFd < 0 || ::statx(folderFd, "", AT_EMPTY_PATH, kMask, &folder) != 0) return;
    m_known = true;
    m_deviceMajor = folder.stx_dev_major;
    m_deviceMinor = folder.stx_dev_minor;
    // Older kernels give no mount id; the device alone is compared then.
    m_mountKnown = (folder.stx_mask & kMountIds) != 0;
    m_mountId = folder.stx_mnt_id;
}

bool FolderPlace::holdsRegularFile(const struct statx& file) const {
    if (!m_known || (file.stx_mask & STATX_TYPE) == 0 || !S_ISREG(file.stx_mode)) return false;
    if (file.stx_dev_major != m_deviceMajor || file.stx_dev_minor != m_deviceMinor) return false;
    return !m_mountKnown || ((file.stx_mask & kMountIds) != 0 && file.stx_mnt_id == m_mountId);
}

}  // namespace tapelink
