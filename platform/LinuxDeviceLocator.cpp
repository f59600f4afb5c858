#include "platform/LinuxDeviceLocator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "phone/PhoneIdentification.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

namespace {

void takeEnvironment(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (text != nullptr && *text != '\0') value = text;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

LinuxLocatorSources LinuxLocatorSources::fromEnvironment() {
    LinuxLocatorSources sources;
    takeEnvironment("TAPELINK_MOUNTINFO", sources.mountInfo);
    takeEnvironment("TAPELINK_SYSFS", sources.sysfs);
    takeEnvironment("TAPELINK_STORE", sources.storeFolder);
    return sources;
}

LinuxDeviceLocator::LinuxDeviceLocator() : m_sources(LinuxLocatorSources::fromEnvironment()) {}

LinuxDeviceLocator::LinuxDeviceLocator(const std::string& storeFolder)
    : m_sources(LinuxLocatorSources::fromEnvironment()) {
    if (!storeFolder.empty()) m_sources.storeFolder = storeFolder;
}

LinuxDeviceLocator::LinuxDeviceLocator(LinuxLocatorSources sources) : m_sources(std::move(sources)) {}

std::string LinuxDeviceLocator::FindPhoneDrive() const {
    if (!m_sources.storeFolder.empty()) {
        return isFolder(m_sources.storeFolder) ? withTrailingSlash(m_sources.storeFolder) : std::string();
    }
    for (const auto& volume : listVolumes()) {
        const auto disk = findDisk(volume);
        if (disk && isPhoneDisk(*disk)) return withTrailingSlash(volume.mountPoint);
    }
    return {};
}

std::string LinuxDeviceLocator::phoneSerial(const std::string& driveRoot) const {
    if (driveRoot.empty()) return {};
    for (const auto& volume : listVolumes()) {
        if (withTrailingSlash(volume.mountPoint) != withTrailingSlash(driveRoot)) continue;
        const auto disk = findDisk(volume);
        return disk ? disk->usbSerial : std::string();
    }
    return {};
}

std::vector<MountEntry> LinuxDeviceLocator::listVolumes() const {
    auto volumes = readMountInfo(m_sources.mountInfo);
    // A bind mount of a folder inside a volume (root other than "/") is not a drive root.
    std::erase_if(volumes,
                  [](const MountEntry& entry) { return entry.root != "/" || blockDeviceName(entry.source).empty(); });
    // Mount points are compared byte-wise so the order never depends on the locale.
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const MountEntry& a, const MountEntry& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

std::optional<SysfsDisk> LinuxDeviceLocator::findDisk(const MountEntry& volume) const {
    return findSysfsDisk(m_sources.sysfs, blockDeviceName(volume.source));
}

bool LinuxDeviceLocator::isPhoneDisk(const SysfsDisk& disk) {
    return disk.removable && isPhoneIdentification(disk.identification);
}

}  // namespace tapelink
