#pragma once

#include <system_error>

namespace tapelink {

// Whether one syncfs of the file system holding folderFd makes the data of every file written there durable
// and reports a failed write of any of them: on local file systems whose sync also empties the disk's own
// cache, on kernels whose syncfs reports write errors. Elsewhere (FAT, network shares, user-space file
// systems) each file must be flushed itself.
bool syncCoversFilesOf(int folderFd);

// Syncs the file system holding folderFd. An error may come from any file written there since folderFd was
// opened, so it says only that some file may not be on disk.
std::error_code syncFileSystemOf(int folderFd);

}  // namespace tapelink
