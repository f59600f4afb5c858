#include "archive/ArchiveOwnFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "archive/ArchiveLayout.h"
#include "common/fs/FileErrorText.h"
#include "recording/RecordingEntry.h"

namespace tapelink {

namespace {

constexpr const char* kReplacedName = "replaced";
constexpr const char* kExpiredName = "expired";

std::string refusalText(const std::string& path, const std::string& reason) {
    return "存档文件夹 " + path + " " + reason + "，不能使用！";
}

// A subfolder of parentFd on the same device, never through a link; reason is set when refused.
FileDescriptor openSubfolder(int parentFd, const std::string& name, bool create, bool& absent, std::string& reason) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    FileDescriptor fd(::openat(parentFd, name.c_str(), kFlags));
    if (!fd.valid() && errno == ENOENT) {
        if (!create) {
            absent = true;
            return {};
        }
        // mkdir then open: whatever appears meanwhile gets the same checks below.
        if (::mkdirat(parentFd, name.c_str(), 0777) != 0 && errno != EEXIST) {
            reason = "无法建立（" + errorReasonText({errno, std::generic_category()}) + "）";
            return {};
        }
        fd = FileDescriptor(::openat(parentFd, name.c_str(), kFlags));
    }
    if (!fd.valid()) {
        const int error = errno;
        struct stat info {};
        if (::fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            reason = S_ISLNK(info.st_mode) ? "是符号链接，不是真正的文件夹" : "不是文件夹";
        } else {
            reason = "无法打开（" + errorReasonText({error, std::generic_category()}) + "）";
        }
        return {};
    }
    struct stat parent {};
    struct stat own {};
    if (::fstat(parentFd, &parent) != 0 || ::fstat(fd.get(), &own) != 0 || parent.st_dev != own.st_dev) {
        reason = "位于另一个磁盘上，不属于存档";
        return {};
    }
    return fd;
}

}  // namespace

ArchiveOwnFolder::ArchiveOwnFolder(const std::string& archiveFolder, Mode mode)
    : m_path(catalogueFolderOf(archiveFolder)),
      m_archive(::open(withTrailingSlash(archiveFolder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!m_archive.valid()) {
        m_failure = "上传路径 " + archiveFolder + " 无法打开（" + errorReasonText({errno, std::generic_category()}) +
                    "），不能使用！";
        return;
    }
    std::string reason;
    m_own = openSubfolder(m_archive.get(), kArchiveOwnFolder, mode == Mode::Create, m_absent, reason);
    if (!reason.empty()) m_failure = refusalText(m_path, reason);
}

FileDescriptor ArchiveOwnFolder::openReplaced(std::string& failure) const {
    bool absent = false;
    return openInside(kReplacedName, true, absent, failure);
}

FileDescriptor ArchiveOwnFolder::openExpired(bool create, bool& absent, std::string& failure) const {
    return openInside(kExpiredName, create, absent, failure);
}

FileDescriptor ArchiveOwnFolder::openInside(const char* name, bool create, bool& absent, std::string& failure) const {
    absent = false;
    if (!isOpen()) {
        failure = m_failure;
        absent = m_absent;
        return {};
    }
    std::string reason;
    FileDescriptor fd = openSubfolder(m_own.get(), name, create, absent, reason);
    if (!fd.valid() && !reason.empty()) failure = refusalText(m_path + name + "/", reason);
    return fd;
}

}  // namespace tapelink
