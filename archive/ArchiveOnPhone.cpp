#include "archive/ArchiveOnPhone.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "common/fs/FileDescriptor.h"

namespace tapelink {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder as the kernel resolves it, or its nearest parent that exists.
FileDescriptor openNearestFolder(const std::string& path) {
    std::filesystem::path candidate(path);
    for (;;) {
        FileDescriptor folder(::open(candidate.empty() ? "." : candidate.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (folder.valid() || errno != ENOENT || candidate.empty()) return folder;
        std::filesystem::path parent = candidate.parent_path();
        if (parent == candidate) return folder;
        candidate = std::move(parent);
    }
}

// Whether root is the folder itself or one of the folders above it, reached through "..".
bool underRoot(FileDescriptor folder, const struct stat& root) {
    struct stat here {};
    if (::fstat(folder.get(), &here) != 0) return false;
    for (;;) {
        if (sameFile(here, root)) return true;
        FileDescriptor parent(::openat(folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat above {};
        if (!parent.valid() || ::fstat(parent.get(), &above) != 0) return false;
        if (sameFile(above, here)) return false;  // the system's root
        folder = std::move(parent);
        here = above;
    }
}

}  // namespace

ArchivePlace archivePlace(const std::string& driveRoot, const std::string& archiveFolder) {
    if (driveRoot.empty() || archiveFolder.empty()) return ArchivePlace::Elsewhere;
    const FileDescriptor rootFd(::open(driveRoot.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    FileDescriptor folder = openNearestFolder(archiveFolder);
    struct stat root {};
    struct stat target {};
    if (!rootFd.valid() || ::fstat(rootFd.get(), &root) != 0) return ArchivePlace::Elsewhere;
    // A folder that can't be reached is refused by its own command; here it can't be told apart.
    if (!folder.valid() || ::fstat(folder.get(), &target) != 0) return ArchivePlace::Elsewhere;
    if (target.st_dev != root.st_dev) return ArchivePlace::Elsewhere;
    if (underRoot(std::move(folder), root)) return ArchivePlace::OnPhone;
    // The same file system elsewhere: the telephone's own volume when the drive root is its mount root.
    const FileDescriptor parent(::openat(rootFd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!parent.valid() || ::fstat(parent.get(), &above) != 0) return ArchivePlace::OnPhone;
    const bool mountRoot = above.st_dev != root.st_dev || sameFile(above, root);
    return mountRoot ? ArchivePlace::OnPhone : ArchivePlace::Elsewhere;
}

std::string archiveOnPhoneText(const std::string& archiveFolder) {
    return "上传路径“" + archiveFolder +
           "”在电话机上，录音不能存档到电话机自身，未做任何更改！请选择电脑上的其他文件夹。";
}

}  // namespace tapelink
