#include "phone/RestoreCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

#include "phone/FileTimes.h"
#include "phone/FolderListing.h"

namespace tapelink {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

bool folderExists(const std::string& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool copyBytes(int from, int to) {
    std::vector<char> block(kBlockSize);
    for (;;) {
        const ssize_t n = ::read(from, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeAll(to, block.data(), static_cast<std::size_t>(n))) return false;
    }
}

// A new hidden file in folder, with the permissions the user's umask gives new files.
int createTemporary(int folder, std::string& name) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char candidate[32];
        std::snprintf(candidate, sizeof candidate, ".restore-%08x", random());
        const int fd = ::openat(folder, candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            name = candidate;
            return fd;
        }
    }
    return -1;
}

// Makes the new directory entry durable too; a folder that can't be synced is no reason to fail.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

RestoreCopyResult copyNoReplace(const std::string& source, const std::string& targetFolder,
                                const std::string& targetName) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        if (errno != ENOENT && errno != ENOTDIR) return RestoreCopyResult::Failed;
        return folderExists(folderOf(source)) ? RestoreCopyResult::SourceMissing
                                              : RestoreCopyResult::SourceFolderMissing;
    }

    // The folder is held open, so that a temporary file is removed from it even when the folder was
    // moved meanwhile. Its name does not end in .wav, so no folder scan ever lists it.
    const int folder = ::open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string temporary;
    const int out = folder >= 0 ? createTemporary(folder, temporary) : -1;
    if (out < 0) {
        const int error = errno;
        ::close(in);
        if (folder >= 0) ::close(folder);
        return error == ENOENT || error == ENOTDIR ? RestoreCopyResult::TargetFolderMissing : RestoreCopyResult::Failed;
    }

    bool written = copyBytes(in, out);
    // A time that can't be set (some file systems refuse) costs the copy nothing else.
    if (written) copyModificationTime(in, out);
    ::close(in);
    written = written && ::fsync(out) == 0;
    written = ::close(out) == 0 && written;
    const std::error_code error =
        written ? renameNoReplace(targetFolder + temporary, targetFolder + targetName) : std::error_code();
    if (!written || error) {
        ::unlinkat(folder, temporary.c_str(), 0);
        ::close(folder);
        if (!written) return RestoreCopyResult::Failed;
        return error == std::errc::file_exists ? RestoreCopyResult::TargetExists : RestoreCopyResult::Failed;
    }
    ::close(folder);
    syncFolder(targetFolder);
    return RestoreCopyResult::Copied;
}

}  // namespace tapelink
