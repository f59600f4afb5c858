#include "tests/fault/SmallDisk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace tapelink::test {

namespace {
constexpr const char* kFiller = ".filler";
}

SmallDisk::SmallDisk(std::uint64_t bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tapelink-disk-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern + "/";
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    m_mounted = ::geteuid() == 0 &&
                ::mount("tapelink-test", pattern.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::uint64_t SmallDisk::freeBytes() const {
    struct statvfs info {};
    if (::statvfs(m_path.c_str(), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

void SmallDisk::fillLeaving(std::uint64_t left) {
    const int fd = ::open((m_path + kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("filler can't be made");
    const std::vector<char> page(4096, 'f');
    while (freeBytes() > left) {
        if (::write(fd, page.data(), page.size()) <= 0) break;
    }
    ::close(fd);
}

bool SmallDisk::remountReadOnly() {
    return m_mounted && ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool SmallDisk::remountWritable() {
    return m_mounted && ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT, nullptr) == 0;
}

void SmallDisk::freeFiller() {
    ::unlink((m_path + kFiller).c_str());
}

}  // namespace tapelink::test
