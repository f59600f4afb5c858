#pragma once

#include <string>
#include <vector>

#include "common/fs/FileDescriptor.h"

namespace tapelink {

// The hidden files a copy is written to before it gets its real name. Each name carries the writing
// process's id, and the writer holds a lock on the file while it writes, so a file whose writer was killed
// can be told from one still being written (also by another program or another machine's process).
enum class TemporaryKind {
    Restore,  // ".restore-<pid>-<random>" in the telephone's voice/
    Upload,   // ".<name>.<pid>-<random>.part" in an upload folder
};

// Creates and locks a new temporary file in folderFd; forName is the target's name (Upload only). On
// failure the descriptor is invalid and error holds errno.
FileDescriptor createTemporaryFile(int folderFd, TemporaryKind kind, const std::string& forName, std::string& name,
                                   int& error);

// Whether name is a temporary file of this kind, and the id of the process that wrote it.
bool parseTemporaryName(const std::string& name, TemporaryKind kind, long& pid);

// Removes the temporary files of this kind in folderFd whose writing process is no longer alive here and
// whose lock nobody holds. Returns how many were removed.
int removeStaleTemporaries(int folderFd, TemporaryKind kind);
// The same among names already listed from folderFd, sparing a folder of thousands a second listing.
int removeStaleTemporaries(int folderFd, TemporaryKind kind, const std::vector<std::string>& listed);

}  // namespace tapelink
