#include "search/TeamRecordingPath.h"

namespace tapelink {

namespace {

constexpr const char* kPrefix = "team://";

}  // namespace

std::string teamRecordingPath(const std::string& desk, const std::string& sha256, const std::string& fileName) {
    return kPrefix + desk + "/" + sha256 + "/" + fileName;
}

bool parseTeamRecordingPath(const std::string& path, std::string& desk, std::string& sha256) {
    const std::string prefix = kPrefix;
    if (path.compare(0, prefix.size(), prefix) != 0) return false;
    // The name is last and the digest has no slash, so the desk is all before the digest.
    const std::size_t nameSlash = path.rfind('/');
    if (nameSlash == std::string::npos || nameSlash <= prefix.size()) return false;
    const std::size_t deskSlash = path.rfind('/', nameSlash - 1);
    if (deskSlash == std::string::npos || deskSlash <= prefix.size()) return false;
    desk = path.substr(prefix.size(), deskSlash - prefix.size());
    sha256 = path.substr(deskSlash + 1, nameSlash - deskSlash - 1);
    return !sha256.empty();
}

}  // namespace tapelink
