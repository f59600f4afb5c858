#include "common/fs/TemporaryCopy.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "common/fs/FileTimes.h"
#include "common/fs/FolderListing.h"
#include "common/fs/TemporaryFiles.h"
#include "common/fs/WriteAll.h"

namespace tapelink {

namespace {

// Large enough that a recording is usually one call, small enough that a cancelled copy stops at once.
constexpr std::size_t kBlockSize = 1 << 20;

// copy_file_range can't be used across some file systems (the telephone's drive is usually one);
// these errors on the first block mean "copy by reading and writing instead".
bool needsPlainCopy(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

}  // namespace

CopyStatus targetFailure(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return CopyStatus::TargetFolderMissing;
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOSPC:
        case EDQUOT:
            return CopyStatus::TargetFolderRefused;
        default:
            return CopyStatus::Failed;
    }
}

TemporaryCopy::TemporaryCopy(TemporaryCopy&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_folderFd(std::exchange(other.m_folderFd, -1)),
      m_lockFd(std::exchange(other.m_lockFd, -1)),
      m_name(std::move(other.m_name)),
      m_path(std::move(other.m_path)),
      m_size(other.m_size),
      m_error(other.m_error) {
    other.m_name.clear();
    other.m_path.clear();
}

TemporaryCopy& TemporaryCopy::operator=(TemporaryCopy&& other) noexcept {
    if (this != &other) {
        discard();
        m_fd = std::exchange(other.m_fd, -1);
        m_folderFd = std::exchange(other.m_folderFd, -1);
        m_lockFd = std::exchange(other.m_lockFd, -1);
        m_name = std::move(other.m_name);
        other.m_name.clear();
        m_path = std::move(other.m_path);
        other.m_path.clear();
        m_size = other.m_size;
        m_error = other.m_error;
    }
    return *this;
}

TemporaryCopy::~TemporaryCopy() {
    discard();
}

void TemporaryCopy::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_name.empty()) ::unlinkat(m_folderFd, m_name.c_str(), 0);
    forgetFile();
}

void TemporaryCopy::forgetFile() {
    if (m_lockFd >= 0) ::close(m_lockFd);
    m_lockFd = -1;
    if (m_folderFd >= 0) ::close(m_folderFd);
    m_folderFd = -1;
    m_name.clear();
    m_path.clear();
    m_size = 0;
}

bool TemporaryCopy::createIn(const std::string& folder, const std::string& name, int& error) {
    m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        error = errno;
        return false;
    }
    std::string temporaryName;
    FileDescriptor fd = createTemporaryFile(m_folderFd, TemporaryKind::Upload, name, temporaryName, error);
    if (fd.valid()) {
        m_fd = fd.release();
        m_path = folder + temporaryName;
        m_name = std::move(temporaryName);
        return true;
    }
    forgetFile();
    return false;
}

CopyStatus TemporaryCopy::copyBlocks(int sourceFd, std::stop_token stop,
                                     const std::function<void(std::uint64_t)>& onBlock,
                                     const std::function<void(const char*, std::size_t)>& onData) {
    // The bytes pass through this process only when someone wants to see them.
    bool plain = static_cast<bool>(onData);
    // One buffer per thread for all its copies, never cleared: a fresh megabyte zeroed for each recording
    // took longer than reading it.
    thread_local const std::unique_ptr<char[]> buffer(new char[kBlockSize]);
    for (;;) {
        if (stop.stop_requested()) return CopyStatus::Cancelled;
        ssize_t done = 0;
        if (!plain) {
            done = ::copy_file_range(sourceFd, nullptr, m_fd, nullptr, kBlockSize, 0);
            if (done < 0 && m_size == 0 && needsPlainCopy(errno)) {
                plain = true;
                continue;
            }
            // Its other errors may come from either side; only the target's own say anything of the folder.
            if (done < 0 && errno != EINTR) {
                const CopyStatus status = targetFailure(errno);
                return status == CopyStatus::TargetFolderRefused ? status : CopyStatus::Failed;
            }
        } else {
            done = ::read(sourceFd, buffer.get(), kBlockSize);
            if (done > 0 && !writeAll(m_fd, buffer.get(), static_cast<std::size_t>(done))) {
                return targetFailure(errno);
            }
            if (done > 0 && onData) onData(buffer.get(), static_cast<std::size_t>(done));
        }
        if (done < 0) {
            if (errno == EINTR) continue;
            return CopyStatus::Failed;
        }
        if (done == 0) return CopyStatus::Ok;
        m_size += static_cast<std::uint64_t>(done);
        if (onBlock) onBlock(static_cast<std::uint64_t>(done));
    }
}

CopyStatus TemporaryCopy::copyFrom(int sourceFd, const std::string& folder, const std::string& name,
                                   std::stop_token stop, const std::function<void(std::uint64_t)>& onBlock) {
    return copyFrom(sourceFd, folder, name, std::move(stop), onBlock, {});
}

CopyStatus TemporaryCopy::copyFrom(int sourceFd, const std::string& folder, const std::string& name,
                                   std::stop_token stop, const std::function<void(std::uint64_t)>& onBlock,
                                   const std::function<void(const char*, std::size_t)>& onData) {
    discard();
    int error = 0;
    m_error = {};
    if (!createIn(folder, name, error)) {
        m_error = {error, std::generic_category()};
        return targetFailure(error);
    }
    const CopyStatus status = copyBlocks(sourceFd, stop, onBlock, onData);
    if (status != CopyStatus::Ok) {
        // Kept before discard() can change errno: the user is told why this file failed.
        if (status != CopyStatus::Cancelled) m_error = {errno, std::generic_category()};
        discard();
        return status;
    }
    copyModificationTime(sourceFd, m_fd);
    // Start writing back now, so that flush() mostly finds the data already on its way.
    ::sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return CopyStatus::Ok;
}

std::error_code TemporaryCopy::flush() {
    if (m_fd < 0) return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code error;
    if (::fdatasync(m_fd) != 0) error = {errno, std::generic_category()};
    return finish(error);
}

std::error_code TemporaryCopy::finishSynced() {
    if (m_fd < 0) return std::make_error_code(std::errc::bad_file_descriptor);
    return finish({});
}

std::error_code TemporaryCopy::finish(std::error_code error) {
    // A duplicate keeps the file's lock until the copy is published or discarded.
    m_lockFd = ::dup(m_fd);
    if (::close(m_fd) != 0 && !error) error = {errno, std::generic_category()};
    m_fd = -1;
    return error;
}

std::error_code TemporaryCopy::publish(const std::string& target, bool replace) {
    if (m_path.empty()) return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code error;
    if (replace) {
        if (::rename(m_path.c_str(), target.c_str()) != 0) error = {errno, std::generic_category()};
    } else {
        error = renameNoReplace(m_path, target);
    }
    if (!error) forgetFile();
    return error;
}

}  // namespace tapelink
