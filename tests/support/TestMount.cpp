#include "tests/support/TestMount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tapelink::test {

namespace {

bool mountTmpfs(const std::string& path) {
    return ::mount("tapelink-test", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=16m,mode=0755") == 0;
}

}  // namespace

TestMount::TestMount() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tapelink-mount-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = pattern + "/";
    m_mounted = ::geteuid() == 0 && mountTmpfs(m_path);
}

TestMount::~TestMount() {
    if (!m_bound.empty()) ::umount2(m_bound.c_str(), MNT_DETACH);
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool TestMount::swap() {
    if (!m_mounted) return false;
    ::umount2(m_path.c_str(), MNT_DETACH);
    m_mounted = mountTmpfs(m_path);
    return m_mounted;
}

bool TestMount::remountReadOnly() {
    return m_mounted &&
           ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

bool TestMount::bind(const std::string& folder, const std::string& target) {
    if (!m_mounted || ::mount(folder.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    m_bound = target;
    return true;
}

}  // namespace tapelink::test
