#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <vector>

namespace tapelink {

// The kernel's mount table of this process.
inline constexpr const char* kProcMountInfo = "/proc/self/mountinfo";

// One line of a mountinfo file: what is mounted where.
struct MountEntry {
    int mountId = 0;
    std::string device;      // major:minor
    std::string mountPoint;  // decoded, no trailing '/' except for the root itself
    std::string source;      // decoded, e.g. /dev/sdb1 or tmpfs
    std::string root = "/";  // decoded: the folder of the file system mounted here, "/" for its own root
    std::string options;     // this mount's options and then the file system's, e.g. "rw,relatime rw,size=64k"

    auto operator<=>(const MountEntry&) const = default;
};

// Decodes the octal escapes the kernel writes for blanks, tabs, newlines and backslashes ("\040" is a space).
// A backslash not followed by three octal digits is kept as it is.
std::string unescapeMountField(std::string_view field);

// Every well-formed line of a mountinfo text, in file order. Damaged lines are passed over.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Reads an open mountinfo file again from its start. False when reading failed; the entries are then unchanged.
bool readMountInfoFrom(int fd, std::vector<MountEntry>& entries);

// Reads and parses a mountinfo file; a file that can't be read gives an empty table.
std::vector<MountEntry> readMountInfo(const std::string& path);

// The name NAME of a source /dev/NAME, or empty when the source is not a device node directly under /dev.
std::string blockDeviceName(const std::string& source);

}  // namespace tapelink
