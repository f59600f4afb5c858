#pragma once

namespace tapelink {

// Gives the file open as target the modification time of the file open as source, so that a copy keeps
// the time the recording was made. Called after the last write; false when it could not be set.
bool copyModificationTime(int sourceFd, int targetFd);

}  // namespace tapelink
