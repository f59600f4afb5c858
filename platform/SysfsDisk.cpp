#include "platform/SysfsDisk.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "phone/PhoneIdentification.h"

namespace tapelink {

namespace fs = std::filesystem;

namespace {

// Attribute files are a line of text; anything longer than this is not one.
constexpr std::streamsize kMaxAttributeSize = 4096;

std::optional<std::string> readAttribute(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(static_cast<std::size_t>(kMaxAttributeSize), '\0');
    in.read(text.data(), kMaxAttributeSize);
    if (in.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool isInside(const fs::path& path, const fs::path& root) {
    auto [rootEnd, pathIt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end() && pathIt != path.end();
}

// The serial number as printable ASCII without surrounding blanks; empty when it is anything else.
std::string serialText(const std::string& attribute) {
    constexpr std::size_t kMaxSerial = 126;
    const std::size_t first = attribute.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::string text = attribute.substr(first, attribute.find_last_not_of(" \t\r\n") - first + 1);
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    return printable && text.size() <= kMaxSerial ? text : std::string();
}

// A device sits on a USB bus when the disk's folder or one of its ancestors belongs to the usb subsystem;
// the first of those with a serial attribute is the USB device itself.
bool isOnUsbBus(const fs::path& disk, const fs::path& sysfsRoot, std::string& serial) {
    std::error_code error;
    bool onUsb = false;
    for (fs::path folder = disk; isInside(folder, sysfsRoot); folder = folder.parent_path()) {
        const fs::path subsystem = fs::canonical(folder / "subsystem", error);
        if (!error && subsystem.filename() == "usb") {
            onUsb = true;
            if (const auto attribute = readAttribute(folder / "serial")) {
                serial = serialText(*attribute);
                return true;
            }
        }
        if (folder == folder.parent_path()) break;
    }
    return onUsb;
}

}  // namespace

std::optional<SysfsDisk> findSysfsDisk(const std::string& sysfsRoot, const std::string& blockName) {
    if (blockName.empty() || blockName.find('/') != std::string::npos) return std::nullopt;
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error) return std::nullopt;
    fs::path folder = fs::canonical(root / "class" / "block" / blockName, error);
    if (error || !fs::is_directory(folder, error)) return std::nullopt;
    if (fs::exists(folder / "partition", error)) folder = folder.parent_path();

    SysfsDisk disk;
    disk.path = folder.string();
    const auto removable = readAttribute(folder / "removable");
    const bool flagged = removable && removable->substr(0, removable->find_first_of(" \t\r\n")) == "1";
    const bool onUsb = isOnUsbBus(folder, root, disk.usbSerial);
    disk.removable = flagged || onUsb;
    const auto vendor = readAttribute(folder / "device" / "vendor");
    const auto model = readAttribute(folder / "device" / "model");
    if (vendor && model) disk.identification = diskIdentification(*vendor, *model);
    return disk;
}

}  // namespace tapelink
