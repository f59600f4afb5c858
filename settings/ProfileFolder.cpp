#include "settings/ProfileFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace tapelink {

std::string profileFolderPath() {
    const char* home = std::getenv("HOME");
    std::string base = home != nullptr ? home : "";
    if (base.empty()) {
        if (const passwd* user = ::getpwuid(::getuid())) base = user->pw_dir;
    }
    if (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/Tapelink";
}

std::string settingsFilePath(const std::string& profileFolder) {
    return profileFolder + "/config.ini";
}

std::string listeningSettingsFilePath(const std::string& profileFolder) {
    return profileFolder + "/listening.ini";
}

void ensureProfileFolder(const std::string& profileFolder) {
    struct stat info {};
    if (::stat(profileFolder.c_str(), &info) != 0) ::mkdir(profileFolder.c_str(), 0755);
}

}  // namespace tapelink
