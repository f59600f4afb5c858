#include "platform/ExportCache.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tapelink {

namespace fs = std::filesystem;

std::string exportCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return std::string(cache) + "/tapelink";
    }
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr ? home : "";
    if (base.empty()) {
        if (const passwd* user = ::getpwuid(::getuid())) base = user->pw_dir;
    }
    return base + "/.cache/tapelink";
}

int removeStaleExportFolders(const std::string& parent, std::chrono::hours maxAge) {
    std::error_code error;
    const auto oldest = fs::file_time_type::clock::now() - maxAge;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(parent, error)) {
        if (entry.path().filename().string().rfind("tapelink-export-", 0) != 0) continue;
        if (!entry.is_directory(error) || entry.is_symlink(error)) continue;
        const auto changed = fs::last_write_time(entry.path(), error);
        if (error || changed > oldest) continue;
        fs::remove_all(entry.path(), error);
        if (!error) ++removed;
    }
    return removed;
}

}  // namespace tapelink
