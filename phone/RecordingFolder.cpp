#include "phone/RecordingFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace tapelink {

namespace {

bool hasWavExtension(const char* name, std::size_t length) {
    return length >= 4 && ::strcasecmp(name + length - 4, ".wav") == 0;
}

}  // namespace

RecordingFolder::RecordingFolder(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

RecordingFolder::~RecordingFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<std::string> RecordingFolder::listWavNames() const {
    std::vector<std::string> names;
    if (m_fd < 0) return names;
    const int listFd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) ::close(listFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::size_t length = std::strlen(entry->d_name);
        if (!hasWavExtension(entry->d_name, length)) continue;
        if (entry->d_type != DT_REG) {
            // Only what is surely a regular file gets opened later: opening a device or a pipe is not harmless.
            if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) continue;
            struct stat info {};
            if (::fstatat(m_fd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        }
        names.emplace_back(entry->d_name, length);
    }
    ::closedir(dir);
    return names;
}

std::vector<ListedFile> RecordingFolder::listWavFiles() const {
    std::vector<ListedFile> files;
    for (std::string& name : listWavNames()) {
        struct stat info {};
        if (::fstatat(m_fd, name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        files.push_back({std::move(name), static_cast<std::uint64_t>(info.st_size)});
    }
    return files;
}

std::optional<FolderRecording> RecordingFolder::readRecording(const std::string& name) const {
    if (m_fd < 0) return std::nullopt;
    // O_NONBLOCK: should a pipe take the name of a listed file, the open must not wait for a writer.
    const int fd = ::openat(m_fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<FolderRecording> recording;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        if (auto info = readRecordingInfoFrom(fd)) {
            recording = FolderRecording{static_cast<std::uint64_t>(status.st_size), std::move(*info)};
        }
    }
    ::close(fd);
    return recording;
}

}  // namespace tapelink
