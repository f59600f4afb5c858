#pragma once

#include <optional>
#include <string>

namespace tapelink {

// The whole disk behind a block device, as the kernel's sysfs tree describes it.
struct SysfsDisk {
    std::string path;            // the disk's own sysfs folder, links resolved
    bool removable = false;      // its removable flag is 1, or it sits on a USB bus
    std::string identification;  // "ven_...&prod_..." from device/vendor and device/model; empty when unreadable
    std::string usbSerial;       // the serial attribute of the USB device it sits on; empty when there is none

    bool operator==(const SysfsDisk&) const = default;
};

// Finds the disk behind block device NAME under sysfsRoot (normally /sys): SYSFS/class/block/NAME resolved,
// and its parent folder when NAME is a partition. Nothing when NAME is not in the tree.
std::optional<SysfsDisk> findSysfsDisk(const std::string& sysfsRoot, const std::string& blockName);

}  // namespace tapelink
