#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace tapelink {

struct ListedFile {
    std::string name;
    std::uint64_t size = 0;

    bool operator==(const ListedFile&) const = default;
};

// Renames without ever replacing an existing file; the error is set when the rename did not happen.
std::error_code renameNoReplace(const std::string& from, const std::string& to);
// The same for two names in one open folder; links are renamed, never followed.
std::error_code renameNoReplaceAt(int folderFd, const std::string& from, const std::string& to);
// The same from one open folder into another.
std::error_code renameNoReplaceAt(int fromFolderFd, const std::string& from, int toFolderFd, const std::string& to);

}  // namespace tapelink
