#include "sharing/FolderShareWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "common/fs/FolderListing.h"
#include "common/fs/WriteAll.h"
#include "sharing/ShareReport.h"

namespace tapelink {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::vector<std::string> entryNames(int folderFd) {
    std::vector<std::string> names;
    const int copy = ::dup(folderFd);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (listing == nullptr) {
        if (copy >= 0) ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
    return names;
}

}  // namespace

bool FolderShareWriter::begin(std::string& error) {
    if (::mkdir(m_folder.c_str(), 0777) == 0) {
        m_madeFolder = true;
    } else if (errno != EEXIST) {
        error = shareErrorText(errno);
        return false;
    }
    m_folderFd = FileDescriptor(::open(m_folder.c_str(), kFolderFlags));
    if (!m_folderFd.valid()) {
        error = errno == ELOOP || errno == ENOTDIR ? "不是文件夹（或是符号链接）。" : shareErrorText(errno);
        return false;
    }
    m_taken = entryNames(m_folderFd.get());
    std::random_device random;
    for (int attempt = 0; attempt < 16 && !m_stagingFd.valid(); ++attempt) {
        m_staging = ".tapelink-share-" + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000);
        if (::mkdirat(m_folderFd.get(), m_staging.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            error = shareErrorText(errno);
            m_staging.clear();
            return false;
        }
        m_stagingFd = FileDescriptor(::openat(m_folderFd.get(), m_staging.c_str(), kFolderFlags));
    }
    if (!m_stagingFd.valid()) {
        error = shareErrorText(errno);
        return false;
    }
    return true;
}

bool FolderShareWriter::add(const std::string& name, const std::vector<std::uint8_t>& bytes, std::string& error) {
    FileDescriptor file(
        ::openat(m_stagingFd.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file.valid()) {
        error = shareErrorText(errno);
        return false;
    }
    if (!writeAll(file.get(), bytes.data(), bytes.size()) || ::fsync(file.get()) != 0 || !file.close()) {
        error = shareErrorText(errno);
        // The part written so far would keep the staging folder from being removed.
        ::unlinkat(m_stagingFd.get(), name.c_str(), 0);
        return false;
    }
    m_written.push_back(name);
    m_size += bytes.size();
    return true;
}

bool FolderShareWriter::commit(std::string& error) {
    std::vector<std::string> moved;
    for (const std::string& name : m_written) {
        if (const std::error_code failure = renameNoReplaceAt(m_stagingFd.get(), name, m_folderFd.get(), name)) {
            // Take back this share's own files; nothing that was there before is touched.
            for (const std::string& back : moved) renameNoReplaceAt(m_folderFd.get(), back, m_stagingFd.get(), back);
            error = failure == std::errc::file_exists ? name + " 已存在。" : shareErrorText(failure.value());
            return false;
        }
        moved.push_back(name);
    }
    ::fsync(m_folderFd.get());
    m_written.clear();
    removeStaging();
    m_madeFolder = false;
    return true;
}

void FolderShareWriter::abandon() {
    for (const std::string& name : m_written) ::unlinkat(m_stagingFd.get(), name.c_str(), 0);
    m_written.clear();
    removeStaging();
    // A folder this share made goes too; rmdir leaves it if anything else has appeared in it meanwhile.
    if (m_madeFolder) ::rmdir(m_folder.c_str());
    m_madeFolder = false;
}

void FolderShareWriter::removeStaging() {
    if (m_staging.empty() || !m_folderFd.valid()) return;
    m_stagingFd.close();
    ::unlinkat(m_folderFd.get(), m_staging.c_str(), AT_REMOVEDIR);
    m_staging.clear();
}

}  // namespace tapelink
