#pragma once

#include <string>

namespace tapelink {

enum class RestoreCopyResult {
    Copied,
    TargetExists,         // the name is taken; nothing was written
    SourceMissing,        // the source is not a regular file of its folder, which is there
    SourceFolderMissing,  // the folder of the source is not there
    TargetFolderMissing,  // the target folder is not there
    Failed,               // anything else (read or write error, full disk, ...)
};

// Copies sourceName in the open folder sourceFolderFd into targetName in the open folder targetFolderFd
// without ever replacing a file and without leaving a partial one: the bytes go to a hidden temporary file
// of the target folder, are flushed to the disk, and only then is the temporary file renamed to the target
// name (refusing to replace). On any failure the temporary file is removed. The source is only read when it
// is a regular file on its folder's file system, never through a link. An invalid folder descriptor (-1)
// means that folder is not there.
RestoreCopyResult copyNoReplace(int sourceFolderFd, const std::string& sourceName, int targetFolderFd,
                                const std::string& targetName);

}  // namespace tapelink
