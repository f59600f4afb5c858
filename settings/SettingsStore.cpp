#include "settings/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "settings/SettingsFileWrite.h"

namespace tapelink {

bool SettingsStore::Load(const std::string& path) {
    m_record = SettingsRecord{};
    m_path = path.size() <= kMaxPathLength ? path : std::string();
    if (m_path.empty()) return false;

    // Without O_NONBLOCK a FIFO in its place would wait for a writer forever; only a regular file is read.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    SettingsRecord read;
    std::size_t got = 0;
    bool failed = false;
    while (got < read.bytes.size()) {
        const ssize_t n = ::read(fd, read.bytes.data() + got, read.bytes.size() - got);
        if (n < 0) failed = true;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed || got == 0) return false;
    m_record = read;
    return m_record.configuredFlag();
}

bool SettingsStore::Save() const {
    return replaceSettingsFile(
        m_path, std::string_view(reinterpret_cast<const char*>(m_record.bytes.data()), m_record.bytes.size()));
}

}  // namespace tapelink
