#include "tests/support/FakeSysfs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tapelink::test {

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

FakeSysfs::FakeSysfs(std::string root) : m_root(std::move(root)) {
    fs::create_directories(m_root + "class/block");
    fs::create_directories(m_root + "bus/usb");
    fs::create_directories(m_root + "bus/scsi");
}

std::string FakeSysfs::addDisk(const std::string& name, const FakeDisk& disk) {
    const int host = m_hosts++;
    const std::string hostName = "host" + std::to_string(host);
    // A USB disk hangs below a usb device folder, an internal one below an ata port.
    const fs::path bus = disk.onUsb ? fs::path(m_root) / "devices/pci0000:00/usb1" / ("1-" + std::to_string(host))
                                    : fs::path(m_root) / "devices/pci0000:00" / ("ata" + std::to_string(host));
    fs::create_directories(bus);
    fs::create_symlink(fs::relative(fs::path(m_root) / (disk.onUsb ? "bus/usb" : "bus/scsi"), bus), bus / "subsystem");
    if (disk.onUsb && !disk.serial.empty()) writeText(bus / "serial", disk.serial);

    const fs::path scsiDevice = bus / hostName / "target0:0:0" / (std::to_string(host) + ":0:0:0");
    writeText(scsiDevice / "vendor", disk.vendor);
    writeText(scsiDevice / "model", disk.model);
    const fs::path folder = scsiDevice / "block" / name;
    writeText(folder / "removable", disk.removableFlag ? "1\n" : "0\n");
    fs::create_symlink("../..", folder / "device");
    fs::create_symlink(fs::relative(fs::path(m_root) / "class/block", folder), folder / "subsystem");
    fs::create_symlink(fs::relative(folder, fs::path(m_root) / "class/block"), fs::path(m_root) / "class/block" / name);
    return folder.string();
}

std::string FakeSysfs::addPartition(const std::string& disk, const std::string& partition) {
    const fs::path diskFolder = fs::canonical(fs::path(m_root) / "class/block" / disk);
    const fs::path folder = diskFolder / partition;
    writeText(folder / "partition", "1\n");
    fs::create_symlink(fs::relative(folder, fs::path(m_root) / "class/block"),
                       fs::path(m_root) / "class/block" / partition);
    return folder.string();
}

MountInfoWriter& MountInfoWriter::add(const std::string& source, const std::string& mountPoint, const std::string& type,
                                      const std::string& root) {
    const int id = m_next++;
    m_text += std::to_string(id) + " 1 8:" + std::to_string(id) + " " + escape(root) + " " + escape(mountPoint) +
              " rw,relatime shared:" + std::to_string(id) + " - " + type + " " + escape(source) + " rw\n";
    return *this;
}

std::string MountInfoWriter::writeTo(const std::string& path) const {
    writeText(path, m_text);
    return path;
}

std::string MountInfoWriter::escape(const std::string& field) {
    std::string out;
    for (const char c : field) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\%03o", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tapelink::test
