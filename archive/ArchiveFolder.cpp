#include "archive/ArchiveFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "common/fs/TemporaryFiles.h"
#include "recording/RecordingKind.h"

namespace tapelink {

namespace {

bool isListedName(const char* name, std::size_t length) {
    return name[0] != '.' && hasWaveExtension(std::string_view(name, length));
}

// The temporary names of copies: "." + name + "." + writer and random part + ".part".
bool isPartialCopyName(const char* name, std::size_t length) {
    return length >= 16 && name[0] == '.' && std::strcmp(name + length - 5, ".part") == 0;
}

std::int64_t mtimeOf(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

// One opening per file for both its digest and its metadata block, read into the worker's own buffer: a
// first build hashes every file of the folder.
std::optional<HashedRecording> hashRecordingAt(int folderFd, const std::string& name, std::vector<char>& buffer) {
    const int fd = ::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Sha256 hash;
    std::array<std::uint8_t, RecordingInfo::kSize> block{};
    std::size_t offset = 0;
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        const std::size_t end = offset + static_cast<std::size_t>(got);
        const std::size_t from = std::max(offset, RecordingInfo::kOffset);
        const std::size_t to = std::min(end, RecordingInfo::kMinimumFileSize);
        if (from < to) {
            std::memcpy(block.data() + (from - RecordingInfo::kOffset), buffer.data() + (from - offset), to - from);
        }
        hash.update(buffer.data(), static_cast<std::size_t>(got));
        offset = end;
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    HashedRecording hashed{HashedFile{hash.hexDigest(), static_cast<unsigned long long>(info.st_size), mtimeOf(info)},
                           {}};
    if (offset >= RecordingInfo::kMinimumFileSize) hashed.info = RecordingInfo::fromBlock(block);
    return hashed;
}

}  // namespace

ArchiveFolder::ArchiveFolder(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

ArchiveFolder::ArchiveFolder(FileDescriptor folder) : m_fd(folder.release()) {}

ArchiveFolder::~ArchiveFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

std::vector<ArchiveFile> ArchiveFolder::listFiles(std::vector<std::string>* partialCopies) const {
    return list(true, partialCopies);
}

std::vector<ArchiveFile> ArchiveFolder::listAllFiles() const {
    return list(false, nullptr);
}

std::vector<ArchiveFile> ArchiveFolder::list(bool recordingsOnly, std::vector<std::string>* partialCopies) const {
    std::vector<ArchiveFile> files;
    if (m_fd < 0) return files;
    const int listFd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) ::close(listFd);
        return files;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::size_t length = std::strlen(entry->d_name);
        if (partialCopies != nullptr && isPartialCopyName(entry->d_name, length)) {
            partialCopies->emplace_back(entry->d_name, length);
        }
        if (entry->d_name[0] == '.' || (recordingsOnly && !isListedName(entry->d_name, length))) continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
        struct stat info {};
        if (::fstatat(m_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) continue;
        files.push_back({std::string(entry->d_name, length), static_cast<std::uint64_t>(info.st_size), mtimeOf(info)});
    }
    ::closedir(dir);
    return files;
}

int ArchiveFolder::removeAbandonedCopies(const std::vector<std::string>& partialCopies) const {
    // The same rule as every upload's own clean-up: only copies whose writer is dead and unlocked.
    if (m_fd < 0 || partialCopies.empty()) return 0;
    return removeStaleTemporaries(m_fd, TemporaryKind::Upload);
}

std::optional<ArchiveFile> ArchiveFolder::statFile(const std::string& name) const {
    // A name, never a path: nothing outside the folder is taken for one of its files.
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    struct stat info {};
    if (m_fd < 0 || ::fstatat(m_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return ArchiveFile{name, static_cast<std::uint64_t>(info.st_size), mtimeOf(info)};
}

std::vector<std::optional<HashedRecording>> ArchiveFolder::hashFiles(const std::vector<std::string>& names,
                                                                     std::stop_token stop,
                                                                     const std::function<void(int)>& progress) const {
    std::vector<std::optional<HashedRecording>> results(names.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    auto hashSome = [&](bool reports) {
        std::vector<char> buffer(1 << 18);
        for (std::size_t i = next++; i < names.size() && !stop.stop_requested(); i = next++) {
            results[i] = hashRecordingAt(m_fd, names[i], buffer);
            const int count = ++done;
            if (reports && progress) progress(count);
        }
    };
    {
        std::vector<std::jthread> helpers;
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t helperCount = std::min<std::size_t>(cores, names.size()) - (names.empty() ? 0 : 1);
        for (std::size_t i = 0; i < helperCount; ++i) {
            try {
                helpers.emplace_back(hashSome, false);
            } catch (const std::system_error&) {
                break;  // fewer helpers only make it slower
            }
        }
        hashSome(true);
    }
    if (progress && !names.empty()) progress(done.load());
    return results;
}

}  // namespace tapelink
