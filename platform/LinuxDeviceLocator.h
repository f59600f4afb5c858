#pragma once

#include <optional>
#include <string>
#include <vector>

#include "phone/IDeviceLocator.h"
#include "platform/MountInfo.h"
#include "platform/SysfsDisk.h"

namespace tapelink {

// Where the Linux locator looks. fromEnvironment() takes TAPELINK_MOUNTINFO, TAPELINK_SYSFS and
// TAPELINK_STORE when they are set and not empty.
struct LinuxLocatorSources {
    std::string mountInfo = kProcMountInfo;
    std::string sysfs = "/sys";
    std::string storeFolder;  // when set, this folder stands for the telephone's drive instead of any disk

    static LinuxLocatorSources fromEnvironment();
};

// Finds the telephone among the mounted block devices: the volumes in mount-point order, the disk behind
// each, and the first removable disk whose identification names the telephone.
class LinuxDeviceLocator : public IDeviceLocator {
public:
    // Sources from the environment.
    LinuxDeviceLocator();
    // Sources from the environment, with storeFolder (when not empty) in place of TAPELINK_STORE.
    explicit LinuxDeviceLocator(const std::string& storeFolder);
    explicit LinuxDeviceLocator(LinuxLocatorSources sources);

    std::string FindPhoneDrive() const override;
    std::string phoneSerial(const std::string& driveRoot) const override;

    const LinuxLocatorSources& sources() const { return m_sources; }

    // The mounts of a block device /dev/NAME's own root, sorted by mount point.
    std::vector<MountEntry> listVolumes() const;
    // The disk behind one of those volumes.
    std::optional<SysfsDisk> findDisk(const MountEntry& volume) const;
    // True when the disk is the telephone.
    static bool isPhoneDisk(const SysfsDisk& disk);

private:
    LinuxLocatorSources m_sources;
};

}  // namespace tapelink
