#include "settings/SettingsFileWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "common/fs/WriteAll.h"

namespace tapelink {

bool replaceSettingsFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool complete = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !complete || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tapelink
