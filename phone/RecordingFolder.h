#pragma once

#include <optional>
#include <string>
#include <vector>

#include "phone/FolderListing.h"
#include "phone/RecordingInfo.h"

namespace tapelink {

// One folder of recordings held open while it is scanned, so that each file is opened relative to
// the folder instead of walking the whole path again.
class RecordingFolder {
public:
    explicit RecordingFolder(const std::string& path);
    ~RecordingFolder();
    RecordingFolder(const RecordingFolder&) = delete;
    RecordingFolder& operator=(const RecordingFolder&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // As listWavFiles: the .wav files in the folder's own order; empty when the folder can't be read.
    std::vector<ListedFile> listWavFiles() const;
    // As readRecordingInfo, for a file of this folder.
    std::optional<RecordingInfo> readInfo(const std::string& name) const;

private:
    int m_fd = -1;
};

}  // namespace tapelink
