#pragma once

#include <string>

namespace tapelink {

enum class RestoreCopyResult {
    Copied,
    TargetExists,         // the name is taken; nothing was written
    SourceMissing,        // the source file is not there, its folder is
    SourceFolderMissing,  // the folder of the source is not there
    TargetFolderMissing,  // the target folder is not there
    Failed,               // anything else (read or write error, full disk, ...)
};

// Copies source into targetFolder/targetName without ever replacing a file and without leaving a partial
// one: the bytes go to a hidden temporary file in targetFolder, are flushed to the disk, and only then
// the temporary file is renamed to the target name (refusing to replace). On any failure the temporary
// file is removed. targetFolder ends with '/'.
RestoreCopyResult copyNoReplace(const std::string& source, const std::string& targetFolder,
                                const std::string& targetName);

}  // namespace tapelink
