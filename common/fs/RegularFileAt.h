#pragma once

#include <cstdint>
#include <string>

#include "common/fs/FileDescriptor.h"
#include "common/fs/FolderPlace.h"

namespace tapelink {

// Opens name in folderFd only when it is a regular file on the folder's own file system: a link, a device,
// a pipe or a file mounted over the name fails with ENOENT (ELOOP becomes ENOENT too). Never blocks on open.
FileDescriptor openRegularFileAt(int folderFd, const std::string& name, int flags);
// The same against the folder's place read once before, for many files of one folder: an open and one statx
// of the file. size, when given, gets the file's size from that same statx.
FileDescriptor openRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name, int flags,
                                 std::uint64_t* size = nullptr);

// Whether name in folderFd is a regular file on the folder's file system, without following a link.
bool isRegularFileAt(int folderFd, const std::string& name);
bool isRegularFileAt(int folderFd, const FolderPlace& place, const std::string& name);

}  // namespace tapelink
