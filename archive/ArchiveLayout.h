#pragma once

#include <string>

namespace tapelink {

// Where the archive keeps its own files: a hidden folder beside the recordings, which no recording
// listing takes in (its name starts with a dot and has no .wav ending).
inline constexpr const char* kArchiveOwnFolder = ".tapelink";

// archiveFolder with or without a trailing '/'; the results end with '/'.
std::string catalogueFolderOf(const std::string& archiveFolder);
std::string replacedFolderOf(const std::string& archiveFolder);

}  // namespace tapelink
