#include "phone/RecordingFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "phone/PhoneVolume.h"
#include "recording/RecordingKind.h"

namespace tapelink {

RecordingFolder::RecordingFolder(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

RecordingFolder::RecordingFolder(FileDescriptor phoneFolder)
    : m_fd(phoneFolder.release()), m_followLinks(false), m_place(m_fd) {}

RecordingFolder::~RecordingFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<std::string> RecordingFolder::listWavNames(std::vector<std::string>* hidden) const {
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
        if (hidden != nullptr && entry->d_name[0] == '.' && std::strcmp(entry->d_name, ".") != 0 &&
            std::strcmp(entry->d_name, "..") != 0) {
            hidden->emplace_back(entry->d_name, length);
        }
        if (!hasWaveExtension(std::string_view(entry->d_name, length))) continue;
        if (isListable(entry->d_name, entry->d_type)) names.emplace_back(entry->d_name, length);
    }
    ::closedir(dir);
    return names;
}

bool RecordingFolder::isListable(const char* name, unsigned char type) const {
    // On the telephone a name is looked at again when its file is opened (readRecording), so a plain file
    // costs nothing more here.
    if (!m_followLinks) return type == DT_REG || (type == DT_UNKNOWN && isRegularFileAt(m_fd, m_place, name));
    if (type == DT_REG) return true;
    // Only what is surely a regular file gets opened later: opening a device or a pipe is not harmless.
    if (type != DT_UNKNOWN && type != DT_LNK) return false;
    struct stat info {};
    return ::fstatat(m_fd, name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

std::vector<ListedFile> RecordingFolder::listWavFiles() const {
    std::vector<ListedFile> files;
    for (std::string& name : listWavNames()) {
        struct stat info {};
        if (::fstatat(m_fd, name.c_str(), &info, m_followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        files.push_back({std::move(name), static_cast<std::uint64_t>(info.st_size)});
    }
    return files;
}

std::optional<FolderRecording> RecordingFolder::readRecording(const std::string& name) const {
    if (m_fd < 0) return std::nullopt;
    std::uint64_t size = 0;
    FileDescriptor file;
    if (m_followLinks) {
        // O_NONBLOCK: should a pipe take the name of a listed file, the open must not wait for a writer.
        file = FileDescriptor(::openat(m_fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        struct stat status {};
        if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
        size = static_cast<std::uint64_t>(status.st_size);
    } else {
        // The open and its one statx are all the checking a telephone's file needs, and give its size too.
        file = openRegularFileAt(m_fd, m_place, name, O_RDONLY, &size);
        if (!file.valid()) return std::nullopt;
    }
    auto info = readRecordingInfoFrom(file.get());
    if (!info) return std::nullopt;
    return FolderRecording{size, std::move(*info)};
}

}  // namespace tapelink
