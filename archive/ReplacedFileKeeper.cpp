#include "archive/ReplacedFileKeeper.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "archive/ArchiveOwnFolder.h"
#include "archive/StampedName.h"
#include "common/Sha256.h"
#include "common/fs/FileErrorText.h"
#include "common/fs/FolderListing.h"

namespace tapelink {

namespace {

constexpr int kMaxAttempts = 1000;

std::string notKeptText(const std::string& fileName, const std::string& reason) {
    return fileName + " 无法移入 .tapelink/replaced/（" + reason + "），未覆盖！";
}

}  // namespace

KeptAside keepAsideBeforeReplace(const std::string& archiveFolder, const std::string& fileName,
                                 const std::string& sha256) {
    KeptAside kept;
    const ArchiveOwnFolder own(archiveFolder, ArchiveOwnFolder::Mode::Create);
    if (own.archiveFd() < 0) {
        kept.failure = notKeptText(fileName, own.failure());
        return kept;
    }
    if (const auto current = hashFileAt(own.archiveFd(), fileName)) {
        if (!sha256.empty() && current->sha256 == sha256) {
            kept.verdict = ReplaceVerdict::Identical;
            return kept;
        }
    } else {
        struct stat info {};
        if (::fstatat(own.archiveFd(), fileName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
            kept.verdict = ReplaceVerdict::Replace;  // gone meanwhile: nothing to keep
            return kept;
        }
    }
    std::string failure;
    const FileDescriptor replaced = own.openReplaced(failure);
    if (!replaced.valid()) {
        kept.failure = notKeptText(fileName, failure);
        return kept;
    }
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::string aside = stampedName(fileName, ".", attempt);
        const std::error_code error = renameNoReplaceAt(own.archiveFd(), fileName, replaced.get(), aside);
        if (!error) {
            kept.verdict = ReplaceVerdict::Replace;
            kept.asideName = aside;
            return kept;
        }
        if (error == std::errc::no_such_file_or_directory) {
            kept.verdict = ReplaceVerdict::Replace;
            return kept;
        }
        if (error != std::errc::file_exists) {
            kept.failure = notKeptText(fileName, errorReasonText(error));
            return kept;
        }
    }
    kept.failure = notKeptText(fileName, "同名文件过多");
    return kept;
}

}  // namespace tapelink
