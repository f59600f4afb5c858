#pragma once

#include <string>
#include <vector>

namespace tapelink::test {

// A disk as the fake sysfs tree describes it.
struct FakeDisk {
    std::string vendor = "NODARA  \n";  // padded like the kernel's SCSI attributes
    std::string model = "ZT USB FLASHDISK\n";
    bool removableFlag = true;
    bool onUsb = true;
    std::string serial = {};  // the USB device's serial attribute; none when empty
};

// Builds a small sysfs-like tree in a folder: devices/..., class/block links, bus/usb, with the disk
// attributes the locator reads.
class FakeSysfs {
public:
    // root ends with '/'.
    explicit FakeSysfs(std::string root);
    const std::string& root() const { return m_root; }

    // Adds a whole disk and returns its folder.
    std::string addDisk(const std::string& name, const FakeDisk& disk = {});
    // Adds a partition of a disk added before and returns its folder.
    std::string addPartition(const std::string& disk, const std::string& partition);

private:
    std::string m_root;
    int m_hosts = 0;
};

// Writes mountinfo lines the way the kernel does, escaping blanks and backslashes in mount points and sources.
class MountInfoWriter {
public:
    // Adds a mount of the file system's folder root; ids count up from 100 in the order of the calls.
    MountInfoWriter& add(const std::string& source, const std::string& mountPoint, const std::string& type = "vfat",
                         const std::string& root = "/");
    std::string text() const { return m_text; }
    // Writes the text to a file and returns the file's path.
    std::string writeTo(const std::string& path) const;

    static std::string escape(const std::string& field);

private:
    std::string m_text;
    int m_next = 100;
};

}  // namespace tapelink::test
