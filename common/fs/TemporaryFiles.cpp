#include "common/fs/TemporaryFiles.h"

#include "common/fs/RegularFileAt.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <random>
#include <vector>

namespace tapelink {

namespace {

constexpr const char* kRestorePrefix = ".restore-";
constexpr const char* kUploadSuffix = ".part";

std::string temporaryName(TemporaryKind kind, const std::string& forName, unsigned random) {
    char tag[48];
    std::snprintf(tag, sizeof tag, "%ld-%08x", static_cast<long>(::getpid()), random);
    if (kind == TemporaryKind::Restore) return kRestorePrefix + std::string(tag);
    return "." + forName + "." + tag + kUploadSuffix;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// "<pid>-<8 hex digits>"
bool parseTag(const std::string& tag, long& pid) {
    const auto dash = tag.find('-');
    if (dash == std::string::npos || tag.size() - dash - 1 != 8) return false;
    const auto result = std::from_chars(tag.data(), tag.data() + dash, pid);
    if (result.ec != std::errc() || result.ptr != tag.data() + dash || pid <= 0) return false;
    return tag.find_first_not_of("0123456789abcdef", dash + 1) == std::string::npos;
}

bool processAlive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

FileDescriptor createTemporaryFile(int folderFd, TemporaryKind kind, const std::string& forName, std::string& name,
                                   int& error) {
    // Seeded once per thread: setting up a random_device for every copy cost more than the copy's rename.
    // The process id in the name keeps a forked child's names apart from its parent's.
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = temporaryName(kind, forName, random());
        FileDescriptor fd(
            ::openat(folderFd, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.valid()) {
            // A file system without locks still has the process id to go by.
            ::flock(fd.get(), LOCK_EX | LOCK_NB);
            name = std::move(candidate);
            return fd;
        }
        error = errno;
        if (error != EEXIST) break;
    }
    return {};
}

bool parseTemporaryName(const std::string& name, TemporaryKind kind, long& pid) {
    if (kind == TemporaryKind::Restore) {
        const std::string prefix = kRestorePrefix;
        return name.compare(0, prefix.size(), prefix) == 0 && parseTag(name.substr(prefix.size()), pid);
    }
    if (name.size() < 2 || name[0] != '.' || !endsWith(name, kUploadSuffix)) return false;
    const std::string stem = name.substr(0, name.size() - std::char_traits<char>::length(kUploadSuffix));
    const auto dot = stem.rfind('.');
    return dot != std::string::npos && dot > 0 && parseTag(stem.substr(dot + 1), pid);
}

int removeStaleTemporaries(int folderFd, TemporaryKind kind) {
    std::vector<std::string> hidden;
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) ::close(listFd);
        return 0;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') hidden.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return removeStaleTemporaries(folderFd, kind, hidden);
}

int removeStaleTemporaries(int folderFd, TemporaryKind kind, const std::vector<std::string>& listed) {
    int removed = 0;
    for (const std::string& name : listed) {
        long pid = 0;
        if (!parseTemporaryName(name, kind, pid) || processAlive(pid)) continue;
        const FileDescriptor file = openRegularFileAt(folderFd, name, O_RDONLY);
        // Held by a writer the process id does not show (another machine's): left alone.
        if (!file.valid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;
        if (::unlinkat(folderFd, name.c_str(), 0) == 0) ++removed;
    }
    return removed;
}

}  // namespace tapelink
