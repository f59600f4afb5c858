#include "platform/OldCatalogues.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/SqliteCatalogueFiles.h"

namespace tapelink {

namespace {

constexpr std::array kCompanions = {"-journal", "-wal", "-shm"};

const std::string& oldPrefix() {
    static const std::string prefix = std::string(kCatalogueFileName) + ".old-";
    return prefix;
}

bool isCompanion(const std::string& name) {
    return std::any_of(kCompanions.begin(), kCompanions.end(),
                       [&](const char* companion) { return name.ends_with(companion); });
}

// The stamp YYYYmmdd-HHMMSS sorts as text; a second one of the same second carries -2, -3...
struct Age {
    std::string stamp;
    int sequence = 1;
    bool operator<(const Age& other) const {
        return stamp != other.stamp ? stamp < other.stamp : sequence < other.sequence;
    }
};

Age ageOf(const std::string& name) {
    constexpr std::size_t kStampLength = 15;
    Age age;
    const std::string rest = name.substr(oldPrefix().size());
    age.stamp = rest.substr(0, kStampLength);
    if (rest.size() > kStampLength + 1 && rest[kStampLength] == '-') {
        const char* first = rest.data() + kStampLength + 1;
        std::from_chars(first, rest.data() + rest.size(), age.sequence);
    }
    return age;
}

}  // namespace

std::vector<std::string> oldCatalogueNames(const std::string& catalogueFolder) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(catalogueFolder.c_str());
    if (folder == nullptr) return names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.starts_with(oldPrefix()) && !isCompanion(name)) names.push_back(name);
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ageOf(b) < ageOf(a); });
    return names;
}

int pruneOldCatalogues(const std::string& catalogueFolder, std::size_t keep, const std::string& justKept) {
    std::vector<std::string> names = oldCatalogueNames(catalogueFolder);
    if (const auto kept = std::find(names.begin(), names.end(), justKept); kept != names.end()) {
        std::rotate(names.begin(), kept, kept + 1);
    }
    const int folder = ::open(catalogueFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return 0;
    int removed = 0;
    for (std::size_t i = keep; i < names.size(); ++i) {
        struct stat status {};
        if (::fstatat(folder, names[i].c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(status.st_mode)) continue;
        if (::unlinkat(folder, names[i].c_str(), 0) != 0) continue;
        ++removed;
        for (const char* companion : kCompanions) {
            const std::string name = names[i] + companion;
            if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(status.st_mode)) {
                ::unlinkat(folder, name.c_str(), 0);
            }
        }
    }
    ::close(folder);
    return removed;
}

}  // namespace tapelink
