#include "phone/RestoreCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/fs/FileTimes.h"
#include "common/fs/FolderListing.h"
#include "common/fs/TemporaryFiles.h"
#include "common/fs/WriteAll.h"
#include "phone/PhoneVolume.h"

namespace tapelink {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

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

}  // namespace

RestoreCopyResult copyNoReplace(int sourceFolderFd, const std::string& sourceName, int targetFolderFd,
                                const std::string& targetName) {
    if (sourceFolderFd < 0) return RestoreCopyResult::SourceFolderMissing;
    if (targetFolderFd < 0) return RestoreCopyResult::TargetFolderMissing;
    const FileDescriptor in = openRegularFileAt(sourceFolderFd, sourceName, O_RDONLY);
    if (!in.valid())
        return errno == ENOENT || errno == ENOTDIR ? RestoreCopyResult::SourceMissing : RestoreCopyResult::Failed;

    // Its name does not end in .wav, so no folder scan ever lists it; a scan removes it once its writer is gone.
    std::string temporary;
    int error = 0;
    FileDescriptor out = createTemporaryFile(targetFolderFd, TemporaryKind::Restore, targetName, temporary, error);
    if (!out.valid()) {
        return error == ENOENT || error == ENOTDIR ? RestoreCopyResult::TargetFolderMissing : RestoreCopyResult::Failed;
    }

    bool written = copyBytes(in.get(), out.get());
    // A time that can't be set (some file systems refuse) costs the copy nothing else.
    if (written) copyModificationTime(in.get(), out.get());
    written = written && ::fsync(out.get()) == 0;
    written = out.close() && written;
    const std::error_code renamed =
        written ? renameNoReplaceAt(targetFolderFd, temporary, targetName) : std::error_code();
    if (!written || renamed) {
        ::unlinkat(targetFolderFd, temporary.c_str(), 0);
        if (!written) return RestoreCopyResult::Failed;
        return renamed == std::errc::file_exists ? RestoreCopyResult::TargetExists : RestoreCopyResult::Failed;
    }
    // Makes the new directory entry durable too; a folder that can't be synced is no reason to fail.
    ::fsync(targetFolderFd);
    return RestoreCopyResult::Copied;
}

}  // namespace tapelink
